// EWMH window operations over a connection of our own to the X server.
#include <platform/x11.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include <xcb/xcb.h>

namespace yv::x11 {

namespace {

struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t activeWindowAtom = XCB_ATOM_NONE;
    xcb_atom_t clientListAtom = XCB_ATOM_NONE;
    xcb_atom_t wmNameAtom = XCB_ATOM_NONE;
    xcb_atom_t utf8StringAtom = XCB_ATOM_NONE;
    xcb_atom_t closeWindowAtom = XCB_ATOM_NONE;
};

template <typename T>
struct FreeReply {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// One connection per process, opened on first use; none without a display.
Display* display()
{
    static std::once_flag once;
    static Display d;
    std::call_once(once, [] {
        if (!std::getenv("DISPLAY"))
            return;
        int screenNumber = 0;
        xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem) {
            xcb_disconnect(c);
            return;
        }
        d.connection = c;
        d.root = it.data->root;
        d.activeWindowAtom = internAtom(c, "_NET_ACTIVE_WINDOW");
        d.clientListAtom = internAtom(c, "_NET_CLIENT_LIST");
        d.wmNameAtom = internAtom(c, "_NET_WM_NAME");
        d.utf8StringAtom = internAtom(c, "UTF8_STRING");
        d.closeWindowAtom = internAtom(c, "_NET_CLOSE_WINDOW");
    });
    return d.connection ? &d : nullptr;
}

// A text property of a window, whole (titles are short; 64 KB is far beyond any).
std::string textProperty(Display* d, WindowId window, xcb_atom_t property, xcb_atom_t type)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        d->connection, xcb_get_property(d->connection, 0, window, property, type, 0, 16384), nullptr));
    if (!reply || reply->type != type || reply->format != 8)
        return {};
    const int length = xcb_get_property_value_length(reply.get());
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(length > 0 ? length : 0));
}

} // namespace

bool available()
{
    return display() != nullptr;
}

WindowId activeWindow()
{
    Display* d = display();
    if (!d || d->activeWindowAtom == XCB_ATOM_NONE)
        return 0;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        d->connection, xcb_get_property(d->connection, 0, d->root, d->activeWindowAtom, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    WindowId window = 0;
    std::memcpy(&window, xcb_get_property_value(reply.get()), sizeof window);
    return window;
}

bool windowExists(WindowId window)
{
    Display* d = display();
    if (!d || window == 0)
        return false;
    const Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(d->connection, xcb_get_window_attributes(d->connection, window), nullptr));
    return reply != nullptr;
}

bool activateWindow(WindowId window)
{
    Display* d = display();
    if (!d || !windowExists(window))
        return false;
    xcb_map_window(d->connection, window);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(d->connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    if (d->activeWindowAtom != XCB_ATOM_NONE) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = d->activeWindowAtom;
        event.data.data32[0] = 2;  // source: a pager, which window managers obey
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(d->connection, 0, d->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(d->connection);
    return true;
}


std::vector<WindowId> windowsTitled(std::string_view title)
{
    std::vector<WindowId> found;
    Display* d = display();
    if (!d || d->clientListAtom == XCB_ATOM_NONE)
        return found;
    const Reply<xcb_get_property_reply_t> list(xcb_get_property_reply(
        d->connection, xcb_get_property(d->connection, 0, d->root, d->clientListAtom, XCB_ATOM_WINDOW, 0, 65536),
        nullptr));
    if (!list || list->type != XCB_ATOM_WINDOW || list->format != 32)
        return found;
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(list.get())) / sizeof(WindowId);
    const auto* windows = static_cast<const WindowId*>(xcb_get_property_value(list.get()));
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = textProperty(d, windows[i], d->wmNameAtom, d->utf8StringAtom);
        if (name.empty())
            name = textProperty(d, windows[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (name == title)
            found.push_back(windows[i]);
    }
    return found;
}

std::string windowClassName(WindowId window)
{
    Display* d = display();
    if (!d || window == 0)
        return {};
    // WM_CLASS holds the instance name and the class name, each ended by a NUL.
    const std::string value = textProperty(d, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const std::size_t instanceEnd = value.find('\0');
    if (instanceEnd == std::string::npos)
        return {};
    const std::string className = value.substr(instanceEnd + 1);
    return className.substr(0, className.find('\0'));
}

bool closeWindow(WindowId window)
{
    Display* d = display();
    if (!d || d->closeWindowAtom == XCB_ATOM_NONE || !windowExists(window))
        return false;
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = d->closeWindowAtom;
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = 2;  // source: a pager
    xcb_send_event(d->connection, 0, d->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(d->connection);
    return true;
}

std::optional<Rect> frameRect(WindowId window)
{
    Display* d = display();
    if (!d || window == 0)
        return std::nullopt;
    xcb_connection_t* c = d->connection;
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, d->root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    Rect rect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    static const xcb_atom_t frameExtents = internAtom(c, "_NET_FRAME_EXTENTS");
    const Reply<xcb_get_property_reply_t> extents(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, frameExtents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (extents && extents->type == XCB_ATOM_CARDINAL && extents->format == 32 &&
        xcb_get_property_value_length(extents.get()) >= 16) {
        const auto* side = static_cast<const std::uint32_t*>(xcb_get_property_value(extents.get()));
        const auto extent = [](std::uint32_t v) { return static_cast<int>(std::min<std::uint32_t>(v, 4096)); };
        rect.left -= extent(side[0]);
        rect.top -= extent(side[2]);
        rect.width += extent(side[0]) + extent(side[1]);
        rect.height += extent(side[2]) + extent(side[3]);
    }
    return rect;
}

} // namespace yv::x11
