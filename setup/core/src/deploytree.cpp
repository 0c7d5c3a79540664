// The manual tree's copy and removal: two passes for the copy (sizes, then files), files
// written under a temporary name and renamed, links never followed.
#include <deploy/deploytree.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::deploy {

namespace fs = std::filesystem;

namespace {

std::string format(const char* pattern, const std::string& a, const std::string& b = {})
{
    std::vector<char> buffer(std::strlen(pattern) + a.size() + b.size() + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, a.c_str(), b.c_str());
    return buffer.data();
}

class Walk {
public:
    explicit Walk(const Sinks& sinks) : m_sinks(sinks) {}

    void trace(const std::string& line) const
    {
        if (m_sinks.trace)
            m_sinks.trace(line);
    }
    void error(int code, const char* call) const
    {
        trace("Error " + std::to_string(code) + ": " + call + "\n");
    }
    void idle() const
    {
        if (m_sinks.idle)
            m_sinks.idle();
    }
    void progress(int percent) const
    {
        if (m_sinks.progress)
            m_sinks.progress(percent);
    }

    // Entries of a folder, links and all, without following any of them.
    std::vector<fs::directory_entry> entriesOf(const fs::path& folder, int& failures) const
    {
        std::vector<fs::directory_entry> entries;
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        if (ec) {
            error(ec.value(), "opendir");
            ++failures;
            return entries;
        }
        for (const fs::directory_iterator end; it != end; it.increment(ec)) {
            entries.push_back(*it);
            if (ec)
                break;
        }
        if (ec) {
            error(ec.value(), "readdir");
            ++failures;
        }
        return entries;
    }

private:
    const Sinks& m_sinks;
};

std::uint64_t sizeOfTree(const Walk& walk, const fs::path& folder, int& failures)
{
    std::uint64_t total = 0;
    for (const fs::directory_entry& entry : walk.entriesOf(folder, failures)) {
        std::error_code ec;
        const fs::file_status status = entry.symlink_status(ec);
        if (fs::is_directory(status))
            total += sizeOfTree(walk, entry.path(), failures);
        else if (fs::is_regular_file(status))
            total += entry.file_size(ec);
        walk.idle();
    }
    return total;
}

// Writes `target` as a copy of `source` through a temporary file beside it, so that an
// interrupted copy never leaves a short file under the real name.
bool copyFile(const Walk& walk, const fs::path& source, const fs::path& target, std::uint64_t& copied)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) {
        walk.error(errno, "open");
        return false;
    }
    struct stat info {};
    ::fstat(in, &info);
    std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".yvpart-XXXXXX")).string();
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        walk.error(errno, "mkstemp");
        ::close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            walk.error(errno, "read");
            ok = false;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                walk.error(errno, "write");
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok)
            break;
        copied += static_cast<std::uint64_t>(got);
    }
    ::close(in);
    // The installed copy is always writable by its owner, whatever the source's mode.
    if (ok && ::fchmod(out, (info.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID)) | S_IWUSR) != 0) {
        walk.error(errno, "fchmod");
        ok = false;
    }
    if (::close(out) != 0 && ok) {
        walk.error(errno, "close");
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        walk.error(errno, "rename");
        ok = false;
    }
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

bool copyLink(const Walk& walk, const fs::path& source, const fs::path& target)
{
    std::error_code ec;
    const fs::path pointsTo = fs::read_symlink(source, ec);
    if (ec) {
        walk.error(ec.value(), "readlink");
        return false;
    }
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".yvpart-link");
    fs::remove(temporary, ec);
    if (::symlink(pointsTo.c_str(), temporary.c_str()) != 0) {
        walk.error(errno, "symlink");
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        walk.error(errno, "rename");
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void copyTree(const Walk& walk, const fs::path& from, const fs::path& to, CopyOutcome& outcome)
{
    std::error_code ec;
    const fs::file_status existing = fs::symlink_status(to, ec);
    if (!fs::exists(existing)) {
        walk.trace(format("Make dir [%s]\n", to.string()));
        if (::mkdir(to.c_str(), 0755) != 0) {
            walk.error(errno, "mkdir");
            ++outcome.failures;
            return;
        }
    } else if (!fs::is_directory(existing)) {
        // A file (or link) holds the folder's name: it is left alone, and so is the folder.
        ++outcome.failures;
        return;
    }
    bool first = true;
    for (const fs::directory_entry& entry : walk.entriesOf(from, outcome.failures)) {
        const fs::path target = to / entry.path().filename();
        const fs::file_status status = entry.symlink_status(ec);
        if (fs::is_directory(status)) {
            copyTree(walk, entry.path(), target, outcome);
        } else if (fs::is_symlink(status)) {
            walk.trace(format("    cp [%s]->[%s]\n", entry.path().string(), target.string()));
            if (!copyLink(walk, entry.path(), target))
                ++outcome.failures;
        } else if (fs::is_regular_file(status)) {
            walk.trace(format("    cp [%s]->[%s]\n", entry.path().string(), target.string()));
            if (fs::is_directory(fs::symlink_status(target, ec))) {
                walk.error(EISDIR, "rename");
                ++outcome.failures;
            } else if (copyFile(walk, entry.path(), target, outcome.copiedBytes)) {
                ++outcome.filesCopied;
            } else {
                ++outcome.failures;
            }
        }
        if (!first) {
            const std::uint64_t total = outcome.totalBytes;
            walk.progress(total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, outcome.copiedBytes * 100 / total)));
        }
        first = false;
        walk.idle();
    }
}

