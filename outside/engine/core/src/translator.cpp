// The reference engine: loading, text runs, look-ups and file jobs.
#include <engine/translator.h>

#include "blocks.h"
#include "edict.h"
#include "english.h"
#include "html.h"
#include "japanese.h"
#include "lexicon.h"
#include "textscan.h"

#include <platform/atomicfile.h>
#include <platform/codec.h>
#include <platform/textutil.h>

#include <system_error>

namespace yv::engine {

using namespace Internal;

namespace {

constexpr const char* kCacheFileName = "edict.cache";
// Larger EDICT files and file jobs are refused rather than read into memory.
constexpr std::size_t kMaxEdictBytes = 512u * 1024 * 1024;
constexpr std::size_t kMaxJobFileBytes = 64u * 1024 * 1024;
// Rows of one look-up string, so that a common word does not flood the dialog.
constexpr std::size_t kMaxLookUpRows = 60;

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

std::string toUtf8Text(std::string_view bytes)
{
    const auto encoding = codec::detectEncoding(bytes);
    if (encoding == codec::TextEncoding::Ascii || encoding == codec::TextEncoding::Utf8)
        return std::string(bytes);
    return codec::toUtf8(bytes, encoding);
}

bool looksBinary(std::string_view bytes, codec::TextEncoding encoding)
{
    if (encoding == codec::TextEncoding::Utf16LE || encoding == codec::TextEncoding::Utf16BE)
        return false;
    std::size_t controls = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0)
            return true;
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1B)
            ++controls;
    }
    return controls * 20 > bytes.size();
}

// Line breaks of the text between two sentences, kept as they are.
std::string lineBreaksOf(std::string_view gap)
{
    std::string out;
    for (const char c : gap) {
        if (c == '\r' || c == '\n')
            out += c;
    }
    return out;
}

// "<headword>" rows name the word the entries below belong to.
void appendHeadwordRow(std::string& out, std::string_view headword)
{
    out += '<';
    out += headword;
    out += ">\t\t\n";
}

// "[path]" opens the entries of one dictionary, with a headword row when one is given.
void appendHeader(std::string& out, std::string_view path, std::string_view headword)
{
    out += '[';
    out += path;
    out += "]\n";
    if (!headword.empty())
        appendHeadwordRow(out, headword);
}

} // namespace

struct Translator::Impl {
    std::filesystem::path edictPath;
    std::optional<Dictionary> edict;
    std::unique_ptr<Segmenter> mecab;
    std::unique_ptr<Segmenter> lookup = createLookupSegmenter();

    Lexicon lexicon(const Options& options) const
    {
        return Lexicon(edict ? &*edict : nullptr, loadUserDictionaries(options.userDictionaries));
    }

    std::vector<Unit> translateSentence(std::string_view sentence, Direction direction, const Lexicon& lex,
                                        const Options& options) const
    {
        if (direction == Direction::JE)
            return translateJapaneseSentence(sentence, lex, mecab ? *mecab : *lookup, options);
        return translateEnglishSentence(sentence, lex, options);
    }

    // Calls `each` with every sentence span and its units, until `stop`.
    template <typename F>
    void run(std::string_view cp932, Direction direction, const Options& options, const std::atomic<bool>& stop,
             F&& each) const
    {
        const auto lex = lexicon(options);
        for (const auto& span : splitSentences(cp932, direction == Direction::JE)) {
            if (stop.load())
                break;
            const auto sentence = cp932.substr(span.offset, span.length);
            each(span, translateSentence(sentence, direction, lex, options));
        }
    }

    std::string plain(std::string_view cp932, Direction direction, const Options& options,
                      const std::atomic<bool>& stop) const
    {
        std::string out;
        std::size_t done = 0;
        run(cp932, direction, options, stop, [&](const Span& span, const std::vector<Unit>& units) {
            const auto breaks = lineBreaksOf(cp932.substr(done, span.offset - done));
            if (!breaks.empty())
                out += breaks;
            else if (done > 0 && direction == Direction::JE)
                out += ' ';
            const bool translated = std::any_of(units.begin(), units.end(), [](const Unit& u) { return u.fromDictionary; });
            if (translated)
                out += codec::utf8ToCp932(joinUnits(units, direction == Direction::JE));
            else
                out += cp932.substr(span.offset, span.length);
            done = span.offset + span.length;
        });
        if (!stop.load())
            out += lineBreaksOf(cp932.substr(std::min(done, cp932.size())));
        return out;
    }
};

