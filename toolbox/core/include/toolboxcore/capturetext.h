// The texts the toolbox hands on: limits of the hand-over and of the CD-ROM search key, the
// search key's poke data, and the cleaning of texts captured from the screen. All CP932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yv::toolbox {

// Both limits count the terminating NUL.
inline constexpr std::size_t kHandOverLimit = 65536;
inline constexpr std::size_t kSearchKeyLimit = 128;

// Buffers of the capture wrapper's calls.
inline constexpr std::size_t kSentenceBufferSize = 6401;
inline constexpr std::size_t kWordBufferSize = 256;

inline bool fitsHandOver(std::string_view text) { return text.size() + 1 <= kHandOverLimit; }

// The poke for the CD-ROM viewer's search service: the key, a TAB and the source window in
// lower-case hexadecimal. Nothing when the key with its NUL exceeds 128 bytes.
std::optional<std::string> searchKeyPoke(std::string_view key, std::uint64_t sourceWindow);

// A sentence captured from the screen, made fit for the editor: double-byte characters kept
// whole, printable characters and line ends (CR, LF) kept as captured, other control characters
// a space. A lead byte without its trail byte at the end becomes a space.
std::string cleanCapturedSentence(std::string_view text);

// Where the hand-over starts inside the captured words: at the displayed word when it stands
// there as a whole word (at the start or after white space, followed by white space or the
// end), else at the start of the words.
std::string_view wordHandOverText(std::string_view words, std::string_view displayed);

// Whether a window class (WM_CLASS) is a terminal emulator's: there Ctrl+C interrupts the
// program running in it instead of copying, so it is never sent one.
bool isTerminalClass(std::string_view windowClass);

} // namespace yv::toolbox
