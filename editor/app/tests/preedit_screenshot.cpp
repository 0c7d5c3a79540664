// Draws the editor with an input method's composition under way and saves the window as a
// picture: `preedit_screenshot OUT.png`. Run it on a display (scripts/test-session.sh).
#include "mainwindow.h"

#include <platform/codec.h>
#include <testhome.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    yv::testing::TestHome home;
    QApplication app(argc, argv);
    yv::trans::CMainFrame frame;
    frame.resize(720, 300);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;
    frame.document().source().insert(yv::codec::utf8ToCp932("本日は晴天なり。\n私は本を"), 0, 0, false);
    frame.document().translation().insert("It is fine today.\n", 0, 0, false);
    yv::trans::CTransView& view = frame.view(yv::editor::Side::Source);
    view.setFocus();
    view.refresh();
    QList<QInputMethodEvent::Attribute> attributes;
    attributes.append(QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 2, 1));
    QInputMethodEvent composing(QStringLiteral("よみます"), attributes);
    QApplication::sendEvent(&view, &composing);
    QTest::qWait(200);
    return frame.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
