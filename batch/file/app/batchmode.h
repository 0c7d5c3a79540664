// The headless mode for scripts: file --batch [--direction auto|ej|je] PATH...
#pragma once

namespace yv::filebox {

// True when the command line asks for the headless mode.
bool wantsBatchMode(int argc, char** argv);
// Translates the files (a folder stands for the files the window would preload from it) into
// their outputs, with progress and messages on standard error. Exit status 0 when every file
// was translated, 1 when one was not, 2 for a wrong command line.
int runBatchMode(int argc, char** argv);

} // namespace yv::filebox
