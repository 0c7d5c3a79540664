// The capture worker: selection, synthetic copy keys, clipboard, hand-over.
#include "captureworker.h"

#include "x11input.h"

#include <toolboxcore/capturetext.h>

#include <platform/codec.h>
#include <platform/messagebox.h>
#include <platform/x11.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace yv::toolbox {

namespace {

constexpr int kGuiWaitMs = 10000;
constexpr int kCopyRounds = 2;
constexpr int kAfterKeyMs = 100;
constexpr int kOwnerPolls = 3;
constexpr int kOwnerPollMs = 50;
constexpr int kActivationPolls = 10;
constexpr int kActivationPollMs = 20;

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The selection's text as UTF-8, asked for on the toolbox's thread (QClipboard lives there).
std::string readSelection(GuiBridge& gui, x11input::Selection selection)
{
    auto text = std::make_shared<std::string>();
    const QClipboard::Mode mode =
        selection == x11input::Selection::Primary ? QClipboard::Selection : QClipboard::Clipboard;
    if (!gui.run([text, mode] { *text = QGuiApplication::clipboard()->text(mode).toStdString(); }))
        return {};
    return *text;
}

// After a synthetic copy the program needs a moment to take the clipboard.
std::string readClipboardAfterCopy(GuiBridge& gui)
{
    for (int poll = 0; poll < kOwnerPolls; ++poll) {
        if (x11input::hasOwner(x11input::Selection::Clipboard))
            return readSelection(gui, x11input::Selection::Clipboard);
        sleepMs(kOwnerPollMs);
    }
    return {};
}

void activate(WindowHandle window)
{
    const auto id = static_cast<x11::WindowId>(window);
    x11::activateWindow(id);
    for (int poll = 0; poll < kActivationPolls && x11::activeWindow() != id; ++poll)
        sleepMs(kActivationPollMs);
}

// What the user has selected in `source`: the PRIMARY selection when `source`'s program holds
// it (a selection left in another program is not this one's), else what the program copies
// on Ctrl+Insert or Ctrl+C (never Ctrl+C to a terminal, where it interrupts). The clipboard is
// emptied only when the keys are needed, so that a selection read directly leaves the user's
// clipboard alone.
std::string copySelection(GuiBridge& gui, WindowHandle source)
{
    const bool terminal = isTerminalClass(x11::windowClassName(static_cast<x11::WindowId>(source)));
    bool clipboardCleared = false;
    for (int round = 0; round < kCopyRounds && gui.alive(); ++round) {
        if (x11input::ownedByProgramOf(x11input::Selection::Primary, static_cast<unsigned long>(source))) {
            if (std::string text = readSelection(gui, x11input::Selection::Primary); !text.empty())
                return text;
        }
        if (!clipboardCleared) {
            x11input::clear(x11input::Selection::Clipboard);
            clipboardCleared = true;
        }
        for (const x11input::CopyKey key : {x11input::CopyKey::Insert, x11input::CopyKey::C}) {
            if (key == x11input::CopyKey::C && terminal)
                continue;
            activate(source);
            if (!x11input::pressCtrlWith(key))
                return {};
            sleepMs(kAfterKeyMs);
            if (std::string text = readClipboardAfterCopy(gui); !text.empty())
                return text;
        }
    }
    return {};
}

void runCapture(const std::shared_ptr<GuiBridge>& gui, CaptureRequest request)
{
    const std::string text = request.source != 0 ? copySelection(*gui, request.source) : std::string();
    const BoxTarget box = boxOf(request.kind);
    const Notifier notify = gui->notifier();
    if (!gui->alive() || !bringUpBox(box, notify))
        return;
    if (text.empty() || !gui->alive())
        return;
    const std::string cp932 = codec::utf8ToCp932(text);
    if (request.kind == ActionKind::CdRom)
        sendSearchKey(cp932, request.source, notify);
    else
        handOverText(box, cp932, request.source, notify);
}

} // namespace

std::shared_ptr<GuiBridge> GuiBridge::create()
{
    return std::shared_ptr<GuiBridge>(new GuiBridge);
}

bool GuiBridge::run(std::function<void()> task)
{
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool ran = false;
    };
    auto pending = std::make_shared<Pending>();
    const bool queued = dispatch([self = shared_from_this(), task = std::move(task), pending] {
        const bool ran = self->alive();
        if (ran)
            task();
        const std::lock_guard lock(pending->mutex);
        pending->finished = true;
        pending->ran = ran;
        pending->done.notify_all();
    });
    if (!queued)
        return false;
    std::unique_lock lock(pending->mutex);
    return pending->done.wait_for(lock, std::chrono::milliseconds(kGuiWaitMs), [&] { return pending->finished; }) &&
           pending->ran;
}

void GuiBridge::post(std::function<void()> task)
{
    dispatch([self = shared_from_this(), task = std::move(task)] {
        if (self->alive())
            task();
    });
}

bool GuiBridge::dispatch(std::function<void()> task)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !m_alive)
        return false;
    return QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

Notifier GuiBridge::notifier()
{
    return [self = shared_from_this()](unsigned style, const std::string& text) {
        self->post([style, text] { msgbox::show(0, style, text); });
    };
}

void startCapture(const std::shared_ptr<GuiBridge>& gui, CaptureRequest request)
{
    ++gui->running;
    std::thread([gui, request] {
        runCapture(gui, request);
        --gui->running;
    }).detach();
}

} // namespace yv::toolbox
