// The insertion normaliser.
#include <editorcore/insertion.h>

#include <algorithm>

namespace yv::editor {

namespace {

constexpr bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

constexpr bool isLineEnd(unsigned char b) { return b == '\r' || b == '\n'; }

} // namespace

std::vector<CellChar> normalizeInsertion(std::string_view text, std::uint16_t pair, std::uint8_t tag)
{
    std::vector<CellChar> out;
    out.reserve(text.size());
    const std::size_t end = std::min(text.find('\0'), text.size());
    for (std::size_t i = 0; i < end; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (codec::isLeadByte(b)) {
            if (i + 1 < end && isTrailByte(static_cast<unsigned char>(text[i + 1]))) {
                out.push_back({b, static_cast<std::uint8_t>(text[i + 1]), pair, tag});
                ++i;
            } else {
                const auto r = codec::kCp932Replacement;
                out.push_back({static_cast<std::uint8_t>(r[0]), static_cast<std::uint8_t>(r[1]), pair, tag});
            }
        } else if (isLineEnd(b)) {
            out.push_back({kLineBreak, 0, pair, tag});
            if (i + 1 < end && isLineEnd(static_cast<unsigned char>(text[i + 1])))
                ++i;
        } else {
            out.push_back({b == '\t' ? std::uint8_t{' '} : b, 0, pair, tag});
        }
    }
    return out;
}

} // namespace yv::editor
