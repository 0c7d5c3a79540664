// Takes the viewer's screenshots on the sample book: an entry with external characters, the
// book menu and a picture window, written as PNG files into the folder given.
//   lexdisc_screens CATALOG OUTDIR SUFFIX   (QT_SCALE_FACTOR=2 for the HiDPI ones)
#include "entryview.h"
#include "hitlistview.h"
#include "mainframe.h"

#include <lexview/entrylayout.h>

#include <Etc.h>
#include <platform/qtmessagebox.h>

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdio>

namespace {

using yv::lexdisc::CMainFrame;

bool save(QWidget* widget, const QString& file)
{
    QApplication::processEvents();
    QTest::qWait(200);
    const QPixmap shot = widget->grab();
    return shot.save(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: lexdisc_screens CATALOG OUTDIR SUFFIX\n");
        return 2;
    }
    QApplication app(argc, argv);
    yv::msgbox::installQtPresenter();
    const QString out = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    const QString suffix = QString::fromLocal8Bit(argv[3]);
    CMainFrame frame{std::filesystem::path(argv[1])};
    frame.resize(760, 420);
    frame.move(20, 20);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;

    // An entry with a full-width external character, the key marked, the list beside it.
    frame.keyEntry().setCurrentText(QStringLiteral("せ"));
    frame.searchCommand();
    QTest::qWait(50);
    frame.hitList().setCurrentRow(0);
    emit frame.hitList().chosen(0);
    bool ok = save(&frame, out + QStringLiteral("lexdisc-entry%1.png").arg(suffix));

    // The apple entry: a picture, half-width text and a half-width external character.
    frame.keyEntry().setCurrentText(QStringLiteral("apple"));
    frame.searchCommand();
    QTest::qWait(50);
    emit frame.hitList().chosen(0);
    ok = save(&frame, out + QStringLiteral("lexdisc-apple%1.png").arg(suffix)) && ok;
    const auto& model = frame.display().model();
    if (!model.colourGraphics.empty()) {
        QTest::mouseClick(frame.display().viewport(), Qt::LeftButton, {},
                          frame.display().cellPoint(model.colourGraphics[0].cells.first));
        QTest::qWait(200);
        // The whole screen: the picture window sits at its bottom right.
        QApplication::processEvents();
        QTest::qWait(300);
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        ok = screen.save(out + QStringLiteral("lexdisc-picture%1.png").arg(suffix)) && ok;
    }

    // The book menu, open.
    QMenu* file = frame.menuBar()->actions().front()->menu();
    file->popup(frame.mapToGlobal(QPoint(10, 30)));
    if (!QTest::qWaitForWindowExposed(file))
        return 1;
    ok = save(file, out + QStringLiteral("lexdisc-bookmenu%1.png").arg(suffix)) && ok;
    file->close();
    return ok ? 0 : 1;
}
