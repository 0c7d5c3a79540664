// Translation direction detection: CP932 texts, text files and HTML files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace yv::etc {

inline constexpr int kDirectionEJ = 1;
inline constexpr int kDirectionJE = 2;
inline constexpr int kUnreadableFile = 0;
inline constexpr int kFrameSet = -1;

// 2 when twice the Japanese characters outnumber the other non-blank bytes, else 1.
int textDirection(std::string_view cp932);

// The direction of a text file from its first 200 lines: 2 when they hold Japanese. UTF-8
// and UTF-16 text is read by characters; other bytes by the code-page rule (a CP932 lead
// byte, or an ISO-2022-JP escape into a Japanese set, means 2).
int textBytesDirection(std::string_view bytes);
// The same over a file; 0 when it cannot be read.
int textFileDirection(const std::filesystem::path& path);

// Scans an HTML text piece by piece, as a line reader of 2,047-byte pieces hands them over.
class HtmlDirectionScanner final {
public:
    static constexpr std::size_t kPieceSize = 2047;

    // Feeds one piece (a line with its line feed, or a part of a longer line); false once a
    // frame set has been seen (the result is then final).
    bool feed(std::string_view piece);
    int result() const;

private:
    bool m_frameSet = false;
    bool m_inTag = false;
    bool m_jisMode = false;
    std::uint64_t m_total = 0;
    std::uint64_t m_japanese = 0;
};

// Splits `bytes` into the pieces a text-mode line reader would give (CR LF read as LF) and
// scans them: -1 frame set, else 1 or 2.
int htmlDirection(std::string_view bytes);
// The same over a file; 0 when it cannot be read.
int htmlFileDirection(const std::filesystem::path& path);

} // namespace yv::etc
