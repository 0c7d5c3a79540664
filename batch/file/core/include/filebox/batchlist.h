// The batch box's list: which files it takes, the names of their outputs, and the rows with
// their states, kept in the order of their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::filebox {

inline constexpr std::string_view kTranslated = "翻訳済";
inline constexpr std::string_view kNotTranslated = "未翻訳";

// The numbering is the one the run uses for the current file.
enum class Kind { None = 0, Text = 1, Office = 2, Html = 3 };

// The state icons.
enum class Image { NotTranslated = 0, Translating = 1, Translated = 2 };

// A path split as the system's splitter does: folder with its last separator, base name, and
// extension from the last dot of the file name on (".txt" alone is an extension).
struct SplitPath {
    std::string folder;
    std::string base;
    std::string extension;
};
SplitPath splitPath(std::string_view path);

// By the extension, without regard to case.
Kind kindOf(std::string_view path);
// "report.doc" -> "report_RY.doc", in the source's folder.
std::string outputPath(std::string_view source);
std::string outputName(std::string_view source);
// A base name ending in "_RY" (any case) names an earlier output; names of two characters or
// fewer never do.
bool isEarlierOutput(std::string_view path);

// The modification time in nanoseconds, 0 when the file cannot be opened for reading.
std::int64_t fileTime(const std::filesystem::path& path);
// The output was written after the source changed: the row is translated.
bool outputIsNewer(const std::filesystem::path& source, const std::filesystem::path& output);

// The files of a folder (not its subfolders) that the list takes at start: accepted kinds,
// no earlier outputs, no directories; sorted. A trailing separator of `folder` is ignored.
std::vector<std::string> filesToPreload(std::string_view folder);

struct Row {
    std::string path;    // the key
    std::string name;    // file name with extension
    std::string output;  // output file name
    Image image = Image::NotTranslated;
    std::string state;   // "翻訳済", "未翻訳", or what went wrong
};

class BatchList final {
public:
    // Inserts a row in name order, its state from the file times; nothing when a row of the
    // same path (any letter case) exists. Returns the row's index.
    std::optional<std::size_t> add(const std::string& path);
    std::optional<std::size_t> add(const std::string& path, bool translated);
    void remove(std::size_t index);

    std::size_t size() const { return m_rows.size(); }
    const Row& row(std::size_t index) const { return m_rows.at(index); }
    std::optional<std::size_t> find(std::string_view path) const;

    void setState(std::size_t index, Image image, std::string state);

private:
    std::vector<Row> m_rows;
};

} // namespace yv::filebox
