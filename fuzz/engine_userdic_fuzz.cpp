// Fuzzes the user-dictionary reader: any .dic/.idx bytes are read or refused, in bounds.
#include "userdicformat.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first two bytes say where the .dic ends and the .idx begins.
    if (size < 2)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t split = std::min<std::size_t>(bytes.size(), (std::size_t{data[0]} << 8) | data[1]);
    const auto parsed = yv::engine::Internal::parseUserDictionary(bytes.substr(0, split), bytes.substr(split));
    if (!parsed)
        return 0;
    // What was read writes back to files that read the same.
    const auto files = yv::engine::Internal::serializeUserDictionary(parsed->entries);
    const auto again = yv::engine::Internal::parseUserDictionary(files.dic, files.idx);
    if (!again || again->indexRebuilt || again->entries.size() != parsed->entries.size())
        std::abort();
    for (const auto& entry : parsed->entries)
        (void)yv::engine::Internal::findUserEntries(*again, entry.headword);
    return 0;
}
