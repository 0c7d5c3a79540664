// Hand-made books for the reader's tests: index pages, text blocks, catalogs on disk.
#pragma once

#include <book/bookformat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace yv::book::testing {

using ByteVector = std::vector<std::uint8_t>;

// JIS X 0208 codes of a UTF-8 text.
std::vector<std::uint16_t> jisOf(std::string_view utf8);
// The codes as big-endian bytes.
ByteVector keyBytes(const std::vector<std::uint16_t>& codes);
ByteVector keyBytes(std::string_view utf8);

// Appends big-endian and BCD fields.
void put16(ByteVector& out, std::uint16_t v);
void put32(ByteVector& out, std::uint32_t v);
void putPosition(ByteVector& out, TextPosition p);     // binary, as index entries hold it
void putBcdPosition(ByteVector& out, TextPosition p);  // 4 + 2 BCD bytes
void putText(ByteVector& out, std::string_view utf8);  // JIS codes of the text

struct Descriptor {
    std::uint8_t id;
    std::uint32_t start;
    std::uint32_t blocks = 1;
    std::uint8_t availability = 0;
    std::uint8_t flags[3] = {0, 0, 0};
};
ByteVector indexTablePage(std::uint8_t globalAvailability, const std::vector<Descriptor>& descriptors);

struct LeafEntry {
    std::string key;  // UTF-8, stored as JIS codes
    TextPosition text{};
    TextPosition heading{};
};
// A variable-length leaf page; `withHeadings` for forward and backward indexes.
ByteVector variableLeaf(std::uint8_t flags, const std::vector<LeafEntry>& entries, bool withHeadings = true);

// A book text file assembled block by block (blocks from 1, each padded to 2,048 bytes).
class TextFileBuilder final {
public:
    void setBlock(std::uint32_t block, const ByteVector& data);
    const ByteVector& bytes() const { return m_bytes; }

private:
    ByteVector m_bytes;
};

// A catalog of one subbook entry per directory name (title in UTF-8).
struct CatalogEntry {
    std::string title;
    std::string directory;
    std::uint16_t indexPage = 1;
    std::uint8_t kind = 0x60;
    std::string fullFont{};  // 16-dot font file names
    std::string halfFont{};
};
ByteVector catalogFile(const std::vector<CatalogEntry>& entries);

void writeFile(const std::filesystem::path& path, const ByteVector& bytes);

} // namespace yv::book::testing
