// Code-page conversions over glibc iconv, plus the byte-level work iconv does not do for us:
// UTF-8 checking, UTF-16, ISO-2022-JP framing and encoding detection.
#include "platform/codec.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include <iconv.h>

namespace yv::codec {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEBom = "\xFF\xFE";
constexpr std::string_view kUtf16BEBom = "\xFE\xFF";
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD"; // U+FFFD
constexpr std::string_view kGeta = "\xE3\x80\x93";            // U+3013 "〓"

constexpr bool inRange(unsigned char b, unsigned char lo, unsigned char hi)
{
    return b >= lo && b <= hi;
}

constexpr bool isTrailByte(unsigned char b)
{
    return inRange(b, 0x40, 0x7E) || inRange(b, 0x80, 0xFC);
}

unsigned char byteAt(std::string_view s, std::size_t i)
{
    return static_cast<unsigned char>(s[i]);
}

std::string_view dropPrefix(std::string_view s, std::string_view prefix)
{
    return s.starts_with(prefix) ? s.substr(prefix.size()) : s;
}

// ---- UTF-8 -------------------------------------------------------------------------------

struct Utf8Step {
    std::size_t length; // at least 1; for invalid input, the maximal ill-formed prefix
    char32_t codePoint;
    bool valid;
};

// Well-formed sequences as the Unicode standard lists them (no overlongs, no surrogates,
// nothing above U+10FFFF).
Utf8Step nextUtf8(std::string_view s, std::size_t i)
{
    const unsigned char lead = byteAt(s, i);
    if (lead < 0x80)
        return {1, lead, true};

    std::size_t need = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    char32_t cp = 0;
    if (inRange(lead, 0xC2, 0xDF)) {
        need = 1;
        cp = lead & 0x1F;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        need = 2;
        cp = lead & 0x0F;
        lo = lead == 0xE0 ? 0xA0 : 0x80;
        hi = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        need = 3;
        cp = lead & 0x07;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {1, 0, false};
    }

    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= s.size() || !inRange(byteAt(s, i + k), lo, hi))
            return {k, 0, false};
        cp = (cp << 6) | (byteAt(s, i + k) & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    return {need + 1, cp, true};
}

// Forgives a character cut off by the end of the bytes (a caller may hand us the first block
// of a file), but only after a few whole ones: two CP932 kanji can pass for UTF-8 and a stub.
bool looksLikeUtf8(std::string_view s)
{
    std::size_t multibyte = 0;
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Step step = nextUtf8(s, i);
        if (!step.valid)
            return multibyte >= 4 && i + step.length == s.size() && inRange(byteAt(s, i), 0xC2, 0xF4);
        multibyte += step.length > 1 ? 1U : 0U;
        i += step.length;
    }
    return true;
}


std::string sanitizeUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Step step = nextUtf8(s, i);
        if (step.valid)
            out.append(s.substr(i, step.length));
        else
            out += kReplacementChar;
        i += step.length;
    }
    return out;
}

// ---- UTF-16 (by hand: exact control over surrogates and odd lengths) ----------------------

std::string utf16ToUtf8(std::string_view s, bool bigEndian)
{
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const unsigned a = byteAt(s, i);
        const unsigned b = byteAt(s, i + 1);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::string out;
    out.reserve(s.size() * 3 / 2);
    std::size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < s.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            out += kReplacementChar;
        else
            appendUtf8(out, unit);
    }
    if (i < s.size())
        out += kReplacementChar;
    return out;
}

std::string utf8ToUtf16(std::string_view s, bool bigEndian)
{
    std::string out(bigEndian ? kUtf16BEBom : kUtf16LEBom);
    const auto put = [&](char32_t unit) {
        const char hi = static_cast<char>(unit >> 8);
        const char lo = static_cast<char>(unit & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Step step = nextUtf8(s, i);
        const char32_t cp = step.valid ? step.codePoint : 0xFFFD;
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += step.length;
    }
    return out;
}

// ---- iconv -------------------------------------------------------------------------------

enum class Route : std::size_t { FromCp932, ToCp932, FromEucJp, ToEucJp, Count };

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));

iconv_t openFirst(std::initializer_list<const char*> to, std::initializer_list<const char*> from)
{
    for (const char* t : to) {
        for (const char* f : from) {
            const iconv_t cd = iconv_open(t, f);
            if (cd != kNoDescriptor)
                return cd;
        }
    }
    return kNoDescriptor;
}

