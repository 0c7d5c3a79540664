// Translation direction detection over CP932 bytes.
#include <etccore/direction.h>

#include <platform/codec.h>

#include <cstdio>
#include <memory>

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

int textFileDirection(const std::filesystem::path& path)
{
    const File file = openRegularFile(path);
    if (!file)
        return kUnreadableFile;
    std::size_t lineFeeds = 0;
    for (int c; (c = std::getc(file.get())) != EOF;) {
        if (codec::isLeadByte(static_cast<unsigned char>(c)))
            return kDirectionJE;
        if (c == '\n' && ++lineFeeds > kTxtLineLimit)
            break;
    }
    return kDirectionEJ;
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
