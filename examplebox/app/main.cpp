// The example box sample: a window, or with arguments its command line (no display needed).
#include "commandline.h"
#include "commands.h"
#include "mainframe.h"

#include <Messages.h>
#include <platform/bus.h>
#include <platform/qtmessagebox.h>

#include <QApplication>

namespace {

// The user's folder once the first-run set-up has filled it, else the machine's examples.
std::filesystem::path windowDataDir()
{
    const std::filesystem::path configured = yv::samplebox::configuredDataDir();
    if (yv::samplebox::isSetUp(configured))
        return configured;
    const std::filesystem::path machine = yv::samplebox::machineDataDir();
    return yv::samplebox::isSetUp(machine) ? machine : configured;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        return yv::samplebox::runCommandLine(argc, argv);

    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();
    // A box already running comes to the front instead.
    if (yv::bus::findWindow(yv::messages::kSampleClass)) {
        yv::bus::sendMessage(yv::messages::kSampleClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    yv::samplebox::CMainFrame frame(windowDataDir());
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const yv::bus::WindowHandle handle = onX11 ? static_cast<yv::bus::WindowHandle>(frame.winId()) : 0;
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kSampleClass, handle, [&frame](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return frame.handleMessage(message, wParam, lParam);
        });
    if (!endpoint) {
        yv::bus::sendMessage(yv::messages::kSampleClass, yv::messages::kComeToFront, 0, 0);
        return 0;
    }
    frame.setWindowHandle(endpoint->handle());
    frame.show();
    return QApplication::exec();
}