// The MS flavour of EUC-JP agrees with CP932 on the NEC/IBM rows and on "～" (U+FF5E);
// plain EUC-JP is the fallback for a libc without it.
iconv_t openRoute(Route route)
{
    switch (route) {
    case Route::FromCp932: return openFirst({"UTF-8"}, {"CP932"});
    case Route::ToCp932: return openFirst({"CP932"}, {"UTF-8"});
    case Route::FromEucJp: return openFirst({"UTF-8"}, {"EUC-JP-MS", "EUC-JP"});
    case Route::ToEucJp: return openFirst({"EUC-JP-MS", "EUC-JP"}, {"UTF-8"});
    case Route::Count: break;
    }
    return kNoDescriptor;
}

// An iconv descriptor carries conversion state, so no two threads may share one: each thread
// opens its own on first use and closes it when the thread ends.
class Descriptor final {
public:
    Descriptor() = default;
    ~Descriptor()
    {
        if (m_cd != kNoDescriptor)
            iconv_close(m_cd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    iconv_t get(Route route)
    {
        if (!m_opened) {
            m_cd = openRoute(route);
            m_opened = true;
        }
        return m_cd;
    }

private:
    iconv_t m_cd = kNoDescriptor;
    bool m_opened = false;
};

iconv_t descriptor(Route route)
{
    thread_local std::array<Descriptor, static_cast<std::size_t>(Route::Count)> cache;
    const iconv_t cd = cache[static_cast<std::size_t>(route)].get(route);
    if (cd != kNoDescriptor)
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

// Converts `in` up to the first sequence iconv refuses; returns the bytes consumed. Without a
// descriptor (a libc lacking the converter) only the ASCII prefix passes, which every
// encoding here shares.
std::size_t pump(iconv_t cd, std::string_view in, std::string& out)
{
    if (cd == kNoDescriptor) {
        std::size_t n = 0;
        while (n < in.size() && byteAt(in, n) < 0x80)
            ++n;
        out.append(in.substr(0, n));
        return n;
    }
    // iconv never writes through its input pointer; the cast only satisfies its signature.
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    std::array<char, 4096> buffer;
    while (left > 0) {
        char* dst = buffer.data();
        std::size_t room = buffer.size();
        const std::size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer.data(), dst);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG)
            break;
    }
    return in.size() - left;
}

// How many bytes one U+FFFD stands for when the decoder stops at position i (at least 1, so
// decoding always moves on).
using BadLength = std::size_t (*)(std::string_view, std::size_t);

std::size_t cp932BadLength(std::string_view s, std::size_t i)
{
    return isLeadByte(byteAt(s, i)) && i + 1 < s.size() && isTrailByte(byteAt(s, i + 1)) ? 2 : 1;
}

std::size_t eucJpBadLength(std::string_view s, std::size_t i)
{
    const auto gr = [&](std::size_t k) { return i + k < s.size() && inRange(byteAt(s, i + k), 0xA1, 0xFE); };
    const unsigned char b = byteAt(s, i);
    if (b == 0x8E)
        return i + 1 < s.size() && isHalfWidthKana(byteAt(s, i + 1)) ? 2 : 1;
    if (b == 0x8F)
        return gr(1) && gr(2) ? 3 : 1;
    return gr(0) && gr(1) ? 2 : 1;
}

std::string decode(std::string_view in, Route route, BadLength badLength)
{
    const iconv_t cd = descriptor(route);
    std::string out;
    out.reserve(in.size() * 3 / 2);
    std::size_t pos = 0;
    while (pos < in.size()) {
        pos += pump(cd, in.substr(pos), out);
        if (pos < in.size()) {
            out += kReplacementChar;
            pos += badLength(in, pos);
        }
    }
    return out;
}

// Invalid UTF-8 and characters the target lacks both become "〓" (every target here is a
// Japanese code page holding it); "?" only when there is no converter at all.
std::string encode(std::string_view utf8, Route route)
{
    const iconv_t cd = descriptor(route);
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    std::size_t end = 0; // end of the well-formed stretch iconv is working through
    while (pos < utf8.size()) {
        if (end <= pos) {
            end = pos;
            while (end < utf8.size()) {
                const Utf8Step step = nextUtf8(utf8, end);
                if (!step.valid)
                    break;
                end += step.length;
            }
        }
        pos += pump(cd, utf8.substr(pos, end - pos), out);
        if (pos < utf8.size()) {
            pos += nextUtf8(utf8, pos).length;
            if (pump(cd, kGeta, out) == 0)
                out += '?';
        }
    }
    return out;
}

// ---- ISO-2022-JP, framed by hand around EUC-JP ----------------------------------------------
// Going through EUC-JP-MS (rather than iconv's own ISO-2022-JP) reads what Windows mailers
// write: NEC row 13 ("①") under ESC $ B, "～", half-width kana under ESC ( I, JIS X 0212.

enum class JisSet { Ascii, Jis0208, Kana, Jis0212, Unsupported };

// Never valid in EUC-JP: the EUC decoder turns each into exactly one U+FFFD.
constexpr char kBadMarker = '\xFF';

// Reads the escape at s[i] (an ESC); returns its length, or 0 when it is not one we know.
std::size_t readEscape(std::string_view s, std::size_t i, JisSet& set)
{
    const std::string_view rest = s.substr(i + 1);
    if (rest.starts_with("(B") || rest.starts_with("(J")) {
        set = JisSet::Ascii;
        return 3;
    }
    if (rest.starts_with("(I")) {
        set = JisSet::Kana;
        return 3;
    }
    if (rest.starts_with("$B") || rest.starts_with("$@")) {
        set = JisSet::Jis0208;
        return 3;
    }
    if (rest.starts_with("$(B") || rest.starts_with("$(@")) {
        set = JisSet::Jis0208;
        return 4;
    }
    if (rest.starts_with("$(D")) {
        set = JisSet::Jis0212;
        return 4;
    }
    // Any other double-byte set (JIS X 0213, the Chinese and Korean sets of the -2 flavour):
    // its characters become U+FFFD rather than being read as ASCII.
    const std::size_t finalAt = rest.starts_with("$(") ? 2 : rest.starts_with("$") ? 1 : 0;
    if (finalAt > 0 && finalAt < rest.size() && inRange(byteAt(rest, finalAt), 0x40, 0x7E)) {
        set = JisSet::Unsupported;
        return finalAt + 2;
    }
    return 0;
}

std::string iso2022JpToEucJp(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    JisSet set = JisSet::Ascii;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = byteAt(s, i);
        if (b == 0x1B) {
            const std::size_t length = readEscape(s, i, set);
            if (length == 0)
                out += kBadMarker;
            i += length == 0 ? 1 : length;
            continue;
        }
        const bool pair = i + 1 < s.size() && inRange(byteAt(s, i + 1), 0x21, 0x7E);
        if (b >= 0x80) {
            out += kBadMarker;
        } else if (b < 0x21 || b == 0x7F || set == JisSet::Ascii) {
            out += static_cast<char>(b); // controls and space mean the same in every set
        } else if (set == JisSet::Kana && b <= 0x5F) {
            out += '\x8E';
            out += static_cast<char>(b | 0x80);
        } else if (set == JisSet::Kana) {
            out += kBadMarker;
        } else if (!pair || set == JisSet::Unsupported) {
            out += kBadMarker;
            i += pair ? 2 : 1;
            continue;
        } else {
            if (set == JisSet::Jis0212)
                out += '\x8F';
            out += static_cast<char>(b | 0x80);
            out += static_cast<char>(byteAt(s, i + 1) | 0x80);
            i += 2;
            continue;
        }
        ++i;
    }
    return out;
}

