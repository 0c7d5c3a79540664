// Hot-key codes as stored in the settings: modifier flags in the high byte, a Windows
// virtual-key code in the low byte; and their names as the toolbox shows them.
#pragma once

#include <cstdint>
#include <string>

namespace yv::toolbox {

using HotKeyCode = std::uint16_t;

enum HotKeyModifier : std::uint8_t { ModShift = 1, ModCtrl = 2, ModAlt = 4 };

inline std::uint8_t modifiersOf(HotKeyCode code) { return static_cast<std::uint8_t>(code >> 8); }
inline std::uint8_t virtualKeyOf(HotKeyCode code) { return static_cast<std::uint8_t>(code & 0xFF); }

// "CTRL+", "SHIFT+", "ALT+" for the modifiers present, then the key: the letter for A-Z, else
// the key's name; digits and unnamed keys add nothing (0x130 is "SHIFT+").
std::string keyName(HotKeyCode code);

} // namespace yv::toolbox
