// Parsing of the engine's look-up string.
#include <enginelink/lookupresult.h>

#include <platform/codec.h>

namespace yv::enginelink {

namespace {

constexpr char kHeaderStart = '[';
constexpr char kHeaderEnd = ']';
constexpr char kHiddenEntry = '(';
constexpr char kHeadwordEntry = '<';

// The path of a header line: after its "[", up to the last "]".
std::string_view headerPath(std::string_view line)
{
    if (!line.empty() && line.front() == kHeaderStart)
        line.remove_prefix(1);
    if (const std::size_t end = line.rfind(kHeaderEnd); end != std::string_view::npos)
        line = line.substr(0, end);
    return line;
}

// The next field up to a TAB; the rest moves past it.
std::string_view takeField(std::string_view& rest)
{
    const std::size_t tab = rest.find('\t');
    const std::string_view field = rest.substr(0, tab);
    rest = tab == std::string_view::npos ? std::string_view{} : rest.substr(tab + 1);
    return field;
}

} // namespace

std::string dictionaryName(std::string_view path)
{
    // Walk by characters: a CP932 trail byte may be 0x5C, which is not a separator there.
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto b = static_cast<unsigned char>(path[i]);
        if (codec::isLeadByte(b) && i + 1 < path.size())
            ++i;
        else if (b == '/' || b == '\\')
            nameStart = i + 1;
    }
    std::string_view name = path.substr(nameStart);
    // '.' is below the trail-byte range, so the last one is a real dot.
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    return std::string(name);
}

LookUpResult parseLookUp(std::string_view text)
{
    LookUpResult result;
    std::string dictionary;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (first || line.front() == kHeaderStart) {
            dictionary = dictionaryName(headerPath(line));
            first = false;
            continue;
        }
        ++result.entries;
        std::string_view rest = line;
        const std::string_view f1 = takeField(rest);
        takeField(rest);  // the engine's own field, not shown
        const std::string_view f3 = takeField(rest);
        if (f1.starts_with(kHiddenEntry))
            continue;
        if (f1.starts_with(kHeadwordEntry))
            result.rows.push_back({std::string(f1), {}, {}, true});
        else
            result.rows.push_back({std::string(f3), std::string(f1), dictionary, false});
    }
    return result;
}

} // namespace yv::enginelink
