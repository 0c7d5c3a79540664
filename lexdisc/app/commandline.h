// The viewer's command line: search a book, print hits, entries, menu and copyright notice.
#pragma once

#include <filesystem>
#include <optional>

namespace yv::lexdisc {

// The window's options when the command line asks for no action (--search, --menu,
// --copyright, --list, --help): the catalog or book folder of --catalog, empty without it.
// Nothing when the command line is one for runCommandLine.
std::optional<std::filesystem::path> windowOptions(int argc, char** argv);

// Exit status 0 with hits (or text shown), 1 without, 2 on a book error or bad usage.
int runCommandLine(int argc, char** argv);

} // namespace yv::lexdisc
