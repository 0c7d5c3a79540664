// An accessible's text, offsets and character boxes as another program may hand them over the
// accessibility bus, turned into the second source's answer. Beyond crashes and sanitizer
// reports, a finding is a text field without its zero, a line count over 25, or a rectangle
// turned inside out.
#include "accessibleanswer.h"

#include <SNRCBK32.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

std::int32_t read32(const std::uint8_t* p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return static_cast<std::int32_t>(v);
}

bool wellFormed(const SNRRect& r)
{
    return r.left <= r.right && r.top <= r.bottom;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::capture;
    constexpr std::size_t kHeader = 13;
    if (size < kHeader)
        return 0;
    SNRSetActiveCharSet(data[0] & 1 ? 128 : 0);
    // Offsets near zero most of the time, anything now and then.
    const std::int32_t first = data[1] & 0x80 ? read32(data + 1) : data[1];
    const std::int32_t hit = data[5] & 0x80 ? read32(data + 5) : static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{first} + data[5], INT32_MAX));
    const std::int32_t seed = read32(data + 9);
    TextAtPoint text{std::string(reinterpret_cast<const char*>(data + kHeader), size - kHeader), first, hit};
    // Boxes that wander, overlap, go missing, run backwards and reach the integer limits.
    const CharExtents extents = [seed](int offset) -> std::optional<CharBox> {
        const std::uint32_t h = static_cast<std::uint32_t>(offset) * 2654435761u ^ static_cast<std::uint32_t>(seed);
        if ((h & 7) == 0)
            return std::nullopt;
        if ((h & 63) == 1)
            return CharBox{INT32_MAX - 3, INT32_MIN + 1, INT32_MAX, INT32_MAX};
        return CharBox{static_cast<std::int32_t>(static_cast<std::int64_t>(offset) * 7 % 900) - 50, static_cast<std::int32_t>(h >> 20) % 200, static_cast<std::int32_t>(h % 13) - 2,
                       static_cast<std::int32_t>(h >> 8) % 30 - 3};
    };

    auto block = std::make_unique<AcrobatSharedData>();
    std::memset(block.get(), 0x55, sizeof *block);
    if (answerWords(text, extents, DefaultWordBreakW, block.get())) {
        check(std::memchr(block->word, 0, sizeof block->word) != nullptr);
        check(std::memchr(block->words, 0, sizeof block->words) != nullptr);
        check(wellFormed(block->wordRect));
    }
    std::memset(block.get(), 0x55, sizeof *block);
    if (answerSentence(text, extents, DefaultSentenceBreakW, block.get())) {
        check(std::memchr(block->sentence, 0, sizeof block->sentence) != nullptr);
        check(block->lineCount >= 1 && block->lineCount <= SNR_MAX_LINES);
        check(block->linesAbove >= 0 && block->linesAbove < block->lineCount);
        for (int i = 0; i < block->lineCount; ++i)
            check(wellFormed(block->lines[i]));
    }
    return 0;
}
