// The add-in's text rules: requests, answers, clipboard texts and the cell grid.
#include "addincore.h"

#include <platform/codec.h>

#include <algorithm>
#include <charconv>

namespace yv::addin {

namespace {

constexpr std::string_view kEndOfText = "$$$";
constexpr std::string_view kEndOfFile = "end";

std::string withNul(std::string text)
{
    text.push_back('\0');
    return text;
}

} // namespace

std::string_view topicOf(RequestKind kind)
{
    switch (kind) {
    case RequestKind::Text:
        return "Translate";
    case RequestKind::TextFile:
        return "TranslateF";
    case RequestKind::HtmlFile:
        return "TranslateH";
    }
    return "Translate";
}

std::string requestData(RequestKind kind, std::string_view cp932Text, std::string_view source,
                        std::string_view result)
{
    switch (kind) {
    case RequestKind::Text:
        // The text ends at its first NUL, as the engine reads it.
        return withNul(std::string(cp932Text.substr(0, cp932Text.find('\0'))));
    case RequestKind::TextFile:
        return withNul(std::string(source) + '\t' + std::string(result));
    case RequestKind::HtmlFile:
        return withNul(std::string(source) + '\t' + std::string(result) + "\tvaskel\tJAPAN");
    }
    return withNul({});
}

int textDirection(std::string_view cp932)
{
    for (const char c : cp932) {
        if (codec::isLeadByte(static_cast<unsigned char>(c)))
            return 2;
    }
    return 1;
}

FileJobAnswer readFileJobAnswer(std::string_view data)
{
    FileJobAnswer answer;
    const std::string_view text = data.substr(0, data.find('\0'));
    if (text == kEndOfText || text == kEndOfFile) {
        answer.ended = true;
        return answer;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && !text.empty())
        answer.percent = value < 0 ? 0 : (value > 100 ? 100 : value);
    return answer;
}

std::string clipboardTextOfTranslation(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.push_back(' ');
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            out.push_back(' ');
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string clipboardTextOfFile(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (bytes[i] == '\n') {
            out += "\r\n";
        } else {
            out.push_back(bytes[i]);
        }
    }
    return out;
}

std::optional<CellGrid> parseCellGrid(std::string_view text)
{
    CellGrid grid;
    std::vector<std::string> row;
    std::string cell;
    std::size_t cells = 0;
    std::size_t widest = 0;
    const auto endCell = [&] {
        row.push_back(std::move(cell));
        cell.clear();
        return ++cells <= kMaxCells;
    };
    const auto endRow = [&] {
        widest = std::max(widest, row.size());
        grid.push_back(std::move(row));
        row.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (++i == text.size())
                return std::nullopt;
            switch (text[i]) {
            case '\\':
                cell.push_back('\\');
                break;
            case 't':
                cell.push_back('\t');
                break;
            case 'n':
                cell.push_back('\n');
                break;
            case 'r':
                cell.push_back('\r');
                break;
            default:
                return std::nullopt;
            }
        } else if (c == '\t') {
            if (!endCell())
                return std::nullopt;
        } else if (c == '\n') {
            if (!endCell())
                return std::nullopt;
            endRow();
        } else if (c == '\0') {
            return std::nullopt;
        } else {
            cell.push_back(c);
        }
    }
    // A last row without its LF still counts.
    if (!cell.empty() || !row.empty()) {
        if (!endCell())
            return std::nullopt;
        endRow();
    }
    // Padding may not push the grid past the limit either.
    if (widest * grid.size() > kMaxCells)
        return std::nullopt;
    for (auto& r : grid)
        r.resize(widest);
    return grid;
}

std::string formatCellGrid(const CellGrid& grid)
{
    std::string out;
    for (const auto& row : grid) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c)
                out.push_back('\t');
            for (const char ch : row[c]) {
                switch (ch) {
                case '\\':
                    out += "\\\\";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                default:
                    out.push_back(ch);
                }
            }
        }
        out.push_back('\n');
    }
    return out;
}

bool allCellsEmpty(const CellGrid& grid)
{
    for (const auto& row : grid) {
        for (const auto& cell : row) {
            if (!cell.empty())
                return false;
        }
    }
    return true;
}

std::string gridClipboardText(const CellGrid& translated)
{
    std::string out;
    for (const auto& row : translated) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c)
                out.push_back('\t');
            out += row[c];
        }
        out += "\r\n";
    }
    return out;
}

} // namespace yv::addin
