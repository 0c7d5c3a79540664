// Names of hot-key codes.
#include <toolboxcore/keynames.h>

#include <string_view>

namespace yv::toolbox {

namespace {

struct NamedKey {
    std::uint8_t virtualKey;
    std::string_view name;
};

constexpr NamedKey kNamedKeys[] = {
    {0x08, "BACK"},      {0x09, "TAB"},        {0x0C, "CLEAR"},    {0x0D, "RETURN"},  {0x13, "PAUSE"},
    {0x14, "CAPITAL"},   {0x15, "KANA"},       {0x17, "JUNJA"},    {0x18, "FINAL"},   {0x19, "KANJI"},
    {0x1B, "ESCAPE"},    {0x1C, "CONVERT"},    {0x1D, "NONCONVERT"}, {0x1E, "ACCEPT"}, {0x1F, "MODECHANGE"},
    {0x20, "SPACE"},     {0x21, "PRIOR"},      {0x22, "NEXT"},     {0x23, "END"},     {0x24, "HOME"},
    {0x25, "LEFT"},      {0x26, "UP"},         {0x27, "RIGHT"},    {0x28, "DOWN"},    {0x29, "SELECT"},
    {0x2A, "PRINT"},     {0x2B, "EXECUTE"},    {0x2C, "SNAPSHOT"}, {0x2D, "INSERT"},  {0x2E, "DELETE"},
    {0x2F, "HELP"},      {0x90, "NUMLOCK"},    {0x91, "SCROLL"},   {0xF6, "ATTN"},    {0xF7, "CRSEL"},
    {0xF8, "EXSEL"},     {0xF9, "EREOF"},      {0xFA, "PLAY"},     {0xFB, "ZOOM"},    {0xFC, "NONAME"},
    {0xFD, "PA1"},       {0xFE, "OEM_CLEAR"},
};

constexpr std::uint8_t kF1 = 0x70;
constexpr std::uint8_t kF23 = 0x86;

} // namespace

std::string keyName(HotKeyCode code)
{
    std::string name;
    const std::uint8_t modifiers = modifiersOf(code);
    if (modifiers & ModCtrl)
        name += "CTRL+";
    if (modifiers & ModShift)
        name += "SHIFT+";
    if (modifiers & ModAlt)
        name += "ALT+";
    const std::uint8_t key = virtualKeyOf(code);
    if (key >= 'A' && key <= 'Z') {
        name += static_cast<char>(key);
    } else if (key >= kF1 && key <= kF23) {
        name += "F" + std::to_string(key - kF1 + 1);
    } else if (key != 0) {
        for (const NamedKey& named : kNamedKeys) {
            if (named.virtualKey == key) {
                name += named.name;
                break;
            }
        }
    }
    return name;
}

} // namespace yv::toolbox
