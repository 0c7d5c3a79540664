// Basic units of the book files: blocks, text positions, big-endian and BCD fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace yv::book {

// The text file is addressed in blocks of this size, numbered from 1.
inline constexpr std::size_t kBlockSize = 2048;

struct TextPosition {
    std::uint32_t block = 0;
    std::uint16_t offset = 0;

    // File offset of the position; block 0 has none (callers reject it first).
    constexpr std::uint64_t fileOffset() const
    {
        return (static_cast<std::uint64_t>(block) - 1) * kBlockSize + offset;
    }
    friend constexpr bool operator==(const TextPosition&, const TextPosition&) = default;
    friend constexpr auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint16_t readBe16(Bytes b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

constexpr std::uint32_t readBe32(Bytes b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16
         | static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

// Binary-coded decimal, high nibble first; a nibble above 9 counts as its value, as the
// digit-by-digit decoding does.
constexpr std::uint32_t readBcd(Bytes b, std::size_t at, std::size_t length)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < length; ++i)
        value = value * 100 + (b[at + i] >> 4) * 10 + (b[at + i] & 0x0F);
    return value;
}

// A 4-byte BCD value is the first two bytes times 10000 plus the last two.
constexpr std::uint32_t readBcd4(Bytes b, std::size_t at)
{
    return readBcd(b, at, 2) * 10000 + readBcd(b, at + 2, 2);
}

// Block (4-byte BCD) and offset (2-byte BCD), as references and graphics store them.
constexpr TextPosition readBcdPosition(Bytes b, std::size_t at)
{
    return {readBcd4(b, at), static_cast<std::uint16_t>(readBcd(b, at + 4, 2))};
}

// Block and offset as plain big-endian numbers, as index entries store them.
constexpr TextPosition readBinaryPosition(Bytes b, std::size_t at)
{
    return {readBe32(b, at), readBe16(b, at + 4)};
}

} // namespace yv::book
