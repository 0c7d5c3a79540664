// Shift_JIS text rules of sample documents: lines, characters, words and letter case.
#include <exampleindex/sampletext.h>

#include <platform/codec.h>
#include <platform/textutil.h>

namespace yv::exampleindex {

namespace {

constexpr std::string_view kWordSeparators = " \t,.:;?[]()!";

// Applies the rules every line shares once its bytes (up to one more than the limit) are known.
void finishLine(std::string& line, bool complete)
{
    if (complete && !line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() > kMaxLineBytes)
        line.resize(kMaxLineBytes);
    std::size_t i = 0;
    while (i < line.size()) {
        if (codec::isLeadByte(static_cast<unsigned char>(line[i])) && i + 1 == line.size()) {
            line.pop_back();
            break;
        }
        i += characterAt(line, i).length;
    }
}

bool isWordSeparator(SjisCharacter c)
{
    if (c.length == 2)
        return c.code == kFullWidthSpace;
    return kWordSeparators.find(static_cast<char>(c.code)) != std::string_view::npos;
}

} // namespace

SampleLineReader::SampleLineReader(std::FILE* file, std::size_t maxLines)
    : m_file(file)
    , m_linesLeft(maxLines)
{
}

bool SampleLineReader::next(std::string& line)
{
    line.clear();
    if (m_linesLeft == 0 || !m_file)
        return false;
    bool any = false;
    bool complete = true;
    int c;
    while ((c = getc_unlocked(m_file)) != EOF) {
        ++m_bytesRead;
        any = true;
        if (c == '\n')
            break;
        if (line.size() <= kMaxLineBytes)
            line.push_back(static_cast<char>(c));
        else
            complete = false;
    }
    if (!any)
        return false;
    --m_linesLeft;
    finishLine(line, complete);
    return true;
}

std::vector<std::string> splitSampleLines(std::string_view bytes, std::size_t maxLines)
{
    std::vector<std::string> lines;
    while (!bytes.empty() && lines.size() < maxLines) {
        const auto lf = bytes.find('\n');
        const std::string_view raw = bytes.substr(0, lf);
        std::string line(raw.substr(0, kMaxLineBytes + 1));
        finishLine(line, raw.size() <= kMaxLineBytes + 1);
        lines.push_back(std::move(line));
        bytes = lf == std::string_view::npos ? std::string_view() : bytes.substr(lf + 1);
    }
    return lines;
}

SjisCharacter characterAt(std::string_view text, std::size_t offset)
{
    const auto b = static_cast<unsigned char>(text[offset]);
    if (codec::isLeadByte(b) && offset + 1 < text.size()) {
        const auto trail = static_cast<unsigned char>(text[offset + 1]);
        return {static_cast<std::uint16_t>((b << 8) | trail), 2};
    }
    return {b, 1};
}

bool isBlankLine(std::string_view line)
{
    for (std::size_t i = 0; i < line.size();) {
        const SjisCharacter c = characterAt(line, i);
        const bool blank = c.length == 2 ? c.code == kFullWidthSpace
                                         : text::trimBlanks(std::string_view(&line[i], 1)).empty();
        if (!blank)
            return false;
        i += c.length;
    }
    return true;
}

bool isIndexedLine(std::string_view line)
{
    for (std::size_t i = 0; i < line.size();) {
        const SjisCharacter c = characterAt(line, i);
        if (c.length == 2 ? c.code != kFullWidthSpace
                          : (c.code > 0x20 && c.code < 0x7F) || codec::isHalfWidthKana(static_cast<unsigned char>(c.code)))
            return true;
        i += c.length;
    }
    return false;
}

bool isEnglishLine(std::string_view line)
{
    if (line.empty())
        return true;
    std::size_t doubleByte = 0;
    for (std::size_t i = 0; i < line.size();) {
        const SjisCharacter c = characterAt(line, i);
        doubleByte += c.length == 2 ? 1 : 0;
        i += c.length;
    }
    return doubleByte * 2 * 100 / line.size() < 30;
}

std::vector<std::string_view> splitEnglishWords(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        const SjisCharacter c = characterAt(line, i);
        if (isWordSeparator(c)) {
            if (i > start)
                words.push_back(line.substr(start, i - start));
            start = i + c.length;
        }
        i += c.length;
    }
    if (line.size() > start)
        words.push_back(line.substr(start));
    return words;
}

std::string foldCase(std::string_view text)
{
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size();) {
        const SjisCharacter c = characterAt(folded, i);
        if (c.length == 1)
            folded[i] = text::asciiLower(folded[i]);
        i += c.length;
    }
    return folded;
}

bool matchesFoldedAt(std::string_view text, std::size_t offset, std::string_view key)
{
    if (key.empty() || offset > text.size() || text.size() - offset < key.size())
        return false;
    for (std::size_t j = 0; j < key.size();) {
        const SjisCharacter t = characterAt(text, offset + j);
        const SjisCharacter k = characterAt(key, j);
        if (t.length != k.length || j + t.length > key.size())
            return false;
        if (t.length == 2 ? t.code != k.code
                          : text::asciiLower(static_cast<char>(t.code)) != text::asciiLower(static_cast<char>(k.code)))
            return false;
        j += t.length;
    }
    return true;
}

std::size_t sjisPrefixLength(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = characterAt(text, i).length;
        if (i + length > limit)
            break;
        i += length;
    }
    return i;
}

} // namespace yv::exampleindex
