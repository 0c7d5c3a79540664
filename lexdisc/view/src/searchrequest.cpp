// Parsing the search service's requests.
#include <lexview/searchrequest.h>

#include <platform/codec.h>

#include <charconv>

namespace yv::lexview {

namespace {

// The longest prefix of at most `limit` bytes that ends on a character boundary.
std::string_view cutAtCharacter(std::string_view sjis, std::size_t limit)
{
    std::size_t end = 0;
    while (end < sjis.size()) {
        const std::size_t length = codec::isLeadByte(static_cast<unsigned char>(sjis[end])) ? 2 : 1;
        if (end + length > limit)
            break;
        end += length;
    }
    return sjis.substr(0, std::min(end, sjis.size()));
}

bool hasDoubleByte(std::string_view sjis)
{
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        if (codec::isLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size())
            return true;
    }
    return false;
}

} // namespace

std::string normaliseRequestKey(std::string_view sjis)
{
    const std::string_view cut = cutAtCharacter(sjis, kMaxRequestKeyBytes);
    const bool doubleByte = hasDoubleByte(cut);
    std::string out;
    out.reserve(cut.size());
    for (std::size_t i = 0; i < cut.size(); ++i) {
        const char c = cut[i];
        if (codec::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < cut.size()) {
            out += c;
            out += cut[++i];
        } else if (c == '\t') {
            out += ' ';
        } else if (c == '\r' || c == '\n') {
            if (!doubleByte && (c == '\r' || (i > 0 && cut[i - 1] == '\r')))
                out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<SearchRequest> parseSearchRequest(std::string_view sjis)
{
    SearchRequest request;
    const std::size_t tab = sjis.find('\t');
    if (tab == 0)
        return std::nullopt;
    if (tab != std::string_view::npos) {
        std::string_view handle = sjis.substr(tab + 1);
        while (!handle.empty() && (handle.back() == '\0' || handle.back() == ' ' || handle.back() == '\r'
                                   || handle.back() == '\n'))
            handle.remove_suffix(1);
        std::uint64_t window = 0;
        const auto [end, ec] = std::from_chars(handle.data(), handle.data() + handle.size(), window, 16);
        if (ec == std::errc() && end == handle.data() + handle.size() && !handle.empty())
            request.returnWindow = window;
        sjis = sjis.substr(0, tab);
    }
    request.key = normaliseRequestKey(sjis);
    return request;
}

std::string notFoundMessage(std::string_view sjisKey)
{
    std::string text = codec::utf8ToCp932("検索キー : \"");
    text += cutAtCharacter(sjisKey, kNotFoundKeyBytes);
    text += codec::utf8ToCp932("\" は見つかりませんでした");
    return text;
}

} // namespace yv::lexview
