// Texts the editor hands to other programs.
#include <editorcore/outgoing.h>

#include <platform/codec.h>

#include <cstdio>

namespace yv::editor {

namespace {

bool hasDoubleByte(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (codec::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            return true;
    }
    return false;
}

} // namespace

std::string cleanCdRomSearchTerm(std::string_view selection)
{
    const bool doubleByte = hasDoubleByte(selection);
    std::string cleaned;
    cleaned.reserve(selection.size());
    for (std::size_t i = 0; i < selection.size(); ++i) {
        const char c = selection[i];
        if (codec::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < selection.size()) {
            cleaned += c;
            cleaned += selection[++i];
        } else if (c == '\r') {
            if (!doubleByte)
                cleaned += ' ';
        } else if (c == '\n') {
            if (!doubleByte && i > 0 && selection[i - 1] == '\r')
                cleaned += ' ';
        } else if (c == '\t') {
            cleaned += ' ';
        } else {
            cleaned += c;
        }
    }

    std::size_t start = 0;
    while (start < cleaned.size()) {
        if (cleaned[start] == ' ')
            ++start;
        else if (start + 1 < cleaned.size() && cleaned[start] == '\x81' && cleaned[start + 1] == '\x40')
            start += 2;
        else
            break;
    }
    return cleaned.substr(start);
}

std::string cdRomSearchPoke(std::string_view term, std::uint64_t editorWindow)
{
    char handle[24];
    std::snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(editorWindow));
    std::string poke(term);
    poke += '\t';
    poke += handle;
    return poke;
}

} // namespace yv::editor
