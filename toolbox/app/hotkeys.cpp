// Hot keys through XGrabKey on the root window.
#include "hotkeys.h"

#include <QByteArray>
#include <QGuiApplication>

#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace yv::toolbox {

namespace {

template <typename T>
struct FreeReply {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

xcb_connection_t* qtConnection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The Windows modifier flags as X modifier masks.
std::uint16_t maskOf(std::uint8_t modifiers)
{
    std::uint16_t mask = 0;
    if (modifiers & ModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & ModCtrl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & ModAlt)
        mask |= XCB_MOD_MASK_1;
    return mask;
}

constexpr std::uint16_t kMatchedModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

struct KeySymEntry {
    std::uint8_t virtualKey;
    std::uint32_t keySym;
};

// Keys whose symbol is not a plain run of letters, digits, keypad digits or function keys.
constexpr KeySymEntry kKeySyms[] = {
    {0x08, XK_BackSpace}, {0x09, XK_Tab},        {0x0C, XK_Clear},    {0x0D, XK_Return},
    {0x13, XK_Pause},     {0x14, XK_Caps_Lock},  {0x15, XK_Hiragana_Katakana},
    {0x19, XK_Kanji},     {0x1B, XK_Escape},     {0x1C, XK_Henkan},   {0x1D, XK_Muhenkan},
    {0x1F, XK_Mode_switch}, {0x20, XK_space},    {0x21, XK_Prior},    {0x22, XK_Next},
    {0x23, XK_End},       {0x24, XK_Home},       {0x25, XK_Left},     {0x26, XK_Up},
    {0x27, XK_Right},     {0x28, XK_Down},       {0x29, XK_Select},   {0x2A, XK_Print},
    {0x2B, XK_Execute},   {0x2C, XK_Print},      {0x2D, XK_Insert},   {0x2E, XK_Delete},
    {0x2F, XK_Help},      {0x6A, XK_KP_Multiply}, {0x6B, XK_KP_Add},  {0x6C, XK_KP_Separator},
    {0x6D, XK_KP_Subtract}, {0x6E, XK_KP_Decimal}, {0x6F, XK_KP_Divide}, {0x90, XK_Num_Lock},
    {0x91, XK_Scroll_Lock}, {0xBA, XK_semicolon}, {0xBB, XK_equal},   {0xBC, XK_comma},
    {0xBD, XK_minus},     {0xBE, XK_period},     {0xBF, XK_slash},    {0xC0, XK_grave},
    {0xDB, XK_bracketleft}, {0xDC, XK_backslash}, {0xDD, XK_bracketright}, {0xDE, XK_apostrophe},
    {0xE2, XK_backslash},
};

} // namespace

std::uint32_t keySymOf(std::uint8_t virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return XK_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9')
        return XK_0 + (virtualKey - '0');
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return XK_KP_0 + (virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return XK_F1 + (virtualKey - 0x70);
    for (const KeySymEntry& entry : kKeySyms) {
        if (entry.virtualKey == virtualKey)
            return entry.keySym;
    }
    return 0;
}

HotKeys::HotKeys(QObject* parent)
    : QObject(parent)
{
    auto* c = qtConnection();
    if (!c)
        return;
    m_connection = c;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    qApp->installNativeEventFilter(this);
}

HotKeys::~HotKeys()
{
    releaseAll();
    if (m_connection && qApp)
        qApp->removeNativeEventFilter(this);
}

bool HotKeys::available() const
{
    return m_connection != nullptr;
}

std::uint8_t HotKeys::keycodeOf(std::uint32_t keySym) const
{
    // NoSymbol fills the unused places of the map: it names no key.
    if (keySym == 0)
        return 0;
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int symCount = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
    for (int i = 0; i < symCount; ++i) {
        if (syms[i] == keySym)
            return static_cast<std::uint8_t>(setup->min_keycode + i / mapping->keysyms_per_keycode);
    }
    return 0;
}

std::uint16_t HotKeys::numLockMask() const
{
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    const std::uint8_t numLock = keycodeOf(XK_Num_Lock);
    const Reply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!mapping || numLock == 0)
        return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int k = 0; k < mapping->keycodes_per_modifier; ++k) {
            if (codes[modifier * mapping->keycodes_per_modifier + k] == numLock)
                return static_cast<std::uint16_t>(1u << modifier);
        }
    }
    return XCB_MOD_MASK_2;
}

bool HotKeys::grab(std::uint32_t id, HotKeyCode code)
{
    if (!m_connection || code == 0)
        return false;
    release(id);
    // A code without a key symbol, or whose symbol no key of this keyboard map produces, can
    // never be pressed: it is refused, never grabbed on some unrelated key.
    const std::uint8_t keycode = keycodeOf(keySymOf(virtualKeyOf(code)));
    if (keycode == 0)
        return false;
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    const Grab wanted{id, keycode, maskOf(modifiersOf(code))};
    const std::uint16_t numLock = numLockMask();
    // The key must work whatever the state of NumLock and CapsLock.
    const std::uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, numLock, static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
    bool refused = false;
    for (const std::uint16_t variant : variants) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(c, 1, m_root, wanted.modifiers | variant, keycode,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        // BadAccess when another client holds the key; any other error refuses it as well.
        const Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
        if (error)
            refused = true;
    }
    if (refused) {
        ungrab(wanted);
        return false;
    }
    m_grabs.push_back(wanted);
    return true;
}

void HotKeys::ungrab(const Grab& grab) const
{
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    const std::uint16_t numLock = numLockMask();
    for (const std::uint16_t variant : {std::uint16_t(0), std::uint16_t(XCB_MOD_MASK_LOCK), numLock,
                                        static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)})
        xcb_ungrab_key(c, grab.keycode, m_root, grab.modifiers | variant);
    xcb_flush(c);
}

void HotKeys::release(std::uint32_t id)
{
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (it->id == id) {
            ungrab(*it);
            it = m_grabs.erase(it);
        } else {
            ++it;
        }
    }
}

void HotKeys::releaseAll()
{
    while (!m_grabs.empty())
        release(m_grabs.front().id);
}

bool HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || m_grabs.empty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
        return false;
    const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (press->event != m_root)
        return false;
    for (const Grab& grab : m_grabs) {
        if (grab.keycode == press->detail && grab.modifiers == (press->state & kMatchedModifiers)) {
            emit pressed(grab.id);
            return true;
        }
    }
    return false;
}

} // namespace yv::toolbox
