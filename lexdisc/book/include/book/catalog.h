// The catalog file of a disc: its subbook entries, parsed field by field.
#pragma once

#include <book/bookformat.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace yv::book {

inline constexpr std::size_t kCatalogHeaderSize = 16;
inline constexpr std::size_t kSubbookEntrySize = 164;
inline constexpr std::size_t kTitleSize = 80;
inline constexpr std::size_t kDirectoryNameSize = 8;
inline constexpr std::size_t kFontNameSize = 8;
inline constexpr std::size_t kFontHeights = 4;  // 16, 24, 30 and 48 dots
// An entry of this kind is listed but cannot be selected.
inline constexpr std::uint8_t kUnselectableKind = 0xF0;

struct SubbookEntry {
    std::uint8_t kind = 0;
    std::uint8_t kind2 = 0;
    // Text fields keep their bytes and gain a terminating NUL.
    std::array<char, kTitleSize + 1> title{};  // JIS X 0208 two-byte codes
    std::array<char, kDirectoryNameSize + 1> directory{};  // padded with spaces
    std::uint32_t field90 = 0;
    std::uint16_t indexPage = 0;  // block of the index table in the text file
    std::uint32_t field96 = 0;
    std::array<std::array<char, kFontNameSize + 1>, kFontHeights> fullFontNames{};
    std::array<std::array<char, kFontNameSize + 1>, kFontHeights> halfFontNames{};

    bool selectable() const { return kind != kUnselectableKind; }
    // The title converted to Shift_JIS (CP932).
    std::string titleSjis() const;
    // The directory name without its spaces.
    std::string directoryName() const;
};

struct BookCatalog {
    std::uint16_t entryCount = 0;
    std::uint16_t version = 0;
    std::vector<SubbookEntry> entries;  // in file order
};

// A catalog whose header or one of whose entries is cut short gives nothing.
std::optional<BookCatalog> parseCatalog(Bytes data);

// Upper bound of a catalog worth reading: 65,535 entries.
inline constexpr std::size_t kMaxCatalogSize = kCatalogHeaderSize + 0xFFFF * kSubbookEntrySize;

std::optional<BookCatalog> readCatalogFile(const std::filesystem::path& path);

// Converts a field of JIS X 0208 two-byte codes (ended by a zero code) to Shift_JIS; a code
// with no Shift_JIS equivalent yields its low byte.
std::string jisFieldToSjis(std::span<const char> field);

} // namespace yv::book
