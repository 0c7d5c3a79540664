// The window-class tables: which windows are read one line at a time, and in which windows
// drawn text may be substituted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace yv::capture {

// Class names are compared over at most this many characters, as the window system reports them.
inline constexpr std::size_t kMaxClassNameChars = 127;

// Style bits as the window's toolkit reports them (Windows numbering: LVS_*, ES_* ...).
inline constexpr std::uint32_t kAllStyleBits = 0xFFFFFFFF;

// Menus, list and tree views, list boxes and tool bars: a sentence capture takes one line.
bool recommendsSingleLine(std::string_view className, std::uint32_t style);

// Lists, trees, tabs, headers, combo boxes and edit controls may show substituted words; menus
// and read-only or multi-line edit controls may not.
bool acceptsSubstitution(std::string_view className, std::uint32_t style);

} // namespace yv::capture
