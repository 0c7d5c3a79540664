// Window-manager duties of the suite's Qt windows.
#pragma once

class QWidget;

namespace yv::window {

// What a window does on the come-to-front message: shown normally (not minimised), raised
// and activated, asking the window manager as a pager would so that it is let through.
void comeToFront(QWidget* window);

} // namespace yv::window
