// Hand-made books for the reader's tests.
#include "testbook.h"

#include <platform/codec.h>

#include <algorithm>
#include <fstream>

namespace yv::book::testing {

std::vector<std::uint16_t> jisOf(std::string_view utf8)
{
    const std::string sjis = codec::utf8ToCp932(utf8);
    std::vector<std::uint16_t> codes;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (codec::isLeadByte(b) && i + 1 < sjis.size()) {
            codes.push_back(codec::sjisToJis(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(sjis[++i]))));
        }
    }
    return codes;
}

ByteVector keyBytes(const std::vector<std::uint16_t>& codes)
{
    ByteVector out;
    for (const std::uint16_t c : codes)
        put16(out, c);
    return out;
}

ByteVector keyBytes(std::string_view utf8)
{
    return keyBytes(jisOf(utf8));
}

void put16(ByteVector& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void put32(ByteVector& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v >> 16));
    put16(out, static_cast<std::uint16_t>(v));
}

void putPosition(ByteVector& out, TextPosition p)
{
    put32(out, p.block);
    put16(out, p.offset);
}

namespace {

std::uint16_t bcd(std::uint32_t v)
{
    return static_cast<std::uint16_t>(((v / 1000) % 10) << 12 | ((v / 100) % 10) << 8 | ((v / 10) % 10) << 4 | (v % 10));
}

} // namespace

void putBcdPosition(ByteVector& out, TextPosition p)
{
    put16(out, bcd(p.block / 10000));
    put16(out, bcd(p.block % 10000));
    put16(out, bcd(p.offset));
}

void putText(ByteVector& out, std::string_view utf8)
{
    for (const std::uint16_t c : jisOf(utf8))
        put16(out, c);
}

ByteVector indexTablePage(std::uint8_t globalAvailability, const std::vector<Descriptor>& descriptors)
{
    ByteVector out;
    put16(out, static_cast<std::uint16_t>(descriptors.size()));
    out.insert(out.end(), {0, 0, globalAvailability});
    out.resize(16, 0);
    for (const Descriptor& d : descriptors) {
        out.push_back(d.id);
        out.push_back(0);
        put32(out, d.start);
        put32(out, d.blocks);
        out.insert(out.end(), {d.availability, d.flags[0], d.flags[1], d.flags[2], 0, 0});
    }
    return out;
}

ByteVector variableLeaf(std::uint8_t flags, const std::vector<LeafEntry>& entries, bool withHeadings)
{
    ByteVector out{flags, 0};
    put16(out, static_cast<std::uint16_t>(entries.size()));
    for (const LeafEntry& e : entries) {
        const ByteVector key = keyBytes(e.key);
        out.push_back(static_cast<std::uint8_t>(key.size()));
        out.insert(out.end(), key.begin(), key.end());
        putPosition(out, e.text);
        if (withHeadings)
            putPosition(out, e.heading);
    }
    return out;
}

void TextFileBuilder::setBlock(std::uint32_t block, const ByteVector& data)
{
    const std::size_t at = (block - 1) * kBlockSize;
    if (m_bytes.size() < at + kBlockSize)
        m_bytes.resize(at + kBlockSize, 0);
    std::copy_n(data.begin(), std::min(data.size(), kBlockSize), m_bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

ByteVector catalogFile(const std::vector<CatalogEntry>& entries)
{
    ByteVector out;
    put16(out, static_cast<std::uint16_t>(entries.size()));
    put16(out, 1);
    out.resize(16, 0);
    for (const CatalogEntry& e : entries) {
        ByteVector entry(164, 0);
        entry[0] = e.kind;
        entry[1] = 0x01;
        const ByteVector title = keyBytes(e.title);
        std::copy_n(title.begin(), std::min<std::size_t>(title.size(), 80), entry.begin() + 2);
        std::fill_n(entry.begin() + 82, 8, ' ');
        std::copy_n(e.directory.begin(), std::min<std::size_t>(e.directory.size(), 8), entry.begin() + 82);
        entry[94] = static_cast<std::uint8_t>(e.indexPage >> 8);
        entry[95] = static_cast<std::uint8_t>(e.indexPage);
        std::copy_n(e.fullFont.begin(), std::min<std::size_t>(e.fullFont.size(), 8), entry.begin() + 100);
        std::copy_n(e.halfFont.begin(), std::min<std::size_t>(e.halfFont.size(), 8), entry.begin() + 132);
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

void writeFile(const std::filesystem::path& path, const ByteVector& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace yv::book::testing
