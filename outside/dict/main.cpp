// The dictionary box dict ("Dict.exe"): one window per session; a second start brings the
// first to the front.
#include "dictwindow.h"

#include <Messages.h>
#include <platform/bus.h>
#include <platform/qtmessagebox.h>

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();

    yv::dict::DictWindow window;
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const yv::bus::WindowHandle handle = onX11 ? static_cast<yv::bus::WindowHandle>(window.winId()) : 0;
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kDictClass, handle,
        [&window](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return window.handleMessage(message, wParam, lParam);
        });
    if (!endpoint) {
        yv::bus::sendMessage(yv::messages::kDictClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    window.show();
    return QApplication::exec();
}
