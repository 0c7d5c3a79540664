// System-wide hot keys on X11: keys grabbed on the root window (with every NumLock and
// CapsLock variant) and recognised in Qt's native event stream.
#pragma once

#include <toolboxcore/keynames.h>

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <vector>

namespace yv::toolbox {

// The X key symbol of a stored Windows virtual-key code; 0 when the key has none.
std::uint32_t keySymOf(std::uint8_t virtualKey);

class HotKeys final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit HotKeys(QObject* parent = nullptr);
    ~HotKeys() override;

    // Whether keys can be grabbed at all (an X display through Qt's xcb platform).
    bool available() const;
    // False when the key has no key on this keyboard or another client holds it.
    bool grab(std::uint32_t id, HotKeyCode code);
    void release(std::uint32_t id);
    void releaseAll();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void pressed(std::uint32_t id);

private:
    struct Grab {
        std::uint32_t id;
        std::uint8_t keycode;
        std::uint16_t modifiers;
    };
    std::uint8_t keycodeOf(std::uint32_t keySym) const;
    std::uint16_t numLockMask() const;
    void ungrab(const Grab& grab) const;

    void* m_connection = nullptr;  // Qt's xcb_connection_t
    std::uint32_t m_root = 0;
    std::vector<Grab> m_grabs;
};

} // namespace yv::toolbox
