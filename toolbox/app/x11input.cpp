// Synthetic keys and selection ownership over Xlib and XTest.
#include "x11input.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

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

bool hasWmState(Display* d, Window window, Atom wmState)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(d, window, wmState, 0, 0, False, AnyPropertyType, &type, &format, &items,
                                          &after, &data) == Success &&
                       type != None;
    if (data)
        XFree(data);
    return found;
}

// Window managers nest a program's window a few levels inside their frame.
constexpr int kMaxWindowDepth = 16;

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

bool ownedByProgramOf(Selection selection, unsigned long window)
{
    const DisplayPtr d = openDisplay();
    if (!d || window == 0)
        return false;
    const Window owner = XGetSelectionOwner(d.get(), atomOf(d.get(), selection));
    if (owner == None)
        return false;
    // The server hands each client a block of ids: the bits outside the resource mask name it.
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(nullptr, nullptr), xcb_disconnect);
    if (xcb_connection_has_error(c.get()))
        return false;
    const unsigned long clientBits = ~static_cast<unsigned long>(xcb_get_setup(c.get())->resource_id_mask);
    return (owner & clientBits) == (window & clientBits);
}

void clear(Selection selection)
{
    if (const DisplayPtr d = openDisplay()) {
        XSetSelectionOwner(d.get(), atomOf(d.get(), selection), None, CurrentTime);
        XSync(d.get(), False);
    }
}

unsigned long windowAt(int x, int y)
{
    const DisplayPtr d = openDisplay();
    if (!d)
        return 0;
    const Window root = DefaultRootWindow(d.get());
    const Atom wmState = XInternAtom(d.get(), "WM_STATE", False);
    Window parent = root;
    for (int depth = 0; depth < kMaxWindowDepth; ++depth) {
        int localX = 0;
        int localY = 0;
        Window child = None;
        if (!XTranslateCoordinates(d.get(), root, parent, x, y, &localX, &localY, &child) || child == None)
            return 0;
        if (hasWmState(d.get(), child, wmState))
            return child;
        parent = child;
    }
    return 0;
}

} // namespace yv::toolbox::x11input
