// Result-block formatting.
#include "blocks.h"

#include <platform/codec.h>

namespace yv::engine::Internal {

namespace {

std::string clean(std::string text)
{
    for (auto& c : text) {
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return text;
}

} // namespace

std::string formatBlock(std::size_t sentenceNumber, const std::vector<Unit>& units, std::string_view sentText,
                        std::size_t sentenceOffset)
{
    std::string block = "$$$ " + std::to_string(sentenceNumber) + "\n";
    for (const auto& unit : units) {
        auto text = clean(codec::utf8ToCp932(unit.text));
        if (text.empty() || text == "$$$")
            continue;
        std::string source;
        std::string offset = "-1";
        std::string length = "0";
        if (unit.offset != kNoOffset) {
            const auto at = sentenceOffset + static_cast<std::size_t>(unit.offset);
            source = clean(std::string(sentText.substr(at, unit.length)));
            offset = std::to_string(at);
            length = std::to_string(unit.length);
        }
        block += text;
        block += '\t';
        block += std::to_string(static_cast<int>(unit.tag));
        block += '\t';
        block += source;
        block += '\t';
        block += offset;
        block += '\t';
        block += length;
        block += '\n';
    }
    return block;
}

std::string formatUntranslatable(std::string_view sentence)
{
    return clean(std::string(sentence)) + "\n";
}

std::string joinUnits(const std::vector<Unit>& units, bool english)
{
    std::string out;
    for (const auto& unit : units) {
        if (unit.text.empty())
            continue;
        const char first = unit.text[0];
        const bool punctuation = first == '.' || first == ',' || first == '!' || first == '?' || first == ':';
        if (english && !out.empty() && !punctuation)
            out += ' ';
        out += unit.text;
    }
    return out;
}

} // namespace yv::engine::Internal
