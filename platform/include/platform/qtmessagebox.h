// The Qt side of the message seam: programs install it once at start-up.
#pragma once

namespace yv::msgbox {

// Installs a presenter that shows QMessageBox dialogs (on the GUI thread; a call from another
// thread is carried over and waited for), and Qt's own Japanese texts for standard buttons and
// dialogs, so that a Japanese message does not come with "Yes" and "Cancel".
void installQtPresenter();

} // namespace yv::msgbox