Translator::Translator(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

Translator::~Translator() = default;

std::unique_ptr<Translator> Translator::load(const std::filesystem::path& edictPath,
                                             const std::filesystem::path& cacheDir, std::string* error)
{
    try {
        auto impl = std::make_unique<Impl>();
        impl->edictPath = edictPath;
        std::string problems;
        std::error_code ec;
        const auto size = std::filesystem::file_size(edictPath, ec);
        if (ec || !std::filesystem::is_regular_file(edictPath)) {
            problems = "EDICT cannot be read: " + edictPath.string();
        } else {
            const auto time = static_cast<std::int64_t>(
                std::filesystem::last_write_time(edictPath, ec).time_since_epoch().count());
            const auto cachePath = cacheDir / kCacheFileName;
            if (!cacheDir.empty()) {
                if (const auto cached = files::readWhole(cachePath, kMaxEdictBytes * 4))
                    impl->edict = Dictionary::deserialize(*cached, size, time);
            }
            if (!impl->edict) {
                if (const auto bytes = files::readWhole(edictPath, kMaxEdictBytes)) {
                    impl->edict = Dictionary::parse(toUtf8Text(*bytes));
                    if (!cacheDir.empty()) {
                        std::filesystem::create_directories(cacheDir, ec);
                        files::writeAtomically(cachePath, impl->edict->serialize(size, time), 0600);
                    }
                } else {
                    problems = "EDICT cannot be read: " + edictPath.string();
                }
            }
        }
        std::string mecabError;
        impl->mecab = createMecabSegmenter(&mecabError);
        if (!impl->edict && !impl->mecab) {
            setError(error, problems + "; " + mecabError);
            return nullptr;
        }
        setError(error, !impl->edict ? problems : !impl->mecab ? mecabError : std::string());
        return std::unique_ptr<Translator>(new Translator(std::move(impl)));
    } catch (const std::exception& e) {
        setError(error, e.what());
        return nullptr;
    }
}

void Translator::translateText(std::string_view cp932, Direction direction, const Options& options,
                               const ResultSink& sink, const std::atomic<bool>& stop) const
{
    try {
        std::size_t number = 0;
        d->run(cp932, direction, options, stop, [&](const Span& span, const std::vector<Unit>& units) {
            const auto sentence = cp932.substr(span.offset, span.length);
            const bool translated = std::any_of(units.begin(), units.end(), [](const Unit& u) { return u.fromDictionary; });
            if (translated) {
                sink(formatBlock(++number, units, cp932, span.offset));
            } else if (sentence.starts_with("$")) {
                // The untranslatable form would read as a block or the end mark: pass it through.
                const Unit unit{codec::cp932ToUtf8(sentence), PartOfSpeech::Unknown, 0, sentence.size(), false};
                sink(formatBlock(++number, {unit}, cp932, span.offset));
            } else {
                sink(formatUntranslatable(sentence));
            }
        });
    } catch (const std::exception&) {
        // A run always ends with its end mark, whatever went wrong on the way.
    }
    sink("$$$");
}

std::string Translator::translatePlain(std::string_view cp932, Direction direction, const Options& options) const
{
    try {
        const std::atomic<bool> never{false};
        return d->plain(cp932, direction, options, never);
    } catch (const std::exception&) {
        return std::string(cp932);
    }
}

std::string Translator::lookUp(std::string_view cp932Word, Direction direction, const Options& options) const
{
    try {
        const auto word = std::string(text::trimBlanks(codec::cp932ToUtf8(cp932Word)));
        if (word.empty())
            return {};
        const auto lex = d->lexicon(options);
        std::string out;
        std::size_t rows = 0;
        const auto rowInto = [&rows](std::string& target, std::string_view pos, std::string_view reading,
                                     std::string_view translation) {
            if (rows++ >= kMaxLookUpRows)
                return;
            target += pos;
            target += '\t';
            target += reading;
            target += '\t';
            target += translation;
            target += '\n';
        };
        const auto row = [&](std::string_view pos, std::string_view reading, std::string_view translation) {
            rowInto(out, pos, reading, translation);
        };
        std::vector<std::string> keys{word};
        if (direction == Direction::EJ) {
            std::string lower = word;
            for (auto& c : lower)
                c = text::asciiLower(c);
            keys = {};
            for (const auto& form : englishBaseForms(lower))
                keys.push_back(form.base);
        } else if (d->mecab) {
            // An inflected word ("食べた") is found by the base form of its first morpheme.
            const auto morphemes = d->mecab->segment(word, lex);
            if (!morphemes.empty() && morphemes[0].base != word && morphemes[0].pos1 != "助詞"
                && morphemes[0].pos1 != "記号")
                keys.push_back(morphemes[0].base);
        }
        const bool japanese = direction == Direction::JE;
        for (const auto& dictionary : lex.userDictionaries()) {
            std::string section;
            for (const auto& key : keys) {
                for (const auto* entry : findUserEntries(dictionary.data, key)) {
                    const bool entryJapanese = std::any_of(entry->headword.begin(), entry->headword.end(),
                                                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
                    if (entryJapanese != japanese)
                        continue;
                    if (section.empty())
                        appendHeader(section, dictionary.path, entry->headword);
                    rowInto(section, entry->partOfSpeech, "", entry->translation);
                }
            }
            out += section;
        }
        if (d->edict) {
            const auto& dict = *d->edict;
            bool header = false;
            const auto startSection = [&] {
                if (!header)
                    appendHeader(out, d->edictPath.string(), {});
                header = true;
            };
            for (const auto& key : keys) {
                if (japanese) {
                    for (const auto& record : dict.japanese(key)) {
                        const auto& entry = dict.entry(record.entry);
                        startSection();
                        appendHeadwordRow(out, dict.text(entry.headword));
                        for (std::size_t s = 0; s < entry.senseCount; ++s) {
                            const auto& sense = dict.sense(entry, s);
                            std::string_view glosses = dict.text(sense.glosses);
                            while (!glosses.empty()) {
                                const auto end = glosses.find('/');
                                row(japaneseName(primaryOf(sense.posMask)), dict.text(entry.reading),
                                    plainGloss(glosses.substr(0, end), (sense.posMask & posBit(PartOfSpeech::Verb)) != 0));
                                glosses = end == std::string_view::npos ? std::string_view{} : glosses.substr(end + 1);
                            }
                        }
                    }
                } else {
                    const auto records = dict.english(key);
                    if (!records.empty()) {
                        startSection();
                        appendHeadwordRow(out, key);
                    }
                    for (const auto& record : records) {
                        const auto& entry = dict.entry(record.entry);
                        const auto& sense = dict.sense(entry, record.sense);
                        row(japaneseName(primaryOf(sense.posMask)), dict.text(entry.reading),
                            japaneseOf(dict, entry, sense));
                    }
                }
                if (header)
                    break;
            }
        }
        return codec::utf8ToCp932(out);
    } catch (const std::exception&) {
        return {};
    }
}

namespace {

// Percent numbers as decimal strings, each once, rising.
// Percent steps of a file job; a stopped job reports no further progress, so that its
// caller never sees 100 for a job that wrote nothing.
class ProgressReporter final {
public:
    ProgressReporter(const ProgressSink& sink, const std::atomic<bool>& stop) : m_sink(sink), m_stop(stop) {}
    void report(std::size_t done, std::size_t total)
    {
        if (m_stop.load())
            return;
        const int percent = total == 0 ? 100 : static_cast<int>(std::min<std::size_t>(100, done * 100 / total));
        if (percent > m_last) {
            m_last = percent;
            if (m_sink)
                m_sink(std::to_string(percent));
        }
    }

private:
    const ProgressSink& m_sink;
    const std::atomic<bool>& m_stop;
    int m_last = -1;
};

struct JobInput {
    std::string bytes;
    codec::TextEncoding encoding = codec::TextEncoding::Ascii;
};

std::optional<JobInput> readJobInput(const std::filesystem::path& source, std::string* error)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec)) {
        setError(error, "cannot read " + source.string() + ": not a readable file");
        return std::nullopt;
    }
    auto bytes = files::readWhole(source, kMaxJobFileBytes);
    if (!bytes) {
        setError(error, "cannot read " + source.string() + " (missing, unreadable or larger than 64 MB)");
        return std::nullopt;
    }
    JobInput input{std::move(*bytes), codec::TextEncoding::Ascii};
    input.encoding = codec::detectEncoding(input.bytes);
    if (looksBinary(input.bytes, input.encoding)) {
        setError(error, source.string() + " is not a text file");
        return std::nullopt;
    }
    return input;
}

