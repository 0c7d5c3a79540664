// HTML splitting into markup and text, character references and the declared charset.
#include "html.h"

#include <platform/textutil.h>

#include <array>
#include <charconv>

namespace yv::engine::Internal {

namespace {

// A character reference longer than this is not one.
constexpr std::size_t kMaxReferenceBytes = 12;

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (auto& c : out)
        c = text::asciiLower(c);
    return out;
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == ':';
}

// The end of the tag that starts at `at` ('<'), quotes respected; npos when it is not closed.
std::size_t tagEnd(std::string_view html, std::size_t at)
{
    char quote = 0;
    for (std::size_t i = at + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            // Quotes only count inside attribute values (after '='), so that a stray quote in
            // broken markup does not swallow the document.
            std::size_t j = i;
            while (j > at && html[j - 1] == ' ')
                --j;
            if (j > at && html[j - 1] == '=')
                quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::size_t findIgnoringCase(std::string_view haystack, std::string_view needle, std::size_t from)
{
    if (needle.size() > haystack.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (text::equalsIgnoringAsciiCase(haystack.substr(i, needle.size()), needle))
            return i;
    }
    return std::string_view::npos;
}

std::optional<codec::TextEncoding> encodingNamed(std::string_view name)
{
    const auto n = lowerAscii(text::trimBlanks(name));
    if (n == "shift_jis" || n == "shift-jis" || n == "sjis" || n == "x-sjis" || n == "windows-31j" || n == "cp932"
        || n == "ms_kanji" || n == "csshiftjis")
        return codec::TextEncoding::Cp932;
    if (n == "euc-jp" || n == "x-euc-jp" || n == "eucjp" || n == "euc_jp")
        return codec::TextEncoding::EucJp;
    if (n == "iso-2022-jp" || n == "csiso2022jp")
        return codec::TextEncoding::Iso2022Jp;
    if (n == "utf-8" || n == "utf8")
        return codec::TextEncoding::Utf8;
    if (n == "us-ascii" || n == "ascii")
        return codec::TextEncoding::Ascii;
    return std::nullopt;
}

} // namespace

std::vector<HtmlPiece> splitHtml(std::string_view html)
{
    std::vector<HtmlPiece> pieces;
    const auto push = [&pieces](std::string_view bytes, bool isText) {
        if (bytes.empty())
            return;
        if (!pieces.empty() && pieces.back().isText == isText
            && pieces.back().bytes.data() + pieces.back().bytes.size() == bytes.data())
            pieces.back().bytes = std::string_view(pieces.back().bytes.data(), pieces.back().bytes.size() + bytes.size());
        else
            pieces.push_back({bytes, isText});
    };
    std::size_t i = 0;
    while (i < html.size()) {
        const auto lt = html.find('<', i);
        if (lt == std::string_view::npos) {
            push(html.substr(i), true);
            break;
        }
        // "<" not followed by a tag name, "/", "!" or "?" is text.
        if (lt + 1 >= html.size() || !(isNameChar(html[lt + 1]) || html[lt + 1] == '/' || html[lt + 1] == '!' || html[lt + 1] == '?')) {
            push(html.substr(i, lt + 1 - i), true);
            i = lt + 1;
            continue;
        }
        push(html.substr(i, lt - i), true);
        std::size_t end;
        if (html.substr(lt, 4) == "<!--") {
            const auto close = html.find("-->", lt + 4);
            end = close == std::string_view::npos ? html.size() : close + 3;
        } else {
            end = tagEnd(html, lt);
            if (end == std::string_view::npos)
                end = html.size();
            std::size_t nameEnd = lt + 1;
            while (nameEnd < end && isNameChar(html[nameEnd]))
                ++nameEnd;
            const auto name = lowerAscii(html.substr(lt + 1, nameEnd - lt - 1));
            if (name == "script" || name == "style" || name == "textarea" || name == "xmp") {
                // Raw contents: nothing inside is a tag or text to translate.
                const auto close = findIgnoringCase(html, "</" + name, end);
                end = close == std::string_view::npos ? html.size() : close;
            }
        }
        push(html.substr(lt, end - lt), false);
        i = end;
    }
    return pieces;
}

std::optional<codec::TextEncoding> declaredCharset(std::string_view html)
{
    for (const auto& piece : splitHtml(html)) {
        if (piece.isText)
            continue;
        // Neighbouring tags share one markup piece.
        const auto markup = lowerAscii(piece.bytes);
        for (auto meta = markup.find("<meta"); meta != std::string::npos; meta = markup.find("<meta", meta + 5)) {
            const auto tag = std::string_view(markup).substr(meta, markup.find('>', meta) - meta);
            auto at = tag.find("charset");
            if (at == std::string_view::npos)
                continue;
            at += 7;
            while (at < tag.size() && (tag[at] == ' ' || tag[at] == '=' || tag[at] == '"' || tag[at] == '\''))
                ++at;
            auto end = at;
            while (end < tag.size() && (isNameChar(tag[end]) || tag[end] == '_'))
                ++end;
            if (auto encoding = encodingNamed(tag.substr(at, end - at)))
                return encoding;
        }
    }
    return std::nullopt;
}

std::string decodeEntities(std::string_view s)
{
    struct Named {
        std::string_view name;
        char32_t cp;
    };
    static constexpr std::array kNamed = {Named{"amp", U'&'},    Named{"lt", U'<'},     Named{"gt", U'>'},
                                          Named{"quot", U'"'},   Named{"apos", U'\''},  Named{"nbsp", U' '},
                                          Named{"copy", U'\u00A9'}, Named{"reg", U'\u00AE'}, Named{"hellip", U'\u2026'},
                                          Named{"mdash", U'\u2014'}, Named{"ndash", U'\u2013'}, Named{"yen", U'\u00A5'}};
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '&') {
            out += s[i++];
            continue;
        }
        const auto semi = s.find(';', i + 1);
        if (semi == std::string_view::npos || semi - i > kMaxReferenceBytes) {
            out += s[i++];
            continue;
        }
        const auto ref = s.substr(i + 1, semi - i - 1);
        std::optional<char32_t> cp;
        if (ref.size() > 1 && ref[0] == '#') {
            unsigned value = 0;
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const auto digits = ref.substr(hex ? 2 : 1);
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
            if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty() && value > 0
                && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF))
                cp = static_cast<char32_t>(value);
        } else {
            for (const auto& named : kNamed) {
                if (ref == named.name)
                    cp = named.cp;
            }
        }
        if (!cp) {
            out += s[i++];
            continue;
        }
        codec::appendUtf8(out, *cp);
        i = semi + 1;
    }
    return out;
}

std::string encodeEntities(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace yv::engine::Internal
