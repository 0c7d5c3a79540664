// The viewer's command line: search a book, print hits, entries, menu and copyright notice.
#pragma once

namespace yv::lexdisc {

// Exit status 0 with hits (or text shown), 1 without, 2 on a book error or bad usage.
int runCommandLine(int argc, char** argv);

} // namespace yv::lexdisc
