// The dictionary viewer lexdisc: a window, or with an action on its command line a search
// printed to standard output (no display needed).
#include "commandline.h"
#include "mainframe.h"

#include <Messages.h>
#include <book/messages.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/messagebox.h>
#include <platform/qtmessagebox.h>

#include <QApplication>

#include <filesystem>

int main(int argc, char** argv)
{
    const std::optional<std::filesystem::path> windowCatalog = yv::lexdisc::windowOptions(argc, argv);
    if (!windowCatalog)
        return yv::lexdisc::runCommandLine(argc, argv);

    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();
    // A viewer already running comes to the front instead.
    if (yv::bus::findWindow(yv::messages::kLexdiscClass)) {
        yv::bus::sendMessage(yv::messages::kLexdiscClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    yv::lexdisc::CMainFrame frame(*windowCatalog);
    if (!frame.hasBooks()) {
        const std::string text(yv::book::messageText(yv::book::BookMessage::NoBooks));
        yv::msgbox::show(0, yv::msgbox::Ok | yv::msgbox::IconExclamation, text);
        return 1;
    }
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const yv::bus::WindowHandle handle = onX11 ? static_cast<yv::bus::WindowHandle>(frame.winId()) : 0;
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kLexdiscClass, handle,
        [&frame](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return frame.handleMessage(message, wParam, lParam);
        });
    if (!endpoint) {
        yv::bus::sendMessage(yv::messages::kLexdiscClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    frame.setWindowHandle(endpoint->handle());
    frame.show();
    frame.startSearchService();
    return QApplication::exec();
}
