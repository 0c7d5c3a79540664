// Finding the window under a point and making it draw a row again, over xcb: its errors come
// back with each reply and never reach a global handler of the calling program.
#include "x11target.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace yv::capture {

namespace {

template <typename T>
struct FreeReply {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

} // namespace

X11Screen::X11Screen()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (it.rem)
        m_root = it.data->root;
}

X11Screen::~X11Screen()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11Screen::connected() const
{
    return m_connection && !xcb_connection_has_error(m_connection) && m_root != 0;
}

std::uint32_t X11Screen::atom(const char* name)
{
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool X11Screen::hasProperty(std::uint32_t window, std::uint32_t property)
{
    if (property == XCB_ATOM_NONE)
        return false;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr));
    return reply && reply->type != XCB_ATOM_NONE;
}

std::optional<TargetWindow> X11Screen::targetAt(std::int32_t x, std::int32_t y)
{
    if (!connected())
        return std::nullopt;
    // The windows under the point, from the root's child down to the deepest.
    std::vector<std::uint32_t> path;
    std::uint32_t parent = m_root;
    for (int depth = 0; depth < 64; ++depth) {
        Reply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
            m_connection,
            xcb_translate_coordinates(m_connection, m_root, parent, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)),
            nullptr));
        if (!reply || reply->child == XCB_WINDOW_NONE)
            break;
        path.push_back(reply->child);
        parent = reply->child;
    }
    if (path.empty())
        return std::nullopt;

    // The program's own window: the one the window manager marked with WM_STATE, or a window
    // that bypasses the manager (menus, tool tips).
    std::size_t client = path.size();
    Reply<xcb_get_window_attributes_reply_t> top(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, path.front()), nullptr));
    if (top && top->override_redirect) {
        client = 0;
    } else {
        const std::uint32_t wmState = atom("WM_STATE");
        for (std::size_t i = 0; i < path.size(); ++i) {
            if (hasProperty(path[i], wmState)) {
                client = i;
                break;
            }
        }
    }
    // Without a window manager the root's child is the program's window; with one, a path
    // without WM_STATE ends in the manager's frame or title bar.
    if (client == path.size() && !hasProperty(m_root, atom("_NET_SUPPORTING_WM_CHECK")))
        client = 0;
    if (client == path.size())
        return std::nullopt;

    TargetWindow target;
    const std::size_t first = std::max(client, path.size() > area::kMaxTargets ? path.size() - area::kMaxTargets : 0);
    for (std::size_t i = first; i < path.size(); ++i) {
        Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, path[i], m_root, 0, 0), nullptr));
        if (!origin)
            return std::nullopt;
        target.chain.push_back({path[i], origin->dst_x, origin->dst_y});
    }
    // The deepest window that can draw; an input-only window cannot be cleared.
    for (auto it = target.chain.rbegin(); it != target.chain.rend() && target.window == 0; ++it) {
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, it->window), nullptr));
        if (attributes && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            target.window = it->window;
            target.originX = it->originX;
            target.originY = it->originY;
        }
    }
    if (target.window == 0)
        return std::nullopt;
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, target.window), nullptr));
    if (!geometry)
        return std::nullopt;
    target.rect = {target.originX, target.originY, target.originX + geometry->width, target.originY + geometry->height};

    const std::uint32_t programWindow = path[client];
    Reply<xcb_get_property_reply_t> wmClass(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, programWindow, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
    if (wmClass) {
        const char* value = static_cast<const char*>(xcb_get_property_value(wmClass.get()));
        const int length = xcb_get_property_value_length(wmClass.get());
        const void* nul = std::memchr(value, '\0', static_cast<std::size_t>(length));
        if (nul) {
            const char* cls = static_cast<const char*>(nul) + 1;
            target.className.assign(cls, strnlen(cls, static_cast<std::size_t>(value + length - cls)));
        }
    }
    if (top && top->override_redirect) {
        const std::uint32_t type = atom("_NET_WM_WINDOW_TYPE");
        Reply<xcb_get_property_reply_t> types(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, programWindow, type, XCB_ATOM_ATOM, 0, 16), nullptr));
        if (types) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(types.get()));
            const int count = xcb_get_property_value_length(types.get()) / 4;
            const std::uint32_t popup = atom("_NET_WM_WINDOW_TYPE_POPUP_MENU");
            const std::uint32_t dropdown = atom("_NET_WM_WINDOW_TYPE_DROPDOWN_MENU");
            for (int i = 0; i < count; ++i)
                target.popupMenu = target.popupMenu || atoms[i] == popup || atoms[i] == dropdown;
        }
    }
    return target;
}

void X11Screen::clearRow(const TargetWindow& target, std::int32_t y)
{
    if (!connected())
        return;
    const std::int32_t row = y - target.originY;
    xcb_clear_area(m_connection, 1, target.window, 0, static_cast<std::int16_t>(row), 0, 1);
    xcb_flush(m_connection);
}

} // namespace yv::capture
