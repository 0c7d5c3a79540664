// The toolbox tooldeck: one per session. A second start brings the first forward, hands it
// its command line and ends.
#include "toolboxwindow.h"

#include <toolboxcore/commandline.h>
#include <toolboxcore/toolboxtexts.h>

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <firstrun.h>
#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/messagebox.h>
#include <platform/qtmessagebox.h>

#include <QApplication>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace yv;

// The arguments with files made absolute, since the first toolbox runs elsewhere.
std::vector<std::string> commandLine()
{
    std::vector<std::string> arguments;
    const QStringList all = QApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i) {
        const std::string argument = all.at(i).toStdString();
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(argument, ec);
        arguments.push_back(ec || argument.empty() ? argument : absolute.string());
    }
    return arguments;
}

void passToFirstToolbox(const std::vector<std::string>& arguments)
{
    bus::sendMessage(messages::kToolboxClass, messages::kComeToFront, 0, 0);
    if (arguments.empty())
        return;
    const std::string text = toolbox::encodeArguments(arguments);
    if (const auto block = blocks::TextBlockWriter::write(text))
        bus::sendMessage(messages::kToolboxClass, toolbox::kPassCommandLine, block->length(), 0);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The toolbox is a tool window, which Qt does not count as keeping the program alive: the
    // resident toolbox ends only through its own close command, never because a message box
    // or another of its windows was the last one closed.
    QApplication::setQuitOnLastWindowClosed(false);
    msgbox::installQtPresenter();
    const std::vector<std::string> arguments = commandLine();

    // Without the session bus the toolbox can neither find nor reach the other boxes.
    if (!dde::available()) {
        msgbox::show(0, msgbox::IconError, toolbox::kNoSessionBus);
        return 1;
    }
    if (bus::findWindow(messages::kToolboxClass)) {
        passToFirstToolbox(arguments);
        return 0;
    }

    if (!toolbox::ensureFirstRunData(nullptr))
        return 0;
    toolbox::registerAddInOnce();
    ClearTempFile();

    toolbox::CToolboxWnd window;
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const auto endpoint = bus::WindowEndpoint::registerWindow(
        messages::kToolboxClass, onX11 ? static_cast<bus::WindowHandle>(window.winId()) : 0,
        [&window](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return window.handleMessage(message, wParam, lParam);
        });
    if (!endpoint) {
        // Another toolbox came up meanwhile.
        passToFirstToolbox(arguments);
        return 0;
    }
    QObject::connect(&window, &toolbox::CToolboxWnd::suiteClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    window.show();
    window.registerHotKeys();
    window.startSpyglass();
    window.openCommandLine(arguments);
    return QApplication::exec();
}
