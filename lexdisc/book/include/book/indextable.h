// The index table at a subbook's index page: which indexes exist, where, and their key style.
#pragma once

#include <book/bookformat.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace yv::book {

inline constexpr std::size_t kIndexTableHeaderSize = 16;
inline constexpr std::size_t kIndexDescriptorSize = 16;

namespace IndexId {
inline constexpr std::uint8_t Menu = 0x01;
inline constexpr std::uint8_t MenuAlternative = 0x20;
inline constexpr std::uint8_t Copyright = 0x02;
inline constexpr std::uint8_t CopyrightAlternative = 0x21;
inline constexpr std::uint8_t ExactKana = 0x30;
inline constexpr std::uint8_t ExactAlphabet = 0x40;
inline constexpr std::uint8_t ExactOther = 0x60;
inline constexpr std::uint8_t ForwardKana = 0x90;
inline constexpr std::uint8_t ForwardAlphabet = 0x92;
inline constexpr std::uint8_t ForwardOther = 0x91;
inline constexpr std::uint8_t BackwardKana = 0x70;
inline constexpr std::uint8_t BackwardAlphabet = 0x72;
inline constexpr std::uint8_t BackwardOther = 0x71;
inline constexpr std::uint8_t MonochromeGraphics = 0xD0;
inline constexpr std::uint8_t ColourGraphics = 0xD2;
} // namespace IndexId

struct IndexDescriptor {
    std::uint8_t id = 0;
    std::uint32_t startBlock = 0;
    std::uint32_t blockCount = 0;
    std::uint8_t availability = 0;
    std::uint8_t flag1 = 0;
    std::uint8_t flag2 = 0;
    std::uint8_t flag3 = 0;
};

struct IndexTable {
    std::uint16_t descriptorCount = 0;
    std::uint8_t byte2 = 0;
    std::uint8_t byte3 = 0;
    std::uint8_t globalAvailability = 0;  // of the descriptors' key-style flags: 0, 1 or 2
    std::vector<IndexDescriptor> descriptors;  // in file order

    // The first descriptor with this id.
    const IndexDescriptor* find(std::uint8_t id) const;
    // Whether the descriptor's own key-style flags govern normalisation.
    bool flagsInForce(const IndexDescriptor& descriptor) const;
};

// Parses the table from the start of the index page; data cut short before the header or
// any counted descriptor ends gives nothing.
std::optional<IndexTable> parseIndexTable(Bytes page);

} // namespace yv::book
