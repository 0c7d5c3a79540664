// Handing a text to another program through the text block and a synchronous message.
#include "HandOver.h"

#include "Messages.h"
#include "SharedBlocks.h"

#include <platform/bus.h>
#include <platform/process.h>
#include <platform/x11.h>

#include <cstdio>
#include <limits>


namespace yv::handover {

Target locate(std::string_view windowClass, std::string_view program)
{
    if (const auto window = bus::findWindow(windowClass))
        return {window, true, false};
    if (!process::startProgram(program))
        return {std::nullopt, false, true};
    for (int i = 0; i < kPolls; ++i) {
        bus::waitServingEvents(kPollIntervalMs);
        if (const auto window = bus::findWindow(windowClass))
            return {window, false, false};
    }
    return {};
}

std::string startFailureMessage(const Target& target, std::string_view program)
{
    if (target.window)
        return {};
    std::string message(target.programMissing ? kProgramMissing : kProgramNoWindow);
    message.replace(message.find("%s"), 2, process::programFileName(program));
    return message;
}

std::optional<WindowHandle> findOrStart(std::string_view windowClass, std::string_view program)
{
    return locate(windowClass, program).window;
}

bool bringToFront(std::string_view windowClass, WindowHandle window)
{
    bus::sendMessage(windowClass, messages::kComeToFront, 0, 0);
    for (int i = 0; i < kPolls; ++i) {
        if (x11::activeWindow() == window)
            return true;
        bus::waitServingEvents(kPollIntervalMs);
        bus::sendMessage(windowClass, messages::kComeToFront, 0, 0);
    }
    return x11::activeWindow() == window;
}

Result sendText(std::string_view windowClass, std::string_view cp932Text, std::uint32_t message,
                std::int64_t lParam)
{
    if (cp932Text.size() + 1 > blocks::kTextBlockSize)
        return Result::TooLong;
    const auto block = blocks::TextBlockWriter::write(cp932Text);
    if (!block)
        return Result::Failed;
    const auto answer = bus::sendMessage(windowClass, message, block->length(), lParam);
    return answer ? Result::Delivered : Result::NoWindow;
}

std::optional<std::string> receiveText(std::uint64_t length)
{
    if (length > blocks::kTextBlockSize)
        return std::nullopt;
    return blocks::readTextBlock(static_cast<std::uint32_t>(length));
}

bool returnTo(WindowHandle window)
{
    if (window == 0 || !bus::windowExists(window))
        return false;
    const bool x11Window = window <= std::numeric_limits<x11::WindowId>::max() && x11::available()
                        && x11::windowExists(static_cast<x11::WindowId>(window));
    if (x11Window)
        return x11::activateWindow(static_cast<x11::WindowId>(window));
    return bus::sendMessageToHandle(window, messages::kComeToFront, 0, 0).has_value();
}

std::string formatWindowHandle(WindowHandle window)
{
    char buf[17];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(window));
    return buf;
}

std::optional<WindowHandle> parseWindowHandle(std::string_view text)
{
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    WindowHandle value = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | static_cast<WindowHandle>(digit);
    }
    return value;
}

} // namespace yv::handover
