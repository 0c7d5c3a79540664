// Window-manager duties of the suite's Qt windows.
#include <platform/qtwindow.h>

#include <platform/x11.h>

#include <QGuiApplication>
#include <QWidget>

namespace yv::window {

void comeToFront(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        x11::activateWindow(static_cast<x11::WindowId>(window->winId()));
}

} // namespace yv::window
