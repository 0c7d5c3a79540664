// Translation direction detection over CP932 bytes.
#include <etccore/direction.h>

#include <platform/codec.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace yv::etc {

namespace {

constexpr std::size_t kTxtLineLimit = 200;
constexpr std::string_view kFrameSetTag = "<frameset";

bool isBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Only regular files count as readable texts (a directory opens but reads nothing).
File openRegularFile(const std::filesystem::path& path)
{
    File file(std::fopen(path.c_str(), "rb"));
    struct stat st {};
    if (file && (::fstat(::fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode)))
        file.reset();
    return file;
}

// Hands the bytes to `sink` in the pieces a text-mode line reader gives: up to and including
// a line feed, or 2,047 bytes; CR LF is read as LF. Stops when `sink` returns false.
class PieceSplitter {
public:
    template <typename Sink>
    bool push(char c, Sink&& sink)
    {
        if (m_pendingCr) {
            m_pendingCr = false;
            if (c != '\n' && !append('\r', sink))
                return false;
        }
        if (c == '\r') {
            m_pendingCr = true;
            return true;
        }
        return append(c, sink);
    }

    template <typename Sink>
    bool finish(Sink&& sink)
    {
        if (m_pendingCr && !append('\r', sink))
            return false;
        m_pendingCr = false;
        if (m_piece.empty())
            return true;
        const bool go = sink(std::string_view(m_piece));
        m_piece.clear();
        return go;
    }

private:
    template <typename Sink>
    bool append(char c, Sink& sink)
    {
        m_piece.push_back(c);
        if (c != '\n' && m_piece.size() < HtmlDirectionScanner::kPieceSize)
            return true;
        const bool go = sink(std::string_view(m_piece));
        m_piece.clear();
        return go;
    }

    std::string m_piece;
    bool m_pendingCr = false;
};

// Reads the first 200 lines of a text file byte by byte. UTF-8 text is read by characters,
// so that only a Japanese character means JE (’ or é in English text begin with CP932 lead
// bytes). Once the bytes are not UTF-8 the code-page rule holds: a CP932 lead byte means JE
// (which also catches EUC-JP). ISO-2022-JP text is seven-bit: an escape into a two-byte set
// or into half-width katakana means JE.
class TextFileScanner final {
public:
    // The direction, once this byte decides it.
    std::optional<int> feed(unsigned char c)
    {
        if (jisEscape(c))
            return kDirectionJE;
        m_leadByteSeen = m_leadByteSeen || codec::isLeadByte(c);
        if (m_utf8 && !feedUtf8(c))
            return kDirectionJE;
        if (!m_utf8 && m_leadByteSeen)
            return kDirectionJE;
        if (c == '\n' && ++m_lineFeeds > kTxtLineLimit)
            return finish();
        return std::nullopt;
    }

    // At the end of the file, or of the 200th line.
    int finish()
    {
        if (!m_pending.empty())
            m_utf8 = false;  // a character cut off by the end
        return !m_utf8 && m_leadByteSeen ? kDirectionJE : kDirectionEJ;
    }

private:
    // False when the byte completes a Japanese character.
    bool feedUtf8(unsigned char c)
    {
        if (m_pending.empty()) {
            if (c >= 0x80) {
                m_needed = utf8Length(c);
                m_utf8 = m_needed != 0;
                m_pending.push_back(static_cast<char>(c));
            }
            return true;
        }
        if ((c & 0xC0) != 0x80) {
            m_utf8 = false;
            return true;
        }
        m_pending.push_back(static_cast<char>(c));
        if (m_pending.size() < m_needed)
            return true;
        const codec::Utf8Char ch = codec::decodeUtf8At(m_pending, 0);
        m_pending.clear();
        m_utf8 = ch.valid;
        return !(ch.valid && codec::isJapaneseCharacter(ch.codePoint));
    }

    static std::size_t utf8Length(unsigned char lead)
    {
        if (lead >= 0xC2 && lead <= 0xDF)
            return 2;
        if (lead >= 0xE0 && lead <= 0xEF)
            return 3;
        if (lead >= 0xF0 && lead <= 0xF4)
            return 4;
        return 0;
    }

    // ESC $ (a two-byte set) or ESC ( I (half-width katakana).
    bool jisEscape(unsigned char c)
    {
        const int state = m_escape;
        m_escape = 0;
        if (c == 0x1B)
            m_escape = 1;
        else if (state == 1 && c == '$')
            return true;
        else if (state == 1 && c == '(')
            m_escape = 2;
        else if (state == 2 && c == 'I')
            return true;
        return false;
    }

