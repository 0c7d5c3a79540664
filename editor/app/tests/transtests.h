// Helpers shared by the editor window's tests: the application every test program needs, and
// a pane's text as UTF-8.
#pragma once

#include "mainwindow.h"

#include <platform/codec.h>

#include <QApplication>

#include <string>

namespace yv::testing {

// Made once and kept for the life of the process: QTest's input devices go away with it at exit.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "trans_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* const app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

inline std::string paneText(trans::CMainFrame& frame, editor::Side side)
{
    return codec::cp932ToUtf8(frame.document().pane(side).store().bytes());
}

} // namespace yv::testing
