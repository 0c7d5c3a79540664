// Fuzzes the text preparation of reading aloud: any bytes split into runs that hold only
// well-formed UTF-8 and together keep every well-formed character in order.
#include <speech/textruns.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string joined;
    for (const yv::speech::TextRun& run : yv::speech::splitScriptRuns(input)) {
        if (run.text.empty())
            std::abort();
        joined += run.text;
    }
    // Each byte either stays or, in an ill-formed sequence, the sequence becomes one space.
    if (joined.size() > input.size())
        std::abort();
    const std::string wide = yv::speech::widenHalfWidthKana(joined);
    if (yv::speech::splitScriptRuns(wide).empty() != joined.empty())
        std::abort();
    return 0;
}
