// One file through the checks and the engine or converter, and the run over the rows.
#include <filebox/batchrun.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::filebox {

namespace {

namespace fs = std::filesystem;

bool readableRegularFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

// The output can be made: its folder takes new files, and the name is not a folder.
bool outputWritable(const std::string& output)
{
    const std::string folder = splitPath(output).folder;
    std::error_code error;
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0 && !fs::is_directory(output, error);
}

// What the output was before the job: a job that ends without replacing it wrote nothing.
struct FileIdentity {
    bool exists = false;
    ino_t inode = 0;
    std::int64_t time = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {true, st.st_ino, static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// Re-adding the row later derives its state from this time.
void touchNow(const std::string& path)
{
    std::error_code error;
    fs::last_write_time(path, fs::file_time_type::clock::now(), error);
}

FileResult failed(std::string_view message)
{
    return {Outcome::Failed, std::string(message)};
}

// The office converter works on a copy under the output's name; the copy keeps the source's
// time, so that a copy left by a failed run is never taken for a translation.
bool copyForOffice(const std::string& source, const std::string& output)
{
    std::error_code error;
    if (!fs::copy_file(source, output, fs::copy_options::overwrite_existing, error))
        return false;
    fs::last_write_time(output, fs::last_write_time(source, error), error);
    fs::permissions(output, fs::perms::owner_write, fs::perm_options::add, error);
    return true;
}

FileResult runEngineFile(FileHost& host, const Job& job, int direction)
{
    std::string input = job.source;
    std::optional<std::string> temporary;
    if (job.kind == Kind::Html) {
        temporary = host.tempFile(".htm");
        // Without a Shift_JIS copy the engine reads the page itself (it reads every coding).
        if (temporary && host.toShiftJis(job.source, *temporary))
            input = *temporary;
    }
    const auto dropTemporary = [&] {
        if (temporary) {
            std::error_code error;
            fs::remove(*temporary, error);
        }
    };
    if (direction == 0)
        direction = job.kind == Kind::Html ? host.htmlDirection(input) : host.textDirection(input);
    if (direction == 0) {
        dropTemporary();
        return failed(texts::kCannotOpen);
    }
    // A frame set, and anything but Japanese to English, goes English to Japanese.
    if (direction != 2)
        direction = 1;
    const FileIdentity before = identityOf(job.output);
    host.setEngineBusy(true);
    const EngineEnd end = host.runEngine(job.kind, direction, input, job.output);
    host.setEngineBusy(false);
    dropTemporary();
    const std::string_view noEngine = direction == 2 ? texts::kJeEngine : texts::kEjEngine;
    switch (end) {
    case EngineEnd::NotStarted:
    case EngineEnd::EngineGone:
        return failed(noEngine);
    case EngineEnd::Stopped: {
        std::error_code error;
        fs::remove(job.output, error);
        return {Outcome::Stopped, {}};
    }
    case EngineEnd::Done:
        break;
    }
    // The engine ends its job the same way when it could not write: only a new file counts.
    const FileIdentity after = identityOf(job.output);
    if (!after.exists || after == before)
        return failed(texts::kNoOutput);
    touchNow(job.output);
    return {Outcome::Translated, {}};
}

FileResult runOfficeFile(FileHost& host, const Job& job, int direction)
{
    if (!copyForOffice(job.source, job.output))
        return failed(texts::kNoOutput);
    host.setEngineBusy(true);
    std::string message;
    const bool converted = host.runOffice(job.source, job.output, direction, message);
    host.setEngineBusy(false);
    if (host.stopRequested())
        return {Outcome::Stopped, {}};
    if (!converted)
        return failed(message.empty() ? texts::kCannotOpen : std::string_view(message));
    touchNow(job.output);
    return {Outcome::Translated, {}};
}

} // namespace

FileResult translateFile(FileHost& host, const Job& job, int direction)
{
    // A stop that came before the file started.
    if (host.stopRequested())
        return {Outcome::Stopped, {}};
    std::error_code error;
    if (!fs::exists(job.source, error))
        return failed(texts::kMissingSource);
    if (host.engineBusy())
        return failed(texts::kEngineBusy);
    if (job.kind == Kind::None)
        return failed(texts::kUnknownExtension);
    if (!readableRegularFile(job.source))
        return failed(texts::kCannotOpen);
    if (!outputWritable(job.output))
        return failed(texts::kNoOutput);
    if (job.kind == Kind::Office)
        return runOfficeFile(host, job, direction);
    return runEngineFile(host, job, direction);
}

bool BatchRun::start(RunMode mode, const std::vector<std::string>& selected)
{
    if (m_mode != RunMode::Idle || mode == RunMode::Idle)
        return false;
    m_queue.clear();
    m_position = 0;
    m_translated = 0;
    m_failed = 0;
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        const Row& row = m_list.row(i);
        const bool take = mode == RunMode::All
                              ? row.state != kTranslated
                              : std::any_of(selected.begin(), selected.end(),
                                            [&](const std::string& path) { return path == row.path; });
        if (take)
            m_queue.push_back(row.path);
    }
    m_mode = mode;
    return true;
}

std::optional<Job> BatchRun::next()
{
    if (m_mode == RunMode::Idle || m_current)
        return std::nullopt;
    // Rows removed meanwhile, and in a translate-all rows translated meanwhile, are passed over.
    while (m_position < m_queue.size()) {
        const auto index = m_list.find(m_queue[m_position++]);
        if (!index || (m_mode == RunMode::All && m_list.row(*index).state == kTranslated))
            continue;
        const Row& row = m_list.row(*index);
        m_formerImage = row.image;
        m_current = Job{m_nextId++, row.path, outputPath(row.path), kindOf(row.path)};
        m_list.setState(*index, Image::Translating, row.state);
        return m_current;
    }
    end();
    return std::nullopt;
}

void BatchRun::finish(std::uint64_t id, const FileResult& result)
{
    if (!m_current || m_current->id != id)
        return;
    const auto index = m_list.find(m_current->source);
    m_current.reset();
    switch (result.outcome) {
    case Outcome::Translated:
        ++m_translated;
        if (index)
            m_list.setState(*index, Image::Translated, std::string(kTranslated));
        break;
    case Outcome::Failed:
        ++m_failed;
        if (index)
            m_list.setState(*index, m_formerImage, result.message);
        if (m_mode == RunMode::Selection)
            end();
        break;
    case Outcome::Stopped:
        ++m_failed;
        if (index)
            m_list.setState(*index, Image::NotTranslated, std::string(kNotTranslated));
        end();
        break;
    }
}

void BatchRun::stop()
{
    if (m_current) {
        if (const auto index = m_list.find(m_current->source))
            m_list.setState(*index, Image::NotTranslated, std::string(kNotTranslated));
        ++m_failed;
    }
    m_current.reset();
    end();
}

void BatchRun::end()
{
    m_mode = RunMode::Idle;
    m_queue.clear();
    m_position = 0;
}

} // namespace yv::filebox
