// Copying a tree of data files into the user's data folder.
#include "datacopy.h"

#include <platform/atomicfile.h>

#include <cerrno>

namespace yv::toolbox::firstrun {

namespace fs = std::filesystem;

namespace {

// Marks a temporary copy of ours; a leftover from an interrupted run is simply replaced.
constexpr const char* kTemporarySuffix = ".yv5-copying";

CopyError errorAt(const fs::path& path, std::error_code code)
{
    return CopyError{path, code};
}

// What to do about a target that is already there: a file is kept; anything else in its
// place (a directory, a dangling link) is an error, since the data would be missing.
std::optional<FileCopyResult> existingTarget(const fs::path& target, CopyError* error)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec)))
        return std::nullopt;
    if (fs::is_regular_file(target, ec))
        return FileCopyResult::Kept;
    if (error)
        *error = errorAt(target, std::make_error_code(std::errc::file_exists));
    return FileCopyResult::Failed;
}

} // namespace

PlanResult planTreeCopy(const fs::path& sourceRoot, const fs::path& targetRoot)
{
    PlanResult result;
    std::error_code ec;
    if (!fs::is_directory(sourceRoot, ec)) {
        result.error = errorAt(sourceRoot, ec ? ec : std::make_error_code(std::errc::not_a_directory));
        return result;
    }
    result.plan.directories.push_back(targetRoot);
    fs::recursive_directory_iterator it(sourceRoot, fs::directory_options::none, ec);
    if (ec) {
        result.error = errorAt(sourceRoot, ec);
        return result;
    }
    fs::path last = sourceRoot;
    for (const fs::recursive_directory_iterator end; it != end;) {
        const fs::directory_entry& entry = *it;
        last = entry.path();
        const fs::path target = targetRoot / entry.path().lexically_relative(sourceRoot);
        std::error_code typeError;
        if (entry.is_symlink(typeError) && entry.is_directory(typeError)) {
            it.disable_recursion_pending();
        } else if (entry.is_directory(typeError)) {
            result.plan.directories.push_back(target);
        } else if (entry.is_regular_file(typeError)) {
            const std::uintmax_t size = entry.file_size(typeError);
            if (typeError) {
                result.error = errorAt(entry.path(), typeError);
                return result;
            }
            result.plan.files.push_back({entry.path(), target, size});
            result.plan.totalBytes += size;
        }
        it.increment(ec);
        if (ec) {
            result.error = errorAt(last, ec);
            return result;
        }
    }
    return result;
}

FileCopyResult copyFileKeepingExisting(const fs::path& source, const fs::path& target, CopyError* error)
{
    std::error_code ec;
    if (const auto kept = existingTarget(target, error))
        return *kept;
    fs::path temporary = target;
    temporary += kTemporarySuffix;
    if (!fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(temporary, ec);
        if (error)
            *error = errorAt(source, ec ? ec : std::make_error_code(std::errc::io_error));
        return FileCopyResult::Failed;
    }
    if (files::moveNoReplace(temporary, target))
        return FileCopyResult::Copied;
    const std::error_code moveError(errno, std::generic_category());
    fs::remove(temporary, ec);
    // Someone put the file there meanwhile: theirs wins.
    if (const auto kept = existingTarget(target, error))
        return *kept;
    if (error)
        *error = errorAt(target, moveError);
    return FileCopyResult::Failed;
}

CopyOutcome runCopy(const CopyPlan& plan, const CopyProgress& progress)
{
    CopyOutcome outcome;
    for (const fs::path& dir : plan.directories) {
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (ec || !fs::is_directory(dir, ec)) {
            outcome.error = errorAt(dir, ec ? ec : std::make_error_code(std::errc::not_a_directory));
            return outcome;
        }
    }
    std::uintmax_t done = 0;
    for (const FileCopy& file : plan.files) {
        CopyError error;
        switch (copyFileKeepingExisting(file.source, file.target, &error)) {
        case FileCopyResult::Copied: ++outcome.copied; break;
        case FileCopyResult::Kept: ++outcome.kept; break;
        case FileCopyResult::Failed: outcome.error = error; return outcome;
        }
        done += file.size;
        if (progress)
            progress(done, plan.totalBytes);
    }
    return outcome;
}

} // namespace yv::toolbox::firstrun
