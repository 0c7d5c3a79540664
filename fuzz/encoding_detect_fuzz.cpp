// Hostile bytes through detection and every conversion. Beyond crashes and sanitizer reports,
// a finding is: output that is not UTF-8, a Japanese encoding writing bytes it cannot read
// back, a second round trip that changes anything, or CP932 not kept byte for byte.
#include <platform/codec.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using yv::codec::TextEncoding;

constexpr std::array<TextEncoding, 8> kEncodings{
    TextEncoding::Ascii,   TextEncoding::Utf8,  TextEncoding::Utf8Bom, TextEncoding::Utf16LE,
    TextEncoding::Utf16BE, TextEncoding::Cp932, TextEncoding::EucJp,   TextEncoding::Iso2022Jp,
};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// Written apart from the codec's own checker so that the two do not share a mistake.
bool isWellFormedUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            n = 1;
            cp = b & 0x1F;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            n = 2;
            cp = b & 0x0F;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            n = 3;
            cp = b & 0x07;
            min = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i <= n)
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

bool isJapaneseCodePage(TextEncoding encoding)
{
    return encoding == TextEncoding::Cp932 || encoding == TextEncoding::EucJp
        || encoding == TextEncoding::Iso2022Jp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::codec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";

    const TextEncoding detected = detectEncoding(bytes);
    check(encodingName(detected) != nullptr);
    check(isWellFormedUtf8(toUtf8(bytes, detected)));

    for (const TextEncoding encoding : kEncodings) {
        const std::string utf8 = toUtf8(bytes, encoding);
        check(isWellFormedUtf8(utf8));
        const std::string written = fromUtf8(utf8, encoding);
        const std::string reread = toUtf8(written, encoding);
        check(isWellFormedUtf8(reread));
        // Reading UTF-8 drops a leading U+FEFF as a BOM, so only such a text may shrink.
        check(fromUtf8(reread, encoding) == written
              || (encoding == TextEncoding::Utf8 && utf8.starts_with("\xEF\xBB\xBF")));
        if (isJapaneseCodePage(encoding))
            check(reread.find(kReplacementChar) == std::string::npos);
    }
    check(toCp932(bytes, TextEncoding::Cp932) == bytes);

    const std::string fromSjis = cp932ToUtf8(bytes);
    check(isWellFormedUtf8(fromSjis));
    check(cp932ToUtf8(utf8ToCp932(fromSjis)).find(kReplacementChar) == std::string::npos);
    check(cp932ToUtf8(utf8ToCp932(bytes)).find(kReplacementChar) == std::string::npos);

    if (size >= 2) {
        const auto code = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
        if (const std::uint16_t jis = sjisToJis(code); jis != 0)
            check(jisToSjis(jis) == code);
        if (const std::uint16_t sjis = jisToSjis(code); sjis != 0)
            check(sjisToJis(sjis) == code);
    }
    return 0;
}
