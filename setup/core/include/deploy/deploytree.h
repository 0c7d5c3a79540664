// Copying and removing the manual folder tree at installation, and opening a folder's
// permissions to everyone: file-system steps with progress and trace lines, no user interface.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace yv::deploy {

// The folder the copy and removal work on, beside or inside the given paths.
inline constexpr std::string_view kManualFolder = "manual";

// One trace line, as the installer's diagnostic channel shows it ("    cp [a]->[b]\n").
using TraceSink = std::function<void(const std::string& line)>;
// The copy's position in percent (0..100); called between directory entries.
using ProgressSink = std::function<void(int percent)>;
// Lets the caller serve its window between entries.
using IdleSink = std::function<void()>;

struct Sinks {
    TraceSink trace;
    ProgressSink progress;
    IdleSink idle;
};

// The "manual" folder beside the source's last component ("/cd/setup/" → "/cd/manual").
std::filesystem::path manualSourceOf(std::string_view source);
// The "manual" folder inside a folder ("/opt/app" → "/opt/app/manual").
std::filesystem::path manualInside(std::string_view folder);

struct CopyOutcome {
    std::uint64_t totalBytes = 0;
    std::uint64_t copiedBytes = 0;
    int filesCopied = 0;
    int failures = 0;      // files or folders that could not be copied (the copy goes on)
    bool refused = false;  // nothing done: no source folder, or the target lies inside it
};

// Copies the manual folder beside `source` into `destination`/manual: folders made as needed,
// files replaced (never half-written under their final name) and left writable by their owner.
// Symbolic links are copied as links, never followed.
CopyOutcome copyManualTree(std::string_view source, std::string_view destination, const Sinks& sinks);

struct RemoveOutcome {
    int filesRemoved = 0;
    int foldersRemoved = 0;
    int failures = 0;
};

// Removes `folder`/manual: every file, then every emptied folder, deepest first. A symbolic
// link is removed as a link; what it points to is never touched.
RemoveOutcome removeManualTree(std::string_view folder, const Sinks& sinks);

enum class SecurityResult { Granted, Unsupported, Failed };

// Gives everyone full access to `path` through a POSIX ACL (the "other" entry), and for a
// folder also as the default that new files and subfolders inherit. Unsupported where the
// file system keeps no ACLs.
SecurityResult openToEveryone(std::string_view path, const TraceSink& trace);

} // namespace yv::deploy
