// The block file: one "<PRE->" block per text unit, text mode (CR LF), CP932. What goes to
// translation and what comes back use the same layouts.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace yv::docmorph {

// Unit text inside the model is UTF-8 with these marks: '\r' ends a paragraph of a text
// shape, '\v' is a manual line break, '\n' a line break inside a cell.
enum class Layout {
    Word,    // "<PRE->" text "</PRE->": the paragraph up to its mark, a line break as CR LF
    Slides,  // "<PRE->" LF text LF "</PRE->": paragraph ends as LF "<P>", line breaks as LF
    Cells,   // "<PRE->" text "</PRE->": the cell's string
};

// A block's text may grow no larger than this when read back (a hostile file holding no end
// mark is still read in bounded pieces).
inline constexpr std::size_t kMaxBlockBytes = 1u << 20;

class BlockWriter final {
public:
    explicit BlockWriter(Layout layout) : m_layout(layout) {}
    void add(std::string_view utf8Text);
    std::size_t count() const { return m_count; }
    const std::string& bytes() const { return m_bytes; }
    bool save(const std::filesystem::path& path) const;

private:
    Layout m_layout;
    std::string m_bytes;
    std::size_t m_count = 0;
};

// Reads a file line by line as the blocks are asked for: a translation is not held whole.
class BlockReader final {
public:
    BlockReader(std::string bytes, Layout layout);
    static std::optional<BlockReader> load(const std::filesystem::path& path, Layout layout);
    // The next block's text as UTF-8 (possibly empty), or nothing at the end of the file.
    std::optional<std::string> next();

private:
    BlockReader(std::unique_ptr<std::istream> in, Layout layout) : m_in(std::move(in)), m_layout(layout) {}
    // The next line without its end; valid until the next call.
    std::optional<std::string_view> readLine();
    std::unique_ptr<std::istream> m_in;
    std::string m_line;
    Layout m_layout;
};

// The four entities "&quot;", "&amp;", "&lt;", "&gt;" of CP932 text turned back into their
// characters, matched without regard to case and only at single-byte positions.
std::string decodeEntities(std::string_view cp932);

} // namespace yv::docmorph
