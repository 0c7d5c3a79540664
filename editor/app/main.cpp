// The editor trans: one window per session; a second start brings the first to the front.
#include "mainwindow.h"

#include <Messages.h>
#include <platform/bus.h>
#include <platform/qtmessagebox.h>

#include <QApplication>

#include <filesystem>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();

    yv::trans::CMainFrame frame;
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const yv::bus::WindowHandle handle = onX11 ? static_cast<yv::bus::WindowHandle>(frame.winId()) : 0;
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kTransClass, handle,
        [&frame](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return frame.handleMessage(message, wParam, lParam);
        });
    if (!endpoint) {
        yv::bus::sendMessage(yv::messages::kTransClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }

    frame.setWindowHandle(endpoint->handle());
    frame.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        frame.openPath(std::filesystem::path(arguments.at(1).toStdString()));
    return QApplication::exec();
}
