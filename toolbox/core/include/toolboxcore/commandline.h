// The toolbox's command line: handed from a second toolbox to the first as one text, and the
// file it names read for the editor.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::toolbox {

inline constexpr std::size_t kMaxPassedArguments = 64;

// One argument per line; a backslash escapes itself, "n" a line feed and "r" a carriage return.
std::string encodeArguments(const std::vector<std::string>& arguments);
// Nothing for a text that no encoding gives (a stray backslash, too many arguments).
std::optional<std::vector<std::string>> decodeArguments(std::string_view text);

// A file read for a hand-over into a fresh editor document.
struct CommandLineText {
    enum class Status { Ok, TooLong, Unreadable };
    Status status = Status::Unreadable;
    std::string cp932;
};

// Reads the file in whatever encoding it has (BOM, UTF-8, CP932, EUC-JP, ISO-2022-JP) into
// CP932. A text that with its NUL exceeds the hand-over (65,536 bytes) is TooLong; a file far
// larger than any text that could fit is refused without being read whole.
CommandLineText readCommandLineFile(const std::filesystem::path& path);

} // namespace yv::toolbox
