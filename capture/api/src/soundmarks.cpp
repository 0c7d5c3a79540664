// Merging separate sound marks into the katakana before them.
#include "soundmarks.h"

#include <platform/codec.h>

namespace yv::capture {

namespace {

constexpr unsigned char kKatakanaLead = 0x83;
constexpr unsigned char kFirstKatakana = 0x40;
constexpr unsigned char kLastKatakana = 0x96;
constexpr unsigned char kKatakanaU = 0x45;
constexpr unsigned char kKatakanaVu = 0x94;
constexpr unsigned char kMarkLead = 0x81;
constexpr unsigned char kVoicedMark = 0x4A;
constexpr unsigned char kSemiVoicedMark = 0x4B;

} // namespace

std::string mergeSoundMarks(std::string_view sjis)
{
    std::string out;
    out.reserve(sjis.size());
    for (std::size_t i = 0; i < sjis.size();) {
        const auto lead = static_cast<unsigned char>(sjis[i]);
        if (!codec::isLeadByte(lead) || i + 1 >= sjis.size()) {
            out.push_back(sjis[i++]);
            continue;
        }
        auto trail = static_cast<unsigned char>(sjis[i + 1]);
        i += 2;
        if (lead == kKatakanaLead && trail >= kFirstKatakana && trail <= kLastKatakana && i + 1 < sjis.size() &&
            static_cast<unsigned char>(sjis[i]) == kMarkLead) {
            const auto mark = static_cast<unsigned char>(sjis[i + 1]);
            if (mark == kVoicedMark) {
                trail = trail == kKatakanaU ? kKatakanaVu : static_cast<unsigned char>(trail + 1);
                i += 2;
            } else if (mark == kSemiVoicedMark) {
                trail = static_cast<unsigned char>(trail + 2);
                i += 2;
            }
        }
        out.push_back(static_cast<char>(lead));
        out.push_back(static_cast<char>(trail));
    }
    return out;
}

} // namespace yv::capture
