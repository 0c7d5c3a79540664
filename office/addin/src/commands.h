// The add-in's button commands, one per office program: what a press does with the selection
// the office side hands over.
#pragma once

#include "mytrans.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace yv::addin {

// The host kinds of the button. Mail programs have no counterpart here.
enum class Host { Writer = 1, Calc = 2, Impress = 3 };

// "writer", "calc", "impress".
std::optional<Host> hostByName(std::string_view name);

// Runs the command of `host` on what the office side handed over (UTF-8): the text
// documents' selection (or their whole text when nothing was selected), the spreadsheet's
// cell grid (see parseCellGrid), the presentation's selected text. True when a translation
// was left on the clipboard.
bool runCommand(Host host, std::string_view handedOver, RequestView& view);

// The temporary file "_LintrelAddin_<name>.txt" in the suite's temporary directory, created
// empty (a file left there by an earlier run is replaced); empty when it cannot be made.
std::filesystem::path makeTempFile(std::string_view name);

} // namespace yv::addin
