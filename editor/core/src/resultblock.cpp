// Parsing of the engine callback's strings.
#include <editorcore/resultblock.h>

#include <algorithm>
#include <limits>

namespace yv::editor {

namespace {

constexpr std::size_t kFieldCount = 5;
// Numbers beyond this are no offset or length anyone can use; they saturate here.
constexpr long kNumberCeiling = std::numeric_limits<int>::max();

// A decimal number as the C library reads one: blanks, a sign, digits; nothing when there
// are no digits.
bool parseNumber(std::string_view s, long& out)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i >= s.size() || s[i] < '0' || s[i] > '9')
        return false;
    long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = std::min(kNumberCeiling, v * 10 + (s[i] - '0'));
    out = negative ? -v : v;
    return true;
}

ResultLine parseLine(std::string_view line)
{
    std::string_view fields[kFieldCount];
    std::size_t count = 0;
    while (count < kFieldCount) {
        const std::size_t tab = line.find('\t');
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    ResultLine r;
    r.text = std::string(fields[0]);
    long number = 0;
    if (count > 1 && parseNumber(fields[1], number))
        r.tag = static_cast<std::uint8_t>(number);
    if (count > 2)
        r.sourceLength = fields[2].size();
    if (count > 3 && parseNumber(fields[3], number))
        r.offset = number;
    if (count > 4 && parseNumber(fields[4], number))
        r.length = number;
    return r;
}

} // namespace

CallbackMessage parseCallback(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    CallbackMessage message;
    if (text == kEndMark) {
        message.kind = CallbackKind::EndMark;
        return message;
    }
    if (text.substr(0, kEndMark.size()) == kEndMark) {
        message.kind = CallbackKind::Results;
        const std::size_t firstBreak = text.find('\n');
        if (firstBreak == std::string_view::npos)
            return message;
        std::string_view rest = text.substr(firstBreak + 1);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty())
                continue;
            ResultLine parsed = parseLine(line);
            if (parsed.text != kEndMark)
                message.lines.push_back(std::move(parsed));
        }
        return message;
    }
    if (text.find('\n') != std::string_view::npos) {
        message.kind = CallbackKind::Untranslatable;
        message.sourceLength = text.size() - 1;
    }
    return message;
}

} // namespace yv::editor
