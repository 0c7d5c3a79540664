// Index table parsing.
#include <book/indextable.h>

namespace yv::book {

const IndexDescriptor* IndexTable::find(std::uint8_t id) const
{
    for (const IndexDescriptor& d : descriptors) {
        if (d.id == id)
            return &d;
    }
    return nullptr;
}

bool IndexTable::flagsInForce(const IndexDescriptor& descriptor) const
{
    return !(globalAvailability == 1 || (globalAvailability == 0 && descriptor.availability == 1));
}

std::optional<IndexTable> parseIndexTable(Bytes data)
{
    if (data.size() < kIndexTableHeaderSize)
        return std::nullopt;
    IndexTable table;
    table.descriptorCount = readBe16(data, 0);
    table.byte2 = data[2];
    table.byte3 = data[3];
    table.globalAvailability = data[4];
    if (data.size() < kIndexTableHeaderSize + std::size_t{table.descriptorCount} * kIndexDescriptorSize)
        return std::nullopt;
    table.descriptors.reserve(table.descriptorCount);
    for (std::size_t i = 0; i < table.descriptorCount; ++i) {
        const std::size_t at = kIndexTableHeaderSize + i * kIndexDescriptorSize;
        IndexDescriptor& d = table.descriptors.emplace_back();
        d.id = data[at];
        d.startBlock = readBe32(data, at + 2);
        d.blockCount = readBe32(data, at + 6);
        d.availability = data[at + 10];
        d.flag1 = data[at + 11];
        d.flag2 = data[at + 12];
        d.flag3 = data[at + 13];
    }
    return table;
}

} // namespace yv::book
