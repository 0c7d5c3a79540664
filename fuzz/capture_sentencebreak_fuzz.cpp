// Hostile texts through both built-in sentence breaks, in both directions, from any position.
// Beyond crashes and sanitizer reports, a finding is a position outside the text.
#include <capturerules/sentencebreak.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::array<int, 5> kCodePages{932, 936, 949, 1252, 874};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::capture;
    if (size < 3)
        return 0;
    const int codePage = kCodePages[data[0] % kCodePages.size()];
    const int position = static_cast<int>(data[1] | data[2] << 8) - 2;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 3), size - 3);
    const auto byteLength = static_cast<int>(bytes.substr(0, bytes.find('\0')).size());

    std::u16string wide(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        wide[i] = static_cast<char16_t>(low | high << 8);
    }
    const auto wideLength = static_cast<int>(wide.substr(0, wide.find(u'\0')).size());

    for (const int direction : {kScanBackward, kScanForward}) {
        if (const auto found = sentenceBreakA(bytes, position, direction, codePage))
            check(*found >= 0 && (direction == kScanBackward ? *found <= byteLength : *found < byteLength));
        if (const auto found = sentenceBreakW(wide, position, direction))
            check(*found >= 0 && (direction == kScanBackward ? *found <= wideLength : *found < wideLength));
    }
    return 0;
}