// Ends a job: "end" always, and the output only when the job ran to its end.
bool finishJob(const std::filesystem::path& target, const std::string& bytes, const ProgressSink& progress,
               const std::atomic<bool>& stop, std::string* error)
{
    bool written = false;
    if (stop.load()) {
        setError(error, "stopped: nothing written");
    } else if (!files::writeAtomically(target, bytes)) {
        setError(error, "cannot write " + target.string());
    } else {
        written = true;
    }
    if (progress)
        progress("end");
    return written;
}

} // namespace

bool Translator::translateTextFile(const std::filesystem::path& source, const std::filesystem::path& target,
                                   Direction direction, const Options& options, const ProgressSink& progress,
                                   const std::atomic<bool>& stop, std::string* error) const
{
    try {
        const auto input = readJobInput(source, error);
        if (!input) {
            if (progress)
                progress("end");
            return false;
        }
        const auto cp932 = codec::toCp932(input->bytes, input->encoding);
        ProgressReporter reporter(progress, stop);
        reporter.report(0, cp932.size());
        std::string out;
        std::size_t done = 0;
        d->run(cp932, direction, options, stop, [&](const Span& span, const std::vector<Unit>& units) {
            const auto breaks = lineBreaksOf(std::string_view(cp932).substr(done, span.offset - done));
            out += breaks.empty() && done > 0 ? (direction == Direction::JE ? " " : "") : breaks;
            const bool translated = std::any_of(units.begin(), units.end(), [](const Unit& u) { return u.fromDictionary; });
            out += translated ? codec::utf8ToCp932(joinUnits(units, direction == Direction::JE))
                              : cp932.substr(span.offset, span.length);
            done = span.offset + span.length;
            reporter.report(done, cp932.size());
        });
        out += lineBreaksOf(std::string_view(cp932).substr(std::min(done, cp932.size())));
        reporter.report(cp932.size(), cp932.size());
        return finishJob(target, codec::fromUtf8(codec::cp932ToUtf8(out), input->encoding), progress, stop, error);
    } catch (const std::exception& e) {
        setError(error, e.what());
        if (progress)
            progress("end");
        return false;
    }
}

