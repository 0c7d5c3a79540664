// The batch box file: its window, or with --batch the files of the command line translated
// without one.
#include "batchmode.h"
#include "enginehost.h"
#include "mainframe.h"

#include <Messages.h>
#include <platform/bus.h>
#include <platform/qtmessagebox.h>

#include <QApplication>

int main(int argc, char** argv)
{
    if (yv::filebox::wantsBatchMode(argc, argv))
        return yv::filebox::runBatchMode(argc, argv);

    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();
    yv::filebox::JobMessages messages;
    // A box already running comes to the front instead.
    if (yv::bus::findWindow(yv::messages::kFileClass)) {
        yv::bus::sendMessage(yv::messages::kFileClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    yv::filebox::CMainFrame frame(messages);
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const yv::bus::WindowHandle handle = onX11 ? static_cast<yv::bus::WindowHandle>(frame.winId()) : 0;
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kFileClass, handle,
        [&frame](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return frame.handleMessage(message, wParam, lParam);
        });
    if (!endpoint) {
        yv::bus::sendMessage(yv::messages::kFileClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    frame.setWindowHandle(endpoint->handle());
    frame.show();
    frame.preload();
    return QApplication::exec();
}
