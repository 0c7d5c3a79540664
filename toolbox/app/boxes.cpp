// The boxes of the suite as the toolbox reaches them.
#include "boxes.h"

#include <toolboxcore/capturetext.h>

#include <HandOver.h>
#include <Messages.h>
#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/messagebox.h>
#include <platform/process.h>

namespace yv::toolbox {

namespace {

constexpr int kLexdiscConnectAttempts = 10;
constexpr int kLexdiscConnectPauseMs = 500;
constexpr int kLexdiscPokeTimeoutMs = 3000;

} // namespace

BoxTarget boxOf(ActionKind kind)
{
    switch (kind) {
    case ActionKind::Translate: return {messages::kTransClass, messages::kTransProgram};
    case ActionKind::Dictionary: return {messages::kDictClass, messages::kDictProgram};
    case ActionKind::CdRom: return {messages::kLexdiscClass, messages::kLexdiscProgram};
    case ActionKind::Example: return {messages::kSampleClass, messages::kSampleProgram};
    }
    return {messages::kTransClass, messages::kTransProgram};
}

BoxTarget batchBox()
{
    return {messages::kFileClass, messages::kFileProgram};
}

int StartProgram(std::string_view name, std::string_view arguments)
{
    return process::startProgram(name, process::splitArguments(arguments)) ? 1 : 0;
}

std::optional<WindowHandle> bringUpBox(const BoxTarget& box, const Notifier& notify)
{
    const handover::Target target = handover::locate(box.windowClass, box.program);
    if (!target.window) {
        notify(msgbox::IconExclamation, handover::startFailureMessage(target, box.program));
        return std::nullopt;
    }
    handover::bringToFront(box.windowClass, *target.window);
    return target.window;
}

void handOverText(const BoxTarget& box, std::string_view cp932, WindowHandle source, const Notifier& notify)
{
    if (!fitsHandOver(cp932)) {
        notify(msgbox::IconError, std::string(kTextTooLong));
        return;
    }
    handover::sendText(box.windowClass, cp932, messages::kHandOver, static_cast<std::int64_t>(source));
}

void sendSearchKey(std::string_view cp932, WindowHandle source, const Notifier& notify)
{
    const auto poke = searchKeyPoke(cp932, source);
    if (!poke) {
        notify(msgbox::IconError, std::string(kSearchKeyTooLong));
        return;
    }
    if (!dde::available()) {
        notify(msgbox::IconExclamation, std::string(kCannotConnectLexdisc));
        return;
    }
    const auto conversation = dde::Conversation::connectWithRetries(
        messages::kLexdiscService, messages::kLexdiscTopic, kLexdiscConnectAttempts, kLexdiscConnectPauseMs);
    if (!conversation)
        return;
    // CF_TEXT data carries its terminating NUL.
    conversation->poke(messages::kLexdiscItem, *poke + std::string(1, '\0'), kLexdiscPokeTimeoutMs);
}

} // namespace yv::toolbox
