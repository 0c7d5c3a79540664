// Find and replace over a pane's cells, and the ";"-separated search histories.
#pragma once

#include "editpane.h"

#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

inline constexpr std::size_t kHistoryEntries = 20;
inline constexpr char kHistorySeparator = ';';

// Cells the CP932 `needle` covers when it matches at `cell`, else 0. Single-byte characters
// compare in ASCII upper case unless `matchCase`; double-byte characters compare exactly.
std::size_t matchAt(const CellStore& store, std::size_t cell, std::string_view needle, bool matchCase);

// On a match: the matched cells selected, the caret at their start, scrolled into view.
bool findDown(EditPane& pane, std::string_view needle, bool matchCase);
bool findUp(EditPane& pane, std::string_view needle, bool matchCase);

// "置換": replaces the selection when it is exactly one match (undoable), then finds down.
// False when nothing more is found.
bool replaceAndFind(EditPane& pane, std::string_view needle, std::string_view replacement, bool matchCase);

// "すべて置換": every match from the start, left to right, never inside replaced text. The
// undo copy holds the text before the last replacement. Stops at the first replacement that
// would overflow the store (with the store-full message). Returns the replacements made.
std::size_t replaceAll(EditPane& pane, std::string_view needle, std::string_view replacement, bool matchCase);

// The history to store: the combo's text, then each listed entry that differs from it, at
// most 20 of those.
std::string historyToStore(std::string_view current, const std::vector<std::string>& listed);
// The entries of a stored history, empty pieces skipped, at most 20.
std::vector<std::string> historyFromStore(std::string_view stored);

} // namespace yv::editor
