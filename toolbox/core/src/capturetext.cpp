// Hand-over texts of the toolbox.
#include <toolboxcore/capturetext.h>

#include <platform/codec.h>

#include <cstdio>

namespace yv::toolbox {

namespace {

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool isTerminalClass(std::string_view windowClass)
{
    static constexpr std::string_view kTerminals[] = {
        "xterm",         "uxterm",         "urxvt",      "rxvt",          "gnome-terminal", "gnome-terminal-server",
        "konsole",       "xfce4-terminal", "mate-terminal", "lxterminal", "qterminal",      "terminator",
        "tilix",         "alacritty",      "kitty",      "st-256color",   "st",             "terminology",
        "sakura",        "guake",          "yakuake",    "wezterm",       "foot",           "eterm",
    };
    std::string folded;
    for (const char c : windowClass)
        folded += lowerAscii(c);
    for (const std::string_view terminal : kTerminals) {
        if (folded == terminal)
            return true;
    }
    return false;
}

std::optional<std::string> searchKeyPoke(std::string_view key, std::uint64_t sourceWindow)
{
    if (key.size() + 1 > kSearchKeyLimit)
        return std::nullopt;
    char handle[17];
    std::snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(sourceWindow));
    std::string data(key);
    data += '\t';
    data += handle;
    return data;
}

std::string cleanCapturedSentence(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (codec::isLeadByte(c)) {
            if (i + 1 < text.size()) {
                out += text.substr(i, 2);
                ++i;
            } else {
                out += ' ';
            }
        } else if (c == '\r' || c == '\n') {
            // Line ends stay as captured (the lines come separated by CR LF, as the suite's
            // hand-overs carry them).
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string_view wordHandOverText(std::string_view words, std::string_view displayed)
{
    if (displayed.empty())
        return words;
    for (std::size_t at = words.find(displayed); at != std::string_view::npos;
         at = words.find(displayed, at + 1)) {
        const bool startsWord = at == 0 || isWhiteSpace(words[at - 1]);
        const std::size_t end = at + displayed.size();
        const bool endsWord = end == words.size() || isWhiteSpace(words[end]);
        if (startsWord && endsWord)
            return words.substr(at);
    }
    return words;
}

} // namespace yv::toolbox
