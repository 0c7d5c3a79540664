// Copying a tree of data files into the user's data folder: the plan (what, how much), the
// copy with progress, and errors that name the file. A copied file appears whole or not at
// all, and files already at the destination are kept, so a copy that stopped can be run again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace yv::toolbox::firstrun {

struct CopyError {
    std::filesystem::path path;  // the file or directory that failed
    std::error_code code;
};

struct FileCopy {
    std::filesystem::path source;
    std::filesystem::path target;
    std::uintmax_t size = 0;
};

struct CopyPlan {
    std::vector<std::filesystem::path> directories;  // to create, parents before children
    std::vector<FileCopy> files;
    std::uintmax_t totalBytes = 0;
};

struct PlanResult {
    CopyPlan plan;
    std::optional<CopyError> error;
};

// Every regular file below `sourceRoot` (links to directories are not followed, other special
// files are left out) with its place below `targetRoot`. An unreadable directory is an error.
PlanResult planTreeCopy(const std::filesystem::path& sourceRoot, const std::filesystem::path& targetRoot);

// Bytes done so far (kept files count as done) out of the plan's total.
using CopyProgress = std::function<void(std::uintmax_t done, std::uintmax_t total)>;

struct CopyOutcome {
    std::size_t copied = 0;
    std::size_t kept = 0;  // already at the destination: left as they are
    std::optional<CopyError> error;
};

// Creates the directories and copies the files in plan order, calling `progress` after each
// file. Stops at the first error; what was copied before it stays.
CopyOutcome runCopy(const CopyPlan& plan, const CopyProgress& progress = {});

enum class FileCopyResult { Copied, Kept, Failed };

// One file: through a temporary file beside the target that is then moved into place without
// replacing anything, so that neither a half file nor a user's own file can result.
FileCopyResult copyFileKeepingExisting(const std::filesystem::path& source,
                                       const std::filesystem::path& target, CopyError* error);

} // namespace yv::toolbox::firstrun
