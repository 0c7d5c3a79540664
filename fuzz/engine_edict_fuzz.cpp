// Fuzzes EDICT parsing, the cache reader and sentence splitting over hostile bytes.
#include "edict.h"
#include "textscan.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using namespace yv::engine::Internal;

    const auto dict = Dictionary::parse(bytes);
    const auto cache = dict.serialize(size, 1);
    const auto loaded = Dictionary::deserialize(cache, size, 1);
    if (!loaded || loaded->entryCount() != dict.entryCount())
        std::abort();
    // A cache made of these bytes is refused or valid, never read out of bounds.
    if (const auto hostile = Dictionary::deserialize(bytes, size, 1)) {
        for (std::size_t i = 0; i < hostile->entryCount(); ++i)
            (void)hostile->text(hostile->entry(static_cast<std::uint32_t>(i)).headword);
    }

    for (const bool japanese : {false, true}) {
        std::size_t previousEnd = 0;
        for (const auto& span : splitSentences(bytes, japanese)) {
            if (span.offset < previousEnd || span.length == 0 || span.offset + span.length > size)
                std::abort();
            previousEnd = span.offset + span.length;
        }
    }
    return 0;
}
