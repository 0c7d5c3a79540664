// Code-page tables built once per process from iconv, so that decoding is a table look-up and
// every byte pair keeps exactly one character.
#include <capturerules/codepage.h>

#include <capturerules/charsets.h>

#include <platform/codec.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include <iconv.h>

namespace yv::capture {

namespace {

struct CodePageInfo {
    int codePage;
    const char* iconvName;
};

// Every code page the character-set table can name.
constexpr std::array<CodePageInfo, 12> kCodePages{{
    {932, "CP932"},
    {936, "CP936"},
    {949, "CP949"},
    {950, "CP950"},
    {874, "CP874"},
    {1250, "CP1250"},
    {1252, "CP1252"},
    {1253, "CP1253"},
    {1254, "CP1254"},
    {1255, "CP1255"},
    {1256, "CP1256"},
    {1257, "CP1257"},
}};

std::size_t tableIndex(int codePage)
{
    const int resolved = resolveCodePage(codePage);
    std::size_t system = 0;
    for (std::size_t i = 0; i < kCodePages.size(); ++i) {
        if (kCodePages[i].codePage == resolved)
            return i;
        if (kCodePages[i].codePage == kSystemCodePage)
            system = i;
    }
    return system;
}

// The lead bytes Windows reports for its double-byte code pages.
bool isLeadByteOf(int codePage, unsigned char b)
{
    switch (codePage) {
    case 932:
        return codec::isLeadByte(b);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    default:
        return false;
    }
}

constexpr bool isSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// One iconv descriptor, converting single characters to UTF-16.
class CharDecoder final {
public:
    explicit CharDecoder(const char* name)
        : m_cd(::iconv_open("UTF-16LE", name))
    {
    }
    ~CharDecoder()
    {
        if (valid())
            ::iconv_close(m_cd);
    }
    CharDecoder(const CharDecoder&) = delete;
    CharDecoder& operator=(const CharDecoder&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    char16_t decode(const unsigned char* bytes, std::size_t length)
    {
        if (!valid())
            return kUndecodable;
        ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char in[2] = {};
        std::memcpy(in, bytes, length);
        char* inPtr = in;
        std::size_t inLeft = length;
        char out[8];
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        constexpr auto kFailed = static_cast<std::size_t>(-1);
        if (::iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == kFailed || inLeft != 0
            || ::iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == kFailed || sizeof out - outLeft != 2)
            return kUndecodable;
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(out[0])
                                             | static_cast<unsigned char>(out[1]) << 8);
        return isSurrogate(c) ? kUndecodable : c;
    }

private:
    iconv_t m_cd;
};

class CodePageTable final {
public:
    explicit CodePageTable(const CodePageInfo& info);

    bool isLead(unsigned char b) const { return m_leadSlot[b] != kNoSlot; }
    char16_t single(unsigned char b) const { return m_singles[b]; }
    char16_t pair(unsigned char lead, unsigned char trail) const
    {
        return m_pairs[std::size_t{m_leadSlot[lead]} * 256 + trail];
    }
    std::string encode(char16_t c) const;

private:
    static constexpr std::uint8_t kNoSlot = 0xFF;

    std::array<char16_t, 256> m_singles{};
    std::array<std::uint8_t, 256> m_leadSlot{};
    std::vector<char16_t> m_pairs;
    std::vector<std::pair<char16_t, std::uint16_t>> m_codes;  // sorted by character
};

CodePageTable::CodePageTable(const CodePageInfo& info)
{
    CharDecoder decoder(info.iconvName);
    std::uint8_t slots = 0;
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (isLeadByteOf(info.codePage, byte)) {
            m_leadSlot[b] = slots++;
            m_singles[b] = kUndecodable;
            continue;
        }
        m_leadSlot[b] = kNoSlot;
        if (b == 0 || (!decoder.valid() && b < 0x80))
            m_singles[b] = static_cast<char16_t>(b);
        else
            m_singles[b] = decoder.decode(&byte, 1);
        if (b != 0 && m_singles[b] != kUndecodable)
            m_codes.emplace_back(m_singles[b], static_cast<std::uint16_t>(b));
    }

    m_pairs.assign(std::size_t{slots} * 256, kUndecodable);
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (m_leadSlot[lead] == kNoSlot)
            continue;
        for (unsigned trail = 1; trail < 256; ++trail) {
            const unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            const char16_t c = decoder.decode(bytes, 2);
            m_pairs[std::size_t{m_leadSlot[lead]} * 256 + trail] = c;
            if (c != kUndecodable)
                m_codes.emplace_back(c, static_cast<std::uint16_t>(lead << 8 | trail));
        }
    }

    std::sort(m_codes.begin(), m_codes.end());
    m_codes.erase(std::unique(m_codes.begin(), m_codes.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  m_codes.end());
}

std::string CodePageTable::encode(char16_t c) const
{
    const auto it = std::lower_bound(m_codes.begin(), m_codes.end(), c,
                                     [](const auto& entry, char16_t key) { return entry.first < key; });
    if (it == m_codes.end() || it->first != c)
        return {};
    if (it->second > 0xFF)
        return {static_cast<char>(it->second >> 8), static_cast<char>(it->second & 0xFF)};
    return std::string(1, static_cast<char>(it->second));
}

const CodePageTable& tableFor(int codePage)
{
    static std::array<std::once_flag, kCodePages.size()> built;
    static std::array<std::unique_ptr<CodePageTable>, kCodePages.size()> tables;
    const std::size_t index = tableIndex(codePage);
    std::call_once(built[index], [index] { tables[index] = std::make_unique<CodePageTable>(kCodePages[index]); });
    return *tables[index];
}

} // namespace

bool isLeadByte(int codePage, unsigned char b)
{
    return isLeadByteOf(kCodePages[tableIndex(codePage)].codePage, b);
}

std::size_t DecodedText::unitAt(std::size_t byte) const
{
    if (byte >= offsets.back())
        return chars.size();
    const auto next = std::upper_bound(offsets.begin(), offsets.end(), byte);
    return static_cast<std::size_t>(next - offsets.begin()) - 1;
}

DecodedText decodeUnits(int codePage, std::string_view bytes, std::size_t maxChars)
{
    const CodePageTable& table = tableFor(codePage);
    DecodedText text;
    std::size_t i = 0;
    while (i < bytes.size() && text.chars.size() < maxChars) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0)
            break;
        const bool pair = table.isLead(b) && i + 1 < bytes.size() && bytes[i + 1] != '\0';
        text.chars.push_back(pair ? table.pair(b, static_cast<unsigned char>(bytes[i + 1])) : table.single(b));
        i += pair ? 2 : 1;
        text.offsets.push_back(static_cast<std::uint32_t>(i));
    }
    return text;
}

std::u16string toUtf16(int codePage, std::string_view bytes)
{
    return decodeUnits(codePage, bytes, bytes.size()).chars;
}

std::string encodeChar(int codePage, char16_t c)
{
    return tableFor(codePage).encode(c);
}

std::size_t prefixAtCharBoundary(int codePage, std::string_view bytes, std::size_t limit)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const bool pair = isLeadByte(codePage, static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size();
        const std::size_t unit = pair ? 2 : 1;
        if (i + unit > limit)
            break;
        i += unit;
    }
    return i;
}

} // namespace yv::capture
