// The command line of the example box: search, add a document, rebuild the indexes.
#pragma once

namespace yv::samplebox {

// Runs the command given on the command line and returns the exit status.
int runCommandLine(int argc, char** argv);

} // namespace yv::samplebox
