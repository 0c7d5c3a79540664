// Takes the box's screenshots on the shipped examples: the folder tree with a folder's
// documents, and one search with the marks on and off, written as PNG files into the folder
// given.   sample_screens DATADIR OUTDIR
#include "folderviews.h"
#include "mainframe.h"
#include "searchviews.h"

#include <platform/qtmessagebox.h>

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

namespace {

using yv::samplebox::CMainFrame;
namespace Command = yv::samplebox::Command;

bool save(QWidget* widget, const QString& file)
{
    QApplication::processEvents();
    QTest::qWait(200);
    return widget->grab().save(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: sample_screens DATADIR OUTDIR\n");
        return 2;
    }
    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();
    const QString out = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    CMainFrame frame{std::filesystem::path(argv[1])};
    frame.resize(900, 560);
    frame.move(20, 20);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;

    // The tree opened out, the business folder's documents and sub-folder listed.
    frame.tree().expandAll();
    const yv::examplestore::NodeId business = frame.store().tree().findByNumber(3);
    frame.tree().selectNode(business);
    bool ok = save(&frame, out + QStringLiteral("sample-tree.png"));

    // A search with its key marked, then the same result with the marks switched off.
    QSignalSpy done(&frame, &CMainFrame::searchFinished);
    frame.keyEntry().setCurrentText(QStringLiteral("every"));
    frame.searchCommand();
    ok = done.wait(20000) && ok;
    frame.command(Command::Wrap)->setChecked(true);
    ok = save(&frame, out + QStringLiteral("sample-search-marks.png")) && ok;
    frame.command(Command::Mark)->setChecked(false);
    ok = save(&frame, out + QStringLiteral("sample-search-nomarks.png")) && ok;
    return ok ? 0 : 1;
}
