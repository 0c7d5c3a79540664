// Block files written and read back.
#include "docmorph/blockfile.h"

#include <platform/codec.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace yv::docmorph {

namespace {

constexpr std::string_view kOpen = "<PRE->";
constexpr std::string_view kClose = "</PRE->";
constexpr std::string_view kParagraph = "<P>";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
              });
}

// The first occurrence of an ASCII mark at a single-byte position of CP932 text.
std::size_t findMark(std::string_view cp932, std::string_view mark)
{
    for (std::size_t i = 0; i < cp932.size();) {
        if (cp932.size() - i >= mark.size() && equalsIgnoringCase(cp932.substr(i, mark.size()), mark))
            return i;
        i += codec::isLeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
    }
    return std::string_view::npos;
}

// Cuts CP932 text to at most `limit` bytes without splitting a double-byte character.
void capBytes(std::string& cp932, std::size_t limit)
{
    if (cp932.size() <= limit)
        return;
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t step = codec::isLeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    cp932.resize(i);
}

} // namespace

void BlockWriter::add(std::string_view utf8Text)
{
    const std::string text = codec::utf8ToCp932(utf8Text);
    std::string body;
    body.reserve(text.size() + 8);
    for (const char c : text) {
        switch (m_layout) {
        case Layout::Word:
            if (c == '\v' || c == '\n')
                body += "\r\n";
            else
                body += c;
            break;
        case Layout::Slides:
            if (c == '\r')
                body += "\r\n<P>";
            else if (c == '\v' || c == '\n')
                body += "\r\n";
            else
                body += c;
            break;
        case Layout::Cells:
            if (c == '\n')
                body += "\r\n";
            else
                body += c;
            break;
        }
    }
    m_bytes += kOpen;
    if (m_layout == Layout::Slides)
        m_bytes += "\r\n";
    m_bytes += body;
    if (m_layout == Layout::Slides)
        m_bytes += "\r\n";
    m_bytes += kClose;
    m_bytes += "\r\n";
    ++m_count;
}

bool BlockWriter::save(const std::filesystem::path& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

BlockReader::BlockReader(std::string bytes, Layout layout)
    : m_in(std::make_unique<std::istringstream>(std::move(bytes))), m_layout(layout)
{
}

std::optional<BlockReader> BlockReader::load(const std::filesystem::path& path, Layout layout)
{
    auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*in)
        return std::nullopt;
    return BlockReader(std::move(in), layout);
}

std::optional<std::string_view> BlockReader::readLine()
{
    if (!std::getline(*m_in, m_line))
        return std::nullopt;
    std::string_view line(m_line);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::optional<std::string> BlockReader::next()
{
    // Find the line that opens the next block; lines outside blocks are passed over.
    std::string_view line;
    std::size_t open = std::string_view::npos;
    while (open == std::string_view::npos) {
        auto read = readLine();
        if (!read)
            return std::nullopt;
        line = *read;
        open = findMark(line, kOpen);
        if (m_layout == Layout::Slides && open != 0)
            open = std::string_view::npos;
    }
    std::string text;
    bool first = true;
    // A line break inside a unit comes back as a line end in the block: the lines are joined
    // with the break they stood for, so that it is kept.
    const char lineBreak = m_layout == Layout::Cells ? '\n' : '\v';
    auto append = [&](std::string_view piece) {
        if (m_layout == Layout::Slides) {
            const auto paragraph = findMark(piece, kParagraph);
            if (!first && paragraph != 0)
                text += lineBreak;
            if (paragraph != std::string_view::npos) {
                text.append(piece.substr(0, paragraph));
                text += '\r';
                piece.remove_prefix(paragraph + kParagraph.size());
            }
        } else if (!first) {
            text += lineBreak;
        }
        text.append(piece);
        first = false;
        capBytes(text, kMaxBlockBytes);
    };
    std::string_view rest = line.substr(open + kOpen.size());
    if (m_layout == Layout::Slides) {
        // The opening line holds nothing but the mark; the text starts on the next line.
        if (const auto close = findMark(rest, kClose); close != std::string_view::npos)
            return std::string();
        auto read = readLine();
        if (!read)
            return std::string();
        rest = *read;
    }
    while (true) {
        const auto close = findMark(rest, kClose);
        if (close != std::string_view::npos) {
            if (close > 0 || m_layout != Layout::Slides)
                append(rest.substr(0, close));
            break;
        }
        append(rest);
        auto read = readLine();
        if (!read)
            break;
        rest = *read;
    }
    return codec::cp932ToUtf8(decodeEntities(text));
}

std::string decodeEntities(std::string_view cp932)
{
    static constexpr std::array<std::pair<std::string_view, char>, 4> kEntities{
        {{"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}}};
    std::string out;
    out.reserve(cp932.size());
    for (std::size_t i = 0; i < cp932.size();) {
        const unsigned char c = static_cast<unsigned char>(cp932[i]);
        if (codec::isLeadByte(c) && i + 1 < cp932.size()) {
            out.append(cp932.substr(i, 2));
            i += 2;
            continue;
        }
        bool replaced = false;
        if (c == '&') {
            for (const auto& [entity, character] : kEntities) {
                if (cp932.size() - i >= entity.size() && equalsIgnoringCase(cp932.substr(i, entity.size()), entity)) {
                    out += character;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += static_cast<char>(c);
            ++i;
        }
    }
    return out;
}

} // namespace yv::docmorph
