// The window-class tables, matched by class-name prefix and style bits.
#include <capturerules/windowclasses.h>

#include <algorithm>
#include <array>

namespace yv::capture {

namespace {

struct WindowClassRow {
    std::string_view prefix;
    std::uint32_t styleMask;
    bool enabled;
};

constexpr std::uint32_t kListViewLayouts = 0x3;          // LVS_REPORT, LVS_SMALLICON, LVS_LIST
constexpr std::uint32_t kReadOnlyOrMultiLine = 0x804;    // ES_READONLY, ES_MULTILINE

constexpr std::array<WindowClassRow, 13> kSingleLineClasses{{
    {"#32768", kAllStyleBits, true},  // pop-up menu
    {"Afx:400000:800:", kAllStyleBits, true},
    {"Afx:400000:b:", kAllStyleBits, true},
    {"SysListView", kListViewLayouts, true},
    {"SysListView32", kListViewLayouts, true},
    {"ToolbarWindow32", kAllStyleBits, true},
    {"SysTreeView", kAllStyleBits, true},
    {"SysTreeView32", kAllStyleBits, true},
    {"ComboLBox", kAllStyleBits, true},
    {"ListBox", kAllStyleBits, true},
    {"TListBox", kAllStyleBits, true},
    {"OpenListView", kAllStyleBits, true},
    {"hh_kwd_vlist", kAllStyleBits, true},
}};

constexpr std::array<WindowClassRow, 4> kSubstitutionRejected{{
    {"#32768", kAllStyleBits, true},
    {"Afx:400000:800:", kAllStyleBits, true},
    {"Afx:400000:b:", kAllStyleBits, true},
    {"Edit", kReadOnlyOrMultiLine, true},
}};

// The accepted classes; the disabled rows name windows deliberately left alone (tool tips,
// buttons, labels, dialogs, embedded browsers).
constexpr std::array<WindowClassRow, 25> kSubstitutionAccepted{{
    {"SysHeader", kAllStyleBits, true},
    {"SysHeader32", kAllStyleBits, true},
    {"SysListView", kAllStyleBits, true},
    {"SysListView32", kAllStyleBits, true},
    {"SysTreeView", kAllStyleBits, true},
    {"SysTreeView32", kAllStyleBits, true},
    {"SysTabControl", kAllStyleBits, true},
    {"SysTabControl32", kAllStyleBits, true},
    {"ComboBox", kAllStyleBits, true},
    {"ComboBoxEx32", kAllStyleBits, true},
    {"ComboLBox", kAllStyleBits, true},
    {"ListBox", kAllStyleBits, true},
    {"Edit", kAllStyleBits, true},
    {"RICHEDIT", kAllStyleBits, true},
    {"RichEdit20A", kAllStyleBits, true},
    {"RichEdit20W", kAllStyleBits, true},
    {"MS_WINTOPIC", kAllStyleBits, true},
    {"MSVCEditWindow", kAllStyleBits, true},
    {"Afx:", kAllStyleBits, true},
    {"tooltips_class", kAllStyleBits, false},
    {"tooltips_class32", kAllStyleBits, false},
    {"Button", kAllStyleBits, false},
    {"Static", kAllStyleBits, false},
    {"#32770", kAllStyleBits, false},
    {"HTML_Internet Explorer", kAllStyleBits, false},
}};

bool matches(const WindowClassRow& row, std::string_view className)
{
    return row.enabled && className.substr(0, kMaxClassNameChars).starts_with(row.prefix);
}

template <std::size_t N>
bool matchesWithStyle(const std::array<WindowClassRow, N>& table, std::string_view className, std::uint32_t style)
{
    return std::any_of(table.begin(), table.end(), [&](const WindowClassRow& row) {
        return matches(row, className) && (style & row.styleMask) != 0;
    });
}

} // namespace

bool recommendsSingleLine(std::string_view className, std::uint32_t style)
{
    return matchesWithStyle(kSingleLineClasses, className, style);
}

bool acceptsSubstitution(std::string_view className, std::uint32_t style)
{
    if (matchesWithStyle(kSubstitutionRejected, className, style))
        return false;
    return std::any_of(kSubstitutionAccepted.begin(), kSubstitutionAccepted.end(),
                       [&](const WindowClassRow& row) { return matches(row, className); });
}

} // namespace yv::capture