// Back to ASCII before every ASCII byte, line ends included, and at the end of the text.
std::string eucJpToIso2022Jp(std::string_view euc)
{
    std::string out;
    out.reserve(euc.size() + euc.size() / 2);
    JisSet set = JisSet::Ascii;
    const auto designate = [&](JisSet wanted, std::string_view escape) {
        if (set != wanted) {
            out += escape;
            set = wanted;
        }
    };
    for (std::size_t i = 0; i < euc.size();) {
        const unsigned char b = byteAt(euc, i);
        if (b < 0x80) {
            designate(JisSet::Ascii, "\x1B(B");
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const std::size_t width = b == 0x8F ? 3 : 2;
        if (i + width > euc.size())
            break;
        if (b == 0x8E)
            designate(JisSet::Kana, "\x1B(I");
        else if (b == 0x8F)
            designate(JisSet::Jis0212, "\x1B$(D");
        else
            designate(JisSet::Jis0208, "\x1B$B");
        for (std::size_t k = (b == 0x8E || b == 0x8F) ? 1 : 0; k < width; ++k)
            out += static_cast<char>(byteAt(euc, i + k) & 0x7F);
        i += width;
    }
    designate(JisSet::Ascii, "\x1B(B");
    return out;
}

// ---- detection ---------------------------------------------------------------------------

bool isSevenBit(std::string_view s)
{
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool hasIso2022Escape(std::string_view s)
{
    static constexpr std::array<std::string_view, 9> kEscapes{
        "\x1B$B", "\x1B$@", "\x1B(J", "\x1B(B", "\x1B(I", "\x1B$(D", "\x1B$(O", "\x1B$(Q", "\x1B$(P"};
    for (const std::string_view escape : kEscapes) {
        if (s.find(escape) != std::string_view::npos)
            return true;
    }
    return false;
}

// Scoring: common Japanese (kana, punctuation, level-1 kanji) earns points, rarer rows earn
// less, and a sequence the encoding cannot hold costs as much as several good characters. A
// sequence cut off by the end of the bytes costs nothing.
constexpr std::int64_t kInvalid = 10;

std::int64_t cp932Weight(unsigned char lead, unsigned char trail)
{
    if (lead == 0x81)
        return 2;                        // punctuation and symbols
    if (lead == 0x82)
        return trail >= 0x9F ? 3 : 2;    // hiragana : full-width letters and digits
    if (lead == 0x83)
        return trail <= 0x96 ? 3 : 1;    // katakana : Greek
    if (inRange(lead, 0x88, 0x98))
        return 3;                        // level-1 kanji
    if (lead == 0x85 || lead == 0x86 || lead == 0xEB || lead == 0xEC || lead == 0xEF)
        return -kInvalid;                // rows CP932 leaves empty
    if (inRange(lead, 0xF0, 0xFC))
        return 0;                        // user-defined and IBM rows
    return 1;                            // level-2 kanji, NEC rows, Cyrillic, box drawing
}

std::int64_t cp932Score(std::string_view s)
{
    std::int64_t score = 0;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = byteAt(s, i);
        if (b < 0x80 || isHalfWidthKana(b)) {
            ++i;
        } else if (!isLeadByte(b)) {
            score -= kInvalid;
            ++i;
        } else if (i + 1 == s.size()) {
            break;
        } else if (!isTrailByte(byteAt(s, i + 1))) {
            score -= kInvalid;
            ++i;
        } else {
            score += cp932Weight(b, byteAt(s, i + 1));
            i += 2;
        }
    }
    return score;
}

std::int64_t eucJpWeight(unsigned char lead)
{
    if (lead == 0xA4 || lead == 0xA5 || inRange(lead, 0xB0, 0xCF))
        return 3;                        // hiragana, katakana, level-1 kanji
    if (lead == 0xA1 || lead == 0xA3)
        return 2;                        // punctuation, full-width letters and digits
    if (inRange(lead, 0xA9, 0xAC) || lead == 0xAE || lead == 0xAF)
        return -kInvalid;                // empty rows
    if (inRange(lead, 0xF5, 0xFE))
        return 0;                        // user-defined rows
    return 1;                            // level-2 kanji, symbols, NEC row 13, Greek, Cyrillic
}

std::int64_t eucJpScore(std::string_view s)
{
    const auto gr = [&](std::size_t i) { return inRange(byteAt(s, i), 0xA1, 0xFE); };
    std::int64_t score = 0;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = byteAt(s, i);
        if (b < 0x80) {
            ++i;
            continue;
        }
        const std::size_t width = b == 0x8F ? 3 : 2;
        if ((b == 0x8E || b == 0x8F || gr(i)) && i + width > s.size())
            break;
        if (b == 0x8E && isHalfWidthKana(byteAt(s, i + 1))) {
            i += 2;
        } else if (b == 0x8F && gr(i + 1) && gr(i + 2)) {
            i += 3;
        } else if (gr(i) && gr(i + 1)) {
            score += eucJpWeight(b);
            i += 2;
        } else {
            score -= kInvalid;
            ++i;
        }
    }
    return score;
}

} // namespace

