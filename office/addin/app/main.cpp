// lintreladdin: what the office button runs. Reads the selection the office side hands over on
// standard input, runs the command of the office program, and keeps the translation on the
// clipboard until another program takes the clipboard over. The office side also runs it once
// when the office takes the add-in in, to say so on the trace window.
//
//   lintreladdin --host writer|calc|impress  < selection (UTF-8)
//   lintreladdin --connection
#include "commands.h"
#include "lintreldlg.h"
#include "requestdialogs.h"

#include <platform/paths.h>
#include <platform/qtmessagebox.h>

#include <QApplication>
#include <QClipboard>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Far more than any selection a user translates in one press.
constexpr std::size_t kMaxHandOver = 64u << 20;

int usage()
{
    std::fputs("usage: lintreladdin --host writer|calc|impress < selection\n"
               "       lintreladdin --connection\n",
               stderr);
    return 2;
}

// One press after the other: a second press waits until the first one's requests are over,
// since both would use the same temporary files and engine conversation.
int lockPresses()
{
    const std::filesystem::path dir = yv::paths::runtimeDir();
    if (dir.empty())
        return -1;
    const int fd = ::open((dir / "lintreladdin.lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::flock(fd, LOCK_EX);
    return fd;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--connection") {
        yv::addin::OnConnection();
        return 0;
    }
    std::optional<yv::addin::Host> host;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--host" && i + 1 < argc)
            host = yv::addin::hostByName(argv[++i]);
        else
            return usage();
    }
    if (!host)
        return usage();

    std::string handedOver;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0)
            break;
        handedOver.append(buffer, static_cast<std::size_t>(n));
        if (handedOver.size() > kMaxHandOver) {
            std::fputs("lintreladdin: the selection is too large\n", stderr);
            return 1;
        }
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    yv::msgbox::installQtPresenter();

    const int lock = lockPresses();
    yv::addin::DialogRequestView view;
    const bool onClipboard = yv::addin::runCommand(*host, handedOver, view);
    if (lock >= 0)
        ::close(lock);

    // An X11 clipboard lives as long as its owner: stay until another program takes it over.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!onClipboard || !clipboard->ownsClipboard())
        return 0;
    QObject::connect(clipboard, &QClipboard::changed, &app, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    return app.exec();
}
