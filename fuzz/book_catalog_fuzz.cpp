// Fuzzes catalog, index-table and mount-table parsing: any bytes parse or are refused, in bounds.
#include <book/catalog.h>
#include <book/indextable.h>
#include <book/mounts.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const yv::book::Bytes bytes(data, size);
    if (const auto catalog = yv::book::parseCatalog(bytes)) {
        if (catalog->entries.size() != catalog->entryCount)
            std::abort();
        for (const auto& entry : catalog->entries) {
            (void)entry.titleSjis();
            (void)entry.directoryName();
        }
    }
    if (const auto table = yv::book::parseIndexTable(bytes)) {
        for (const auto& d : table->descriptors)
            (void)table->flagsInForce(d);
    }
    (void)yv::book::parseMountRoots(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