bool Translator::translateHtmlFile(const std::filesystem::path& source, const std::filesystem::path& target,
                                   Direction direction, const Options& options, const ProgressSink& progress,
                                   const std::atomic<bool>& stop, std::string* error) const
{
    try {
        auto input = readJobInput(source, error);
        if (!input) {
            if (progress)
                progress("end");
            return false;
        }
        if (const auto declared = declaredCharset(input->bytes);
            declared && input->encoding != codec::TextEncoding::Utf16LE && input->encoding != codec::TextEncoding::Utf16BE)
            input->encoding = *declared;
        const auto html = codec::toUtf8(input->bytes, input->encoding);
        ProgressReporter reporter(progress, stop);
        reporter.report(0, html.size());
        std::string out;
        out.reserve(html.size() * 2);
        std::size_t done = 0;
        for (const auto& piece : splitHtml(html)) {
            done += piece.bytes.size();
            if (!piece.isText || stop.load()) {
                out += piece.bytes;
                continue;
            }
            if (isBlank(codec::utf8ToCp932(decodeEntities(piece.bytes)))) {
                out += piece.bytes;
                continue;
            }
            // Blanks around the text stay as they were: they are part of the layout.
            const auto first = piece.bytes.find_first_not_of(" \t\r\n");
            const auto last = piece.bytes.find_last_not_of(" \t\r\n");
            out += piece.bytes.substr(0, first);
            const auto translated = d->plain(codec::utf8ToCp932(decodeEntities(piece.bytes.substr(first, last - first + 1))),
                                             direction, options, stop);
            out += encodeEntities(codec::cp932ToUtf8(translated));
            out += piece.bytes.substr(last + 1);
            reporter.report(done, html.size());
        }
        reporter.report(html.size(), html.size());
        return finishJob(target, codec::fromUtf8(out, input->encoding), progress, stop, error);
    } catch (const std::exception& e) {
        setError(error, e.what());
        if (progress)
            progress("end");
        return false;
    }
}

} // namespace yv::engine
