// The Qt side of the message seam: programs install it once at start-up.
#pragma once

namespace yv::msgbox {

// Installs a presenter that shows QMessageBox dialogs (on the GUI thread; a call from another
// thread is carried over and waited for).
void installQtPresenter();

} // namespace yv::msgbox