fs::path withoutTrailingSlashes(std::string_view path)
{
    std::string text(path);
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return fs::path(text);
}

// Whether `inner` is `outer` or lies under it, after resolving what exists of both.
bool liesWithin(const fs::path& inner, const fs::path& outer)
{
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (bi->empty())
            continue;
        if (ai == a.end() || *ai != *bi)
            return false;
    }
    return true;
}

} // namespace

fs::path manualSourceOf(std::string_view source)
{
    return withoutTrailingSlashes(source).parent_path() / kManualFolder;
}

fs::path manualInside(std::string_view folder)
{
    return withoutTrailingSlashes(folder) / kManualFolder;
}

CopyOutcome copyManualTree(std::string_view source, std::string_view destination, const Sinks& sinks)
{
    const Walk walk(sinks);
    walk.trace(format("AllDirCopy: [%s] -> [%s]\n", std::string(source), std::string(destination)));
    CopyOutcome outcome;
    const fs::path from = manualSourceOf(source);
    const fs::path to = manualInside(destination);
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        walk.error(ec ? ec.value() : ENOTDIR, "opendir");
        outcome.refused = true;
        return outcome;
    }
    if (liesWithin(to, from)) {
        // The copy would copy itself for ever.
        walk.error(EINVAL, "AllDirCopy");
        outcome.refused = true;
        return outcome;
    }
    outcome.totalBytes = sizeOfTree(walk, from, outcome.failures);
    // The destination itself may not exist yet: an installer names the folder it wants.
    if (!fs::exists(fs::symlink_status(to.parent_path(), ec))) {
        walk.trace(format("Make dir [%s]\n", to.parent_path().string()));
        fs::create_directories(to.parent_path(), ec);
        if (ec)
            walk.error(ec.value(), "mkdir");
    }
    copyTree(walk, from, to, outcome);
    walk.progress(100);
    return outcome;
}

namespace {

void removeTree(const Walk& walk, const fs::path& folder, RemoveOutcome& outcome)
{
    for (const fs::directory_entry& entry : walk.entriesOf(folder, outcome.failures)) {
        std::error_code ec;
        const fs::file_status status = entry.symlink_status(ec);
        if (fs::is_directory(status)) {
            removeTree(walk, entry.path(), outcome);
        } else if (::unlink(entry.path().c_str()) == 0) {
            ++outcome.filesRemoved;
        } else {
            walk.error(errno, "unlink");
            ++outcome.failures;
        }
        walk.idle();
    }
    walk.trace(format("Remove dir = [%s]\n", folder.string()));
    if (::rmdir(folder.c_str()) == 0) {
        ++outcome.foldersRemoved;
    } else {
        walk.error(errno, "rmdir");
        ++outcome.failures;
    }
}

} // namespace

RemoveOutcome removeManualTree(std::string_view folder, const Sinks& sinks)
{
    const Walk walk(sinks);
    walk.trace(format("AllDirRemove: [%s]\n", std::string(folder)));
    RemoveOutcome outcome;
    const fs::path target = manualInside(folder);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (fs::is_directory(status)) {
        removeTree(walk, target, outcome);
    } else if (fs::is_symlink(status)) {
        // A link in place of the folder: the link goes, what it points to stays.
        if (::unlink(target.c_str()) == 0) {
            ++outcome.filesRemoved;
        } else {
            walk.error(errno, "unlink");
            ++outcome.failures;
        }
    } else if (fs::exists(status)) {
        walk.error(ENOTDIR, "rmdir");
        ++outcome.failures;
    }
    return outcome;
}

} // namespace yv::deploy
