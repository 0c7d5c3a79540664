// Fuzzes what the toolbox takes from outside: a command line passed by a second toolbox is
// refused or decodes to arguments that encode back to the same text; captured screen texts
// are cleaned and cut without reading past their ends.
#include <toolboxcore/capturetext.h>
#include <toolboxcore/commandline.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    using namespace yv::toolbox;

    if (const auto arguments = decodeArguments(input)) {
        if (arguments->size() > kMaxPassedArguments || encodeArguments(*arguments) != input)
            std::abort();
    }

    const std::string cleaned = cleanCapturedSentence(input);
    if (cleaned.size() > input.size())
        std::abort();

    const std::size_t half = input.size() / 2;
    const std::string_view words = input.substr(0, half);
    const std::string_view handed = wordHandOverText(words, input.substr(half));
    if (handed.data() < words.data() || handed.data() + handed.size() != words.data() + words.size())
        std::abort();

    if (const auto poke = searchKeyPoke(input, size)) {
        if (input.size() + 1 > kSearchKeyLimit || poke->compare(0, input.size(), input) != 0)
            std::abort();
    }
    return 0;
}
