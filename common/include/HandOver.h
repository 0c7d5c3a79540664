// Handing a text to another program: find or start it, bring it to the front, and send the
// text through the text block with a synchronous message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yv::handover {

using WindowHandle = std::uint64_t;

inline constexpr int kPolls = 20;
inline constexpr int kPollIntervalMs = 100;

// Shown when a program of the suite is not installed beside the caller ("%s": its file name).
inline constexpr std::string_view kProgramMissing = "%sがみつかりません。インストール状態を確認してください。";
// Shown when a program was started but its window never showed up.
inline constexpr std::string_view kProgramNoWindow = "%sの画面を開けませんでした。";

struct Target {
    std::optional<WindowHandle> window;
    bool wasRunning = false;      // the window existed before the call
    bool programMissing = false;  // it did not, and the program file is not there
};

// The window of `windowClass`; when there is none, starts `program` from this program's
// directory and polls for the class every 100 ms, 20 times.
Target locate(std::string_view windowClass, std::string_view program);
// What to tell the user when `locate` found no window: nothing when there is one.
std::string startFailureMessage(const Target& target, std::string_view program);
// The same, when the caller need not know why a window is missing.
std::optional<WindowHandle> findOrStart(std::string_view windowClass, std::string_view program);

// Sends +12, then up to 20 times waits 100 ms and sends +12 again until the window is the
// foreground window. True when it got there.
bool bringToFront(std::string_view windowClass, WindowHandle window);

enum class Result { Delivered, TooLong, NoWindow, Failed };

// Puts the text (CP932, without its NUL) into the text block and sends `message` (+8 or +9)
// with L and `lParam`; the block is closed when the send returns. Refuses a text whose L
// exceeds 65,536.
Result sendText(std::string_view windowClass, std::string_view cp932Text, std::uint32_t message,
                std::int64_t lParam);

// The receiver's side, while handling the message: the text of length L (its NUL counted),
// copied out of the block; nothing for a missing block or an impossible L.
std::optional<std::string> receiveText(std::uint64_t length);

// Brings back the window a hand-over came from: an X11 window (of any program) is activated
// through the window manager; a window of the suite known only by its bus handle is sent +12.
// False when there is no such window.
bool returnTo(WindowHandle window);

// A window handle as programs write it into texts they pass on ("%x", lower case).
std::string formatWindowHandle(WindowHandle window);
// The inverse, strictly: 1 to 16 hexadecimal digits and nothing else; nothing otherwise.
std::optional<WindowHandle> parseWindowHandle(std::string_view text);

} // namespace yv::handover
