// Rules of the settings sheet.
#include <toolboxcore/settingsrules.h>

#include <algorithm>
#include <cmath>

namespace yv::toolbox {

namespace {

constexpr std::uint8_t kF1 = 0x70;
constexpr std::uint8_t kF24 = 0x87;
constexpr std::uint32_t kPrecisionStep = 10000;
constexpr std::uint32_t kDelayStepMs = 20;
constexpr std::string_view kDictionaryExtension = ".dic";

// Keys that only modify others: Shift, Ctrl, Alt (and their left and right forms).
bool isModifierKey(std::uint8_t virtualKey)
{
    return (virtualKey >= 0x10 && virtualKey <= 0x12) || (virtualKey >= 0xA0 && virtualKey <= 0xA5);
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<HotKeyCode> hotKeyEntry(std::uint8_t modifiers, std::uint8_t virtualKey)
{
    if (virtualKey == 0 || isModifierKey(virtualKey))
        return std::nullopt;
    if (modifiers & ModAlt)
        modifiers = 0;
    modifiers &= ModShift | ModCtrl;
    if (modifiers == 0 && (virtualKey < kF1 || virtualKey > kF24))
        return std::nullopt;
    return static_cast<HotKeyCode>(modifiers << 8 | virtualKey);
}

bool hotKeysClash(const std::array<HotKeyCode, 4>& codes)
{
    for (std::size_t i = 0; i < codes.size(); ++i) {
        for (std::size_t j = i + 1; j < codes.size(); ++j) {
            if (codes[i] != 0 && codes[i] == codes[j])
                return true;
        }
    }
    return false;
}

std::uint32_t parLimitOf(int position)
{
    return static_cast<std::uint32_t>(std::clamp(position, 0, kPrecisionSteps)) * kPrecisionStep;
}

int precisionPositionOf(std::uint32_t parLimit)
{
    const auto position = (static_cast<std::uint64_t>(parLimit) + kPrecisionStep / 2) / kPrecisionStep;
    return static_cast<int>(std::min<std::uint64_t>(position, kPrecisionSteps));
}

std::uint32_t spyglassDelayOf(int position)
{
    return static_cast<std::uint32_t>(std::clamp(position, kDelayMin, kDelayMax)) * kDelayStepMs;
}

int delayPositionOf(std::uint32_t milliseconds)
{
    const auto position = (static_cast<std::uint64_t>(milliseconds) + kDelayStepMs / 2) / kDelayStepMs;
    return static_cast<int>(std::clamp<std::uint64_t>(position, kDelayMin, kDelayMax));
}

std::optional<int> officeEntryOf(int version)
{
    for (int i = 0; i < static_cast<int>(std::size(kOfficeVersions)); ++i) {
        if (kOfficeVersions[i] == version)
            return i;
    }
    return std::nullopt;
}

DictionaryList dictionaryListOf(const std::array<std::string, kDictionaryValues>& values)
{
    DictionaryList list;
    list.user = values[0];
    for (std::size_t i = 1; i < values.size(); ++i) {
        if (!values[i].empty())
            list.others.push_back(values[i]);
    }
    return list;
}

std::array<std::string, kDictionaryValues> dictionaryValuesOf(const DictionaryList& list)
{
    std::array<std::string, kDictionaryValues> values;
    values[0] = list.user;
    std::size_t next = 1;
    for (const std::string& other : list.others) {
        if (next == values.size())
            break;
        if (!other.empty())
            values[next++] = other;
    }
    return values;
}

bool hasDictionaryExtension(std::string_view path)
{
    if (path.size() <= kDictionaryExtension.size())
        return false;
    const std::string_view tail = path.substr(path.size() - kDictionaryExtension.size());
    return std::equal(tail.begin(), tail.end(), kDictionaryExtension.begin(),
                      [](char a, char b) { return lowerAscii(a) == b; });
}

std::string dictionaryNameOf(std::string_view path)
{
    if (hasDictionaryExtension(path))
        path.remove_suffix(kDictionaryExtension.size());
    return std::string(path);
}

} // namespace yv::toolbox
