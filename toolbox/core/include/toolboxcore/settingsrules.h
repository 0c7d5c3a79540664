// The rules of the settings sheet that need no window: which key a key control takes, when
// the hot keys clash, how sliders map to stored values, and the dictionary lists of the
// engine keys.
#pragma once

#include <toolboxcore/keynames.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::toolbox {

// A key pressed in a key control (Windows modifier flags and virtual-key code): Alt is not
// taken (the key counts as pressed without modifiers), and a key without Ctrl or Shift is
// taken only when it is F1-F24. Nothing when the control keeps its key.
std::optional<HotKeyCode> hotKeyEntry(std::uint8_t modifiers, std::uint8_t virtualKey);

// Two of the codes are the same key (0, no key, never clashes).
bool hotKeysClash(const std::array<HotKeyCode, 4>& codes);

// The precision slider, 0-10, stored as position x 10000.
inline constexpr int kPrecisionSteps = 10;
std::uint32_t parLimitOf(int position);
int precisionPositionOf(std::uint32_t parLimit);

// The cursor-capture delay slider, 10-100, stored as position x 20 ms.
inline constexpr int kDelayMin = 10;
inline constexpr int kDelayMax = 100;
std::uint32_t spyglassDelayOf(int position);
int delayPositionOf(std::uint32_t milliseconds);

// The Office version lists: entry i (0-3) is 2000, 2002, 2003, 2007, stored as i + 1.
inline constexpr int kOfficeVersions[] = {2000, 2002, 2003, 2007};
// The entry an automatically found version preselects; nothing for an unknown version.
std::optional<int> officeEntryOf(int version);

// The dictionaries of one direction: the user dictionary ("DIC1") and at most five others
// ("DIC2".."DIC6"), each named by its path without ".dic".
inline constexpr std::size_t kDictionaryValues = 6;
inline constexpr std::size_t kMaxOtherDictionaries = kDictionaryValues - 1;

struct DictionaryList {
    std::string user;
    std::vector<std::string> others;
    bool operator==(const DictionaryList&) const = default;
};

// From the stored "DIC1".."DIC6": empty values are left out of the others, in order.
DictionaryList dictionaryListOf(const std::array<std::string, kDictionaryValues>& values);
// What "DIC1".."DIC6" become: the user dictionary, the others from "DIC2" on, the rest empty.
std::array<std::string, kDictionaryValues> dictionaryValuesOf(const DictionaryList& list);

// Whether a chosen file is a dictionary (ends in ".dic", in any case).
bool hasDictionaryExtension(std::string_view path);
// A dictionary file's name as the engines know it: the path without ".dic".
std::string dictionaryNameOf(std::string_view path);

} // namespace yv::toolbox