std::string cp932ToUtf8(std::string_view cp932)
{
    return decode(cp932, Route::FromCp932, cp932BadLength);
}

std::string utf8ToCp932(std::string_view utf8)
{
    return encode(utf8, Route::ToCp932);
}

std::uint16_t jisToSjis(std::uint16_t jis)
{
    const unsigned row = jis >> 8;
    const unsigned cell = jis & 0xFF;
    if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E)
        return 0;
    // Two JIS rows share one lead byte; the odd row takes the low trail bytes.
    unsigned lead = (row + 1) / 2 + 0x70;
    if (lead >= 0xA0)
        lead += 0x40; // leads skip 0xA0-0xDF, the half-width kana
    unsigned trail = 0;
    if (row % 2 == 1)
        trail = cell + (cell >= 0x60 ? 0x20 : 0x1F); // 0x7F is never a trail byte
    else
        trail = cell + 0x7E;
    return static_cast<std::uint16_t>(lead << 8 | trail);
}

std::uint16_t sjisToJis(std::uint16_t sjis)
{
    const unsigned lead = sjis >> 8;
    const unsigned trail = sjis & 0xFF;
    if (!(inRange(lead, 0x81, 0x9F) || inRange(lead, 0xE0, 0xEF)) || !isTrailByte(trail))
        return 0;
    unsigned row = (lead - (lead >= 0xE0 ? 0xB0 : 0x70)) * 2 - 1;
    unsigned cell = 0;
    if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x7E;
    } else {
        cell = trail - (trail >= 0x80 ? 0x20 : 0x1F);
    }
    return static_cast<std::uint16_t>(row << 8 | cell);
}

