// Hostile lines through both built-in word breaks, under settings taken from the input.
// Beyond crashes and sanitizer reports, a finding is a result whose positions lie outside the
// line or out of order, or words longer than a word buffer holds.
#include <capturerules/wordbreak.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::array<int, 8> kCharSets{0, 128, 129, 134, 136, 161, 222, 238};
constexpr std::array<int, 7> kCodePages{0, 932, 936, 949, 950, 1252, 874};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::capture;
    if (size < 4)
        return 0;
    BreakSettings settings;
    settings.charSet = kCharSets[data[0] % kCharSets.size()];
    settings.codePage = kCodePages[(data[0] >> 3) % kCodePages.size()];
    settings.normalizeWidth = (data[1] & 0x80) != 0;
    settings.maxDbcsChars = static_cast<int>(data[1] & 0x3F) - 8;
    settings.maxSbcsWords = static_cast<int>(data[2] & 0x1F) - 4;
    const int hit = data[3] - 2;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 4), size - 4);

    if (const auto found = wordBreakA(bytes, hit, settings)) {
        const auto length = static_cast<int>(bytes.substr(0, bytes.find('\0')).size());
        check(found->start >= 0 && found->start <= hit && hit <= found->end && found->end < length);
        check(found->words.size() <= 2 * (kWordBufferChars - 1));
    }

    std::u16string wide(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        wide[i] = static_cast<char16_t>(low | high << 8);
    }
    if (const auto found = wordBreakW(wide, hit, settings)) {
        check(found->start >= 0 && found->start <= hit && hit <= found->end
              && static_cast<std::size_t>(found->end) < kMaxLineChars);
        check(found->words.size() < kWordBufferChars);
        check(found->wordsFrom + found->words.size() <= wide.size());
    }
    return 0;
}
