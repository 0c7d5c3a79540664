// Half-width and full-width forms of ASCII and katakana in Shift_JIS, both ways.
#pragma once

#include <array>
#include <cstdint>
#include <cstddef>

namespace yv::book::Internal {

// Full-width Shift_JIS form of each printable ASCII character, from 0x20 to 0x7E.
inline constexpr std::array<std::uint16_t, 95> kFullWidthAscii = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B,
    0x8143, 0x817C, 0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262,
    0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279, 0x816D,
    0x818F, 0x816E, 0x814F, 0x8151, 0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,
};

// Full-width Shift_JIS form of each half-width katakana byte, from 0xA1 to 0xDF.
inline constexpr std::array<std::uint16_t, 63> kFullWidthKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383,
    0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367,
    0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F,
    0x8393, 0x814A, 0x814B,
};

inline constexpr unsigned char kHalfVoicedMark = 0xDE;
inline constexpr unsigned char kHalfSemiVoicedMark = 0xDF;
inline constexpr std::uint16_t kKatakanaU = 0x8345;   // ウ
inline constexpr std::uint16_t kKatakanaVu = 0x8394;  // ヴ

// Katakana カ to ト and ハ to ホ have a voiced form one code above; ハ to ホ also a
// semi-voiced form two above.
constexpr bool hasVoicedForm(std::uint16_t sjis)
{
    if (sjis == kKatakanaU)
        return true;
    if (sjis >= 0x834A && sjis <= 0x8360 && sjis % 2 == 0)  // カ, キ .. チ
        return true;
    if (sjis == 0x8363 || sjis == 0x8365 || sjis == 0x8367)  // ツ, テ, ト
        return true;
    return sjis >= 0x836E && sjis <= 0x837A && (sjis - 0x836E) % 3 == 0;
}

constexpr bool hasSemiVoicedForm(std::uint16_t sjis)
{
    return sjis >= 0x836E && sjis <= 0x837A && (sjis - 0x836E) % 3 == 0;
}

constexpr std::uint16_t voicedForm(std::uint16_t sjis)
{
    return sjis == kKatakanaU ? kKatakanaVu : static_cast<std::uint16_t>(sjis + 1);
}

// The half-width form of a full-width Shift_JIS character: one or two bytes written to
// `out`, or 0 when it has none.
inline std::size_t halfWidthForm(std::uint16_t sjis, std::array<char, 2>& out)
{
    // Letters, digits and the space, the usual case, without a table search.
    if (sjis >= 0x824F && sjis <= 0x8258) {
        out[0] = static_cast<char>('0' + (sjis - 0x824F));
        return 1;
    }
    if (sjis >= 0x8260 && sjis <= 0x8279) {
        out[0] = static_cast<char>('A' + (sjis - 0x8260));
        return 1;
    }
    if (sjis >= 0x8281 && sjis <= 0x829A) {
        out[0] = static_cast<char>('a' + (sjis - 0x8281));
        return 1;
    }
    auto halfKana = [](std::uint16_t full) -> int {
        for (std::size_t i = 0; i < kFullWidthKana.size(); ++i) {
            if (kFullWidthKana[i] == full)
                return static_cast<int>(0xA1 + i);
        }
        return -1;
    };
    for (std::size_t i = 0; i < kFullWidthAscii.size(); ++i) {
        if (kFullWidthAscii[i] == sjis) {
            out[0] = static_cast<char>(0x20 + i);
            return 1;
        }
    }
    if (const int kana = halfKana(sjis); kana >= 0) {
        out[0] = static_cast<char>(kana);
        return 1;
    }
    std::uint16_t base = 0;
    unsigned char mark = 0;
    if (sjis == kKatakanaVu) {
        base = kKatakanaU;
        mark = kHalfVoicedMark;
    } else if (sjis > 0x8340 && sjis - 1 != kKatakanaU && hasVoicedForm(static_cast<std::uint16_t>(sjis - 1))) {
        base = static_cast<std::uint16_t>(sjis - 1);
        mark = kHalfVoicedMark;
    } else if (sjis > 0x8341 && hasSemiVoicedForm(static_cast<std::uint16_t>(sjis - 2))) {
        base = static_cast<std::uint16_t>(sjis - 2);
        mark = kHalfSemiVoicedMark;
    } else {
        return 0;
    }
    const int kana = halfKana(base);
    if (kana < 0)
        return 0;
    out[0] = static_cast<char>(kana);
    out[1] = static_cast<char>(mark);
    return 2;
}

} // namespace yv::book::Internal