TextEncoding detectEncoding(std::string_view bytes)
{
    if (bytes.starts_with(kUtf8Bom))
        return TextEncoding::Utf8Bom;
    if (bytes.starts_with(kUtf16LEBom))
        return TextEncoding::Utf16LE;
    if (bytes.starts_with(kUtf16BEBom))
        return TextEncoding::Utf16BE;
    if (isSevenBit(bytes))
        return hasIso2022Escape(bytes) ? TextEncoding::Iso2022Jp : TextEncoding::Ascii;
    if (looksLikeUtf8(bytes))
        return TextEncoding::Utf8;
    return eucJpScore(bytes) > cp932Score(bytes) ? TextEncoding::EucJp : TextEncoding::Cp932;
}

const char* encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ascii: break;
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf8Bom: return "UTF-8 (BOM)";
    case TextEncoding::Utf16LE: return "UTF-16LE";
    case TextEncoding::Utf16BE: return "UTF-16BE";
    case TextEncoding::Cp932: return "CP932";
    case TextEncoding::EucJp: return "EUC-JP";
    case TextEncoding::Iso2022Jp: return "ISO-2022-JP";
    }
    return "ASCII";
}

std::string toUtf8(std::string_view bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ascii: break;
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: return sanitizeUtf8(dropPrefix(bytes, kUtf8Bom));
    case TextEncoding::Utf16LE: return utf16ToUtf8(dropPrefix(bytes, kUtf16LEBom), false);
    case TextEncoding::Utf16BE: return utf16ToUtf8(dropPrefix(bytes, kUtf16BEBom), true);
    case TextEncoding::Cp932: return cp932ToUtf8(bytes);
    case TextEncoding::EucJp: return decode(bytes, Route::FromEucJp, eucJpBadLength);
    case TextEncoding::Iso2022Jp: return decode(iso2022JpToEucJp(bytes), Route::FromEucJp, eucJpBadLength);
    }
    return sanitizeUtf8(bytes);
}

std::string fromUtf8(std::string_view utf8, TextEncoding encoding)
{
    switch (encoding) {
    // An ASCII file that gained a non-ASCII character is written as UTF-8 without a BOM:
    // ASCII readers see the same bytes as before, and the new character is not lost.
    case TextEncoding::Ascii:
    case TextEncoding::Utf8: break;
    case TextEncoding::Utf8Bom: return std::string(kUtf8Bom) + sanitizeUtf8(utf8);
    case TextEncoding::Utf16LE: return utf8ToUtf16(utf8, false);
    case TextEncoding::Utf16BE: return utf8ToUtf16(utf8, true);
    case TextEncoding::Cp932: return utf8ToCp932(utf8);
    case TextEncoding::EucJp: return encode(utf8, Route::ToEucJp);
    case TextEncoding::Iso2022Jp: return eucJpToIso2022Jp(encode(utf8, Route::ToEucJp));
    }
    return sanitizeUtf8(utf8);
}

std::string toCp932(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return std::string(bytes);
    return utf8ToCp932(toUtf8(bytes, encoding));
}

Utf8Char decodeUtf8At(std::string_view s, std::size_t at)
{
    const Utf8Step step = nextUtf8(s, at);
    return {step.length, step.codePoint, step.valid};
}

bool isJapaneseCharacter(char32_t cp)
{
    return (cp >= 0x3000 && cp <= 0x33FF)     // punctuation, kana, enclosed and squared forms
        || (cp >= 0x3400 && cp <= 0x4DBF)     // kanji, extension A
        || (cp >= 0x4E00 && cp <= 0x9FFF)     // kanji
        || (cp >= 0xF900 && cp <= 0xFAFF)     // compatibility kanji
        || (cp >= 0xFF01 && cp <= 0xFF9F)     // full-width forms and half-width katakana
        || (cp >= 0x20000 && cp <= 0x3FFFF);  // kanji, later extensions
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace yv::codec
