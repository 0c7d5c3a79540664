// The reference translation engine: a dictionary engine over EDICT and the user dictionaries,
// with MeCab for Japanese segmentation. Texts in and out are CP932 bytes.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine {

enum class Direction { EJ = 1, JE = 2 };

// The engine options of the settings store, read by the program and handed in.
struct Options {
    bool translateYou = true;          // "YOU": ON translates the subject "you", OFF drops it
    std::string subject = "it";        // "SUBJ": supplied to Japanese sentences without one
    bool politeStyle = false;          // "TSTYLE": DESUMASU (true) or DEARU
    std::string imperative = "NASAI";  // "IMP": NASAI, KOTO or SURU
    // "DIC1".."DIC6": user dictionaries (paths without extension), in precedence order,
    // all before EDICT.
    std::vector<std::filesystem::path> userDictionaries;
};

// Called with each result string of a text run, in order: result blocks ("$$$" + header line
// + one line per unit with the five TAB fields), untranslatable sentences (their source text
// ending in a line feed), and finally exactly "$$$".
//
// A block is "$$$ N" (N counts the blocks of the run) and one line per word or phrase:
// translation TAB tag TAB source text TAB CP932 byte offset in the sent text TAB byte length.
// Words the engine supplies (a subject, English articles) have offset -1 and length 0, or share
// the offset of the noun they belong to; several Japanese pieces of one English word share its
// offset. The tag is the part of speech of the source word: 0 supplied by the engine,
// 1 noun, 2 pronoun, 3 verb, 4 adjective, 5 adjectival noun, 6 adverb, 7 particle,
// 8 auxiliary, 9 conjunction, 10 interjection, 11 prefix, 12 suffix, 13 counter, 14 numeral,
// 15 expression, 16 pre-noun adjectival, 17 preposition, 20 symbol, 21 unknown (passed through).
using ResultSink = std::function<void(const std::string& cp932)>;
// Called with decimal progress numbers during a file job, and finally exactly "end".
using ProgressSink = std::function<void(const std::string&)>;

class Translator final {
public:
    // Loads EDICT (a cache of what is derived from it lives in `cacheDir`, rebuilt when EDICT
    // changes) and MeCab. Nothing when neither EDICT nor MeCab can be loaded; `error` says why.
    // When only one of them loads, the translator works without the other (user dictionaries
    // only, or Japanese cut by dictionary look-up) and `error` names what is missing.
    static std::unique_ptr<Translator> load(const std::filesystem::path& edictPath,
                                            const std::filesystem::path& cacheDir, std::string* error);
    ~Translator();

    // Translates a whole text (CP932, any line ends) sentence by sentence into result blocks.
    // Stops early when `stop` becomes true; the run still ends with "$$$".
    void translateText(std::string_view cp932, Direction direction, const Options& options,
                       const ResultSink& sink, const std::atomic<bool>& stop) const;

    // The whole translation as plain CP932 text (sentences joined, line breaks kept): what a
    // caller that wants no units gets.
    std::string translatePlain(std::string_view cp932, Direction direction, const Options& options) const;

    // The look-up string of a word: "[" dictionary path "]" header lines, each followed by
    // entry lines "part of speech" TAB reading-or-empty TAB "translation".
    std::string lookUp(std::string_view cp932Word, Direction direction, const Options& options) const;

    // File jobs: the output file is written (atomically) in the input's encoding; HTML keeps
    // its markup and translates the text outside tags, honouring a declared charset.
    // False (and nothing written) when the input cannot be read; `error` says why.
    bool translateTextFile(const std::filesystem::path& source, const std::filesystem::path& target,
                           Direction direction, const Options& options, const ProgressSink& progress,
                           const std::atomic<bool>& stop, std::string* error) const;
    bool translateHtmlFile(const std::filesystem::path& source, const std::filesystem::path& target,
                           Direction direction, const Options& options, const ProgressSink& progress,
                           const std::atomic<bool>& stop, std::string* error) const;

    struct Impl;

private:
    explicit Translator(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// User dictionaries ("path.dic" and "path.idx", our own format).
namespace userdic {

struct Entry {
    std::string headword;     // CP932
    std::string translation;  // CP932
    std::string partOfSpeech; // CP932, e.g. "名詞"
};

// Creates an empty dictionary; false when the files cannot be written.
bool create(const std::filesystem::path& pathWithoutExtension);
// Adds or replaces an entry; false when the dictionary cannot be read or written.
bool add(const std::filesystem::path& pathWithoutExtension, const Entry& entry);
// All entries; nothing when the dictionary is missing or damaged.
std::optional<std::vector<Entry>> read(const std::filesystem::path& pathWithoutExtension);

} // namespace userdic

} // namespace yv::engine
