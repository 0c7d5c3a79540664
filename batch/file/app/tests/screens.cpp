// Takes the batch box's screenshot in the middle of a translate-all through the reference
// engines: some rows translated, one being translated, one refused, the bar under way.
//   file_screens OUTFILE   (under scripts/test-session.sh; YORVANE_CACHE_DIR for the engines)
#include "enginehost.h"
#include "filetests.h"
#include "mainframe.h"

#include <Messages.h>
#include <enginetests.h>
#include <platform/bus.h>
#include <testhome.h>

#include <QApplication>
#include <QHeaderView>
#include <QProgressBar>
#include <QTest>
#include <QTreeView>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: file_screens OUTFILE\n");
        return 2;
    }
    using namespace yv::filebox;
    using namespace yv::filebox::testing;
    yv::testing::TestHome home;
    yv::testing::writeEngineProfiles(home);
    QApplication app(argc, argv);
    JobMessages messages;
    const fs::path dir = home.dir() / "報告書 2026";
    fs::create_directories(dir);
    std::string english;
    for (int i = 0; i < 160; ++i)
        english += "The committee reviewed the annual report and approved the new budget for the library.\n";
    const char* names[] = {"annual report.txt", "budget notes.txt", "会議 メモ.txt", "minutes 03.txt",
                           "minutes 04.txt", "press release.txt", "summary.txt", "議事録.txt"};
    for (const char* name : names)
        writeFile(dir / name, english);
    writeFile(dir / "summary_RY.txt", "done");
    fs::last_write_time(dir / "summary_RY.txt", fs::last_write_time(dir / "summary.txt") + std::chrono::seconds(5));

    CMainFrame frame(messages);
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kFileClass, static_cast<yv::bus::WindowHandle>(frame.winId()),
        [&frame](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return frame.handleMessage(message, wParam, lParam);
        });
    frame.setWindowHandle(endpoint ? endpoint->handle() : 0);
    frame.resize(900, 360);
    frame.show();
    QStringList paths;
    for (const char* name : names)
        paths << QString::fromStdString((dir / name).string());
    paths << QString::fromStdString((dir / "vanished.txt").string());
    writeFile(dir / "vanished.txt", "x");
    frame.addFiles(paths);
    fs::remove(dir / "vanished.txt");
    frame.view().header()->resizeSection(0, 170);
    frame.view().header()->resizeSection(1, 190);
    frame.view().header()->resizeSection(2, 210);
    frame.view().header()->resizeSection(3, 300);
    frame.translateAll();
    // Mid-run: a few rows done, the bar visible.
    const bool midRun = yv::testing::serveUntil([&] {
        int done = 0;
        for (int row = 0; row < frame.model().rowCount(); ++row)
            done += frame.model().data(frame.model().index(row, 2), Qt::DisplayRole).toString() == QStringLiteral("翻訳済");
        return done >= 4 && frame.progressBar().isVisible() && frame.progressBar().value() >= 30;
    }, 120000);
    const QPixmap shot = frame.grab();
    const bool saved = shot.save(QString::fromLocal8Bit(argv[1]));
    frame.stop();
    yv::testing::serveUntil([&] { return !frame.working(); }, 10000);
    frame.close();
    yv::testing::closeEngines();
    return midRun && saved ? 0 : 1;
}
