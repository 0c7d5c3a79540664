// Catalog parsing: the header, then the subbook entries field by field.
#include <book/bookfile.h>
#include <book/catalog.h>

#include <platform/codec.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace yv::book {

namespace {

template <std::size_t N>
void copyField(std::array<char, N>& target, Bytes data, std::size_t at)
{
    std::memcpy(target.data(), data.data() + at, N - 1);
    target[N - 1] = '\0';
}

std::string withoutSpaces(std::span<const char> field)
{
    std::string out;
    for (const char c : field) {
        if (c == '\0')
            break;
        if (c != ' ')
            out.push_back(c);
    }
    return out;
}

} // namespace

std::string jisFieldToSjis(std::span<const char> field)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < field.size(); i += 2) {
        const auto hi = static_cast<unsigned char>(field[i]);
        const auto lo = static_cast<unsigned char>(field[i + 1]);
        if (hi == 0 && lo == 0)
            break;
        const std::uint16_t sjis = codec::jisToSjis(static_cast<std::uint16_t>(hi << 8 | lo));
        if (sjis != 0) {
            out.push_back(static_cast<char>(sjis >> 8));
            out.push_back(static_cast<char>(sjis & 0xFF));
        } else if (lo != 0) {
            out.push_back(static_cast<char>(lo));
        }
    }
    return out;
}

std::string SubbookEntry::titleSjis() const
{
    return jisFieldToSjis(std::span<const char>(title.data(), kTitleSize));
}

std::string SubbookEntry::directoryName() const
{
    return withoutSpaces(std::span<const char>(directory.data(), kDirectoryNameSize));
}

std::optional<BookCatalog> parseCatalog(Bytes data)
{
    if (data.size() < kCatalogHeaderSize)
        return std::nullopt;
    BookCatalog catalog;
    catalog.entryCount = readBe16(data, 0);
    catalog.version = readBe16(data, 2);
    if (data.size() < kCatalogHeaderSize + std::size_t{catalog.entryCount} * kSubbookEntrySize)
        return std::nullopt;
    catalog.entries.reserve(catalog.entryCount);
    for (std::size_t i = 0; i < catalog.entryCount; ++i) {
        const std::size_t at = kCatalogHeaderSize + i * kSubbookEntrySize;
        SubbookEntry& e = catalog.entries.emplace_back();
        e.kind = data[at];
        e.kind2 = data[at + 1];
        copyField(e.title, data, at + 2);
        copyField(e.directory, data, at + 82);
        e.field90 = readBe32(data, at + 90);
        e.indexPage = readBe16(data, at + 94);
        e.field96 = readBe32(data, at + 96);
        for (std::size_t h = 0; h < kFontHeights; ++h) {
            copyField(e.fullFontNames[h], data, at + 100 + h * kFontNameSize);
            copyField(e.halfFontNames[h], data, at + 132 + h * kFontNameSize);
        }
    }
    return catalog;
}

std::optional<BookCatalog> readCatalogFile(const std::filesystem::path& path)
{
    const BookFile file(path);
    if (!file.isOpen())
        return std::nullopt;
    std::vector<std::uint8_t> header(kCatalogHeaderSize);
    if (!file.readExactly(0, header))
        return std::nullopt;
    const std::size_t size = kCatalogHeaderSize + std::size_t{readBe16(header, 0)} * kSubbookEntrySize;
    std::vector<std::uint8_t> data(size);
    if (!file.readExactly(0, data))
        return std::nullopt;
    return parseCatalog(data);
}

} // namespace yv::book