    bool m_utf8 = true;
    bool m_leadByteSeen = false;
    std::string m_pending;
    std::size_t m_needed = 0;
    int m_escape = 0;
    std::size_t m_lineFeeds = 0;
};

// UTF-16 text (after its byte-order mark) by code units: a Japanese character means JE.
template <typename NextByte>
int scanUtf16(NextByte&& next, bool bigEndian)
{
    std::size_t lineFeeds = 0;
    char32_t high = 0;
    for (;;) {
        const int a = next();
        const int b = a == EOF ? EOF : next();
        if (b == EOF)
            return kDirectionEJ;
        const auto unit = static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && high != 0)
            cp = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
        high = 0;
        if (codec::isJapaneseCharacter(cp))
            return kDirectionJE;
        if (cp == '\n' && ++lineFeeds > kTxtLineLimit)
            return kDirectionEJ;
    }
}

// The first 200 lines of a text file, from `next` (EOF at the end).
template <typename NextByte>
int scanTextFile(NextByte&& next)
{
    int start[2] = {next(), EOF};
    if (start[0] != EOF)
        start[1] = next();
    if ((start[0] == 0xFF && start[1] == 0xFE) || (start[0] == 0xFE && start[1] == 0xFF))
        return scanUtf16(next, start[0] == 0xFE);
    TextFileScanner scanner;
    for (const int c : start) {
        if (c == EOF)
            return scanner.finish();
        if (const auto decided = scanner.feed(static_cast<unsigned char>(c)))
            return *decided;
    }
    for (int c; (c = next()) != EOF;) {
        if (const auto decided = scanner.feed(static_cast<unsigned char>(c)))
            return *decided;
    }
    return scanner.finish();
}

} // namespace

int textDirection(std::string_view text)
{
    std::size_t japanese = 0;
    std::size_t other = 0;
    for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (codec::isLeadByte(c)) {
            ++japanese;
            ++i;  // the trail byte; a lead byte at the very end is counted alone
        } else if (codec::isHalfWidthKana(c)) {
            ++japanese;
        } else if (!isBlank(c)) {
            ++other;
        }
    }
    return 2 * japanese > other ? kDirectionJE : kDirectionEJ;
}

int textBytesDirection(std::string_view bytes)
{
    std::size_t at = 0;
    return scanTextFile([&] { return at < bytes.size() ? static_cast<unsigned char>(bytes[at++]) : EOF; });
}

int textFileDirection(const std::filesystem::path& path)
{
    const File file = openRegularFile(path);
    if (!file)
        return kUnreadableFile;
    return scanTextFile([&] { return std::getc(file.get()); });
}

bool HtmlDirectionScanner::feed(std::string_view piece)
{
    if (m_frameSet)
        return false;
    // The line reader hands over C strings: a NUL ends what is looked at.
    piece = piece.substr(0, piece.find('\0'));
    if (piece.empty() || piece.front() == '\n')
        return true;
    std::size_t i = 0;
    while (i < piece.size()) {
        if (startsWithIgnoringCase(piece.substr(i), kFrameSetTag)) {
            m_frameSet = true;
            return false;
        }
        if (piece[i] == '\x1B') {
            m_jisMode = !m_jisMode;
            i += 3;  // a JIS escape sequence
            if (i >= piece.size())
                break;
        }
        const auto c = static_cast<unsigned char>(piece[i]);
        const bool wide = m_jisMode || c > 0x80;
        bool counted = false;
        if (c == '<') {
            m_inTag = true;
        } else if (c == '>') {
            m_inTag = false;
            counted = true;
        } else {
            counted = !m_inTag;
        }
        if (counted) {
            ++m_total;
            if (wide)
                ++m_japanese;
        }
        i += wide ? 2 : 1;
        if (i < piece.size() && piece[i] == '\n')
            break;
    }
    return true;
}

int HtmlDirectionScanner::result() const
{
    if (m_frameSet)
        return kFrameSet;
    if (m_japanese == 0)
        return kDirectionEJ;
    return m_japanese * 100 / m_total > 5 ? kDirectionJE : kDirectionEJ;
}

namespace {

// Runs the scanner over bytes from `next` (EOF at the end).
template <typename NextByte>
int scanHtml(NextByte&& next)
{
    HtmlDirectionScanner scanner;
    PieceSplitter splitter;
    const auto sink = [&](std::string_view piece) { return scanner.feed(piece); };
    for (int c; (c = next()) != EOF;) {
        if (!splitter.push(static_cast<char>(c), sink))
            return scanner.result();
    }
    splitter.finish(sink);
    return scanner.result();
}

} // namespace

int htmlDirection(std::string_view bytes)
{
    std::size_t at = 0;
    return scanHtml([&] { return at < bytes.size() ? static_cast<unsigned char>(bytes[at++]) : EOF; });
}

int htmlFileDirection(const std::filesystem::path& path)
{
    const File file = openRegularFile(path);
    if (!file)
        return kUnreadableFile;
    return scanHtml([&] { return std::getc(file.get()); });
}

} // namespace yv::etc
