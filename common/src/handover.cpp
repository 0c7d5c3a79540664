// Handing a text to another program through the text block and a synchronous message.
#include "HandOver.h"

#include "Messages.h"
#include "SharedBlocks.h"

#include <platform/bus.h>
#include <platform/process.h>
#include <platform/x11.h>


namespace yv::handover {

std::optional<WindowHandle> findOrStart(std::string_view windowClass, std::string_view program)
{
    if (const auto window = bus::findWindow(windowClass))
        return window;
    if (!process::startProgram(program))
        return std::nullopt;
    for (int i = 0; i < kPolls; ++i) {
        bus::waitServingEvents(kPollIntervalMs);
        if (const auto window = bus::findWindow(windowClass))
            return window;
    }
    return std::nullopt;
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

} // namespace yv::handover
