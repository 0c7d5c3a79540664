// Window classes and window messages between programs, carried by the D-Bus session bus.
//
// A top-level window of class C owns the bus name com.orvikan.Yorvane5[.i<instance>].<C> and
// exports Send (synchronous: the receiver has handled the message when the call returns) and
// Post (no reply). Message numbers and parameters keep the Windows numbering.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace yv::bus {

using WindowHandle = std::uint64_t;

inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmUser = 0x0400;

// Generous, since a receiver may run a nested loop while handling a message.
inline constexpr int kDefaultSendTimeoutMs = 120000;

using MessageHandler = std::function<std::int64_t(std::uint32_t message, std::uint64_t wParam,
                                                  std::int64_t lParam)>;

// The bus name of a window class in this instance (for diagnostics and tests).
std::string classBusName(std::string_view windowClass);

// A top-level window registered under its class. Messages arrive on the thread that
// registered it, from its event loop.
class WindowEndpoint final {
public:
    // `handle` is the window's X11 id, or 0 for a unique number of its own (windowless and
    // offscreen programs). Null when another window already holds the class (a second
    // instance) or the session bus cannot be reached.
    static std::unique_ptr<WindowEndpoint> registerWindow(std::string_view windowClass,
                                                          WindowHandle handle,
                                                          MessageHandler handler);
    ~WindowEndpoint();
    WindowEndpoint(const WindowEndpoint&) = delete;
    WindowEndpoint& operator=(const WindowEndpoint&) = delete;

    WindowHandle handle() const;
    const std::string& windowClass() const;

    struct Impl;

private:
    explicit WindowEndpoint(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// FindWindow by class: the handle of the window holding the class, if one does.
std::optional<WindowHandle> findWindow(std::string_view windowClass);
// IsWindow: a window of the suite by its handle, or any X11 window.
bool windowExists(WindowHandle handle);

// SendMessage: the handler's result, or nothing when there is no such window or it did not
// answer in time.
std::optional<std::int64_t> sendMessage(std::string_view windowClass, std::uint32_t message,
                                        std::uint64_t wParam, std::int64_t lParam,
                                        int timeoutMs = kDefaultSendTimeoutMs);
std::optional<std::int64_t> sendMessageToHandle(WindowHandle handle, std::uint32_t message,
                                                std::uint64_t wParam, std::int64_t lParam,
                                                int timeoutMs = kDefaultSendTimeoutMs);
// PostMessage: false when there is no such window. The message leaves this process before
// the call returns, so a program may post and exit.
bool postMessage(std::string_view windowClass, std::uint32_t message, std::uint64_t wParam,
                 std::int64_t lParam);
bool postMessageToHandle(WindowHandle handle, std::uint32_t message, std::uint64_t wParam,
                         std::int64_t lParam);

// Waits `ms` milliseconds; the GUI thread keeps serving its events (and so its windows)
// meanwhile, other threads sleep.
void waitServingEvents(int ms);

} // namespace yv::bus
