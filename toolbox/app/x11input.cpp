// Synthetic keys and selection ownership over Xlib and XTest.
#include "x11input.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <memory>

namespace yv::toolbox::x11input {

namespace {

struct CloseDisplay {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, CloseDisplay>;

DisplayPtr openDisplay()
{
    if (!std::getenv("DISPLAY"))
        return nullptr;
    return DisplayPtr(XOpenDisplay(nullptr));
}

Atom atomOf(Display* d, Selection selection)
{
    return selection == Selection::Primary ? XA_PRIMARY : XInternAtom(d, "CLIPBOARD", False);
}

} // namespace

bool pressCtrlWith(CopyKey key)
{
    const DisplayPtr d = openDisplay();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!d || !XTestQueryExtension(d.get(), &eventBase, &errorBase, &major, &minor))
        return false;
    const KeyCode ctrl = XKeysymToKeycode(d.get(), XK_Control_L);
    const KeyCode code = XKeysymToKeycode(d.get(), key == CopyKey::Insert ? XK_Insert : XK_c);
    if (ctrl == 0 || code == 0)
        return false;
    XTestFakeKeyEvent(d.get(), ctrl, True, CurrentTime);
    XTestFakeKeyEvent(d.get(), code, True, CurrentTime);
    XTestFakeKeyEvent(d.get(), code, False, CurrentTime);
    XTestFakeKeyEvent(d.get(), ctrl, False, CurrentTime);
    XSync(d.get(), False);
    return true;
}

bool hasOwner(Selection selection)
{
    const DisplayPtr d = openDisplay();
    return d && XGetSelectionOwner(d.get(), atomOf(d.get(), selection)) != None;
}

void clear(Selection selection)
{
    if (const DisplayPtr d = openDisplay()) {
        XSetSelectionOwner(d.get(), atomOf(d.get(), selection), None, CurrentTime);
        XSync(d.get(), False);
    }
}

} // namespace yv::toolbox::x11input
