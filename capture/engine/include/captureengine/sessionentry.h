// The suite's entry in the shell file the X session sources at start-up: one marked block
// that adds the capture hook to LD_PRELOAD, so that every program started afterwards in the
// session loads it. Installing and removing touch nothing outside the block.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace yv::capture::session {

inline constexpr std::string_view kHookFile = "libSNRCAPNT_hook.so";

enum class EntryState {
    Absent,
    Present,     // exactly one block, naming this hook
    Other,       // blocks that name another hook or were edited: installing replaces them
    Damaged,     // a marker line without its partner: left for the user to mend
    Unreadable,  // not a regular file, too large, or not readable
};

enum class Problem {
    None,
    HookMissing,       // no hook library at the path the entry would name
    HookPathUnusable,  // relative, or holds a space, colon or line break: LD_PRELOAD cannot carry it
    Unreadable,
    Damaged,
    Unwritable,        // the file is as it was
};

struct Outcome {
    Problem problem = Problem::None;
    bool changed = false;
};

// The block's text for `hook`, ending in a newline.
std::string entryBlock(const std::filesystem::path& hook);

EntryState entryState(std::string_view text, const std::filesystem::path& hook);
// The text with exactly one block for `hook` at its end (unchanged when it is already there);
// nothing when the text holds a damaged block.
std::optional<std::string> withEntry(std::string_view text, const std::filesystem::path& hook);
// The text without the suite's blocks, byte for byte as it was before they were added;
// nothing when a block is damaged.
std::optional<std::string> withoutEntry(std::string_view text);

EntryState installedState(const std::filesystem::path& startFile, const std::filesystem::path& hook);
// Writes through a symbolic link to its target, keeping the file's mode; never half-written.
Outcome install(const std::filesystem::path& startFile, const std::filesystem::path& hook);
Outcome remove(const std::filesystem::path& startFile);

// Whether an LD_PRELOAD value (space or colon separated) names `hook`.
bool preloads(std::string_view ldPreload, const std::filesystem::path& hook);
// Whether this process was started with the hook preloaded.
bool sessionHasHook(const std::filesystem::path& hook);

} // namespace yv::capture::session
