// Starting the suite's programs by name from the caller's own directory.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace yv::process {

// The file a program name of the suite stands for: ".exe" dropped, lower case
// ("Trans.exe" -> "trans").
std::string programFileName(std::string_view name);

// Starts the program from the directory of the running program, detached (not waited for, in
// a session of its own). False only when no such file exists there; a start that fails
// otherwise still counts as started, since the caller cannot tell the difference either.
bool startProgram(std::string_view name, const std::vector<std::string>& arguments = {});
// The same from another directory (a library starts programs from its own).
bool startProgramIn(const std::filesystem::path& directory, std::string_view name,
                    const std::vector<std::string>& arguments = {});

// Runs `program` (a path; no search along PATH) with `arguments` and waits for it to end,
// without a time limit. The exit status, or -1 when it could not be started or was killed.
int runAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments = {});

// Splits a command-line tail as a shell would: blanks separate, quotes group, a backslash
// escapes the next character inside double quotes and outside quotes.
std::vector<std::string> splitArguments(std::string_view commandLine);

} // namespace yv::process
