// The legacy formats through the office suite.
#include "docmorph/legacy.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace yv::docmorph {

namespace fs = std::filesystem;

namespace {

std::string fileUrl(const fs::path& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : fs::absolute(path).string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

struct Formats {
    const char* ooxml;
    const char* ooxmlExtension;
    const char* legacy;
};

Formats formatsOf(Application application)
{
    switch (application) {
    case Application::Word:
        return {"docx:MS Word 2007 XML", ".docx", "doc:MS Word 97"};
    case Application::Slides:
        return {"pptx:Impress MS PowerPoint 2007 XML", ".pptx", "ppt:MS PowerPoint 97"};
    case Application::Sheets:
    case Application::None:
        break;
    }
    return {"xlsx:Calc MS Excel 2007 XML", ".xlsx", "xls:MS Excel 97"};
}

// A private working folder under the suite's temp directory, removed with everything in it.
class WorkFolder final {
public:
    explicit WorkFolder(Host& host)
    {
        auto reserved = host.tempFile(".d");
        if (!reserved)
            return;
        std::error_code ec;
        fs::remove(*reserved, ec);
        if (fs::create_directory(*reserved, ec) && !ec) {
            fs::permissions(*reserved, fs::perms::owner_all, ec);
            m_path = *reserved;
        }
    }
    ~WorkFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            fs::remove_all(m_path, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// Copies `from` over `to` through a new file beside it, so that `to` is never half written.
bool replaceFile(const fs::path& from, const fs::path& to, std::string& error)
{
    const fs::path folder = to.has_parent_path() ? to.parent_path() : fs::path(".");
    std::string hidden = ".";  // built piecewise: GCC 12 warns falsely on "." + string at -O2
    hidden += to.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (folder / hidden).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot write in " + folder.string();
        return false;
    }
    ::close(fd);
    std::error_code ec;
    fs::copy_file(from, pattern, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(pattern, to, ec);
    if (ec) {
        error = ec.message();
        fs::remove(pattern, ec);
        return false;
    }
    return true;
}

} // namespace

std::optional<fs::path> officeProgram()
{
    if (const char* configured = std::getenv("YORVANE_SOFFICE")) {
        if (*configured && ::access(configured, X_OK) == 0)
            return fs::path(configured);
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        const auto colon = folders.find(':');
        const fs::path candidate = fs::path(folders.substr(0, colon)) / "soffice";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    }
    return std::nullopt;
}

std::optional<fs::path> officeConvert(const fs::path& program, const fs::path& input, const fs::path& outDir,
                                      const std::string& format, const fs::path& profile, std::string& error,
                                      const std::function<bool()>& serve, std::chrono::seconds timeLimit)
{
    std::error_code ec;
    fs::create_directories(outDir, ec);
    const std::string extension = "." + format.substr(0, format.find(':'));
    const fs::path expected = outDir / input.filename().replace_extension(extension);
    fs::remove(expected, ec);
    const std::vector<std::string> arguments{program.string(), "--headless", "--norestore", "--nolockcheck",
                                             "-env:UserInstallation=" + fileUrl(profile), "--convert-to", format,
                                             "--outdir", outDir.string(), input.string()};
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string log = (outDir / "office.log").string();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        error = "cannot start " + program.string();
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            break;
        const bool keepGoing = !serve || serve();
        if (!keepGoing || std::chrono::steady_clock::now() > deadline) {
            ::kill(-child, SIGKILL);
            ::waitpid(child, &status, 0);
            error = keepGoing ? "the office suite did not finish in time" : "stopped";
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!fs::is_regular_file(expected, ec) || fs::file_size(expected, ec) == 0) {
        std::ifstream in(log);
        std::string said;
        std::getline(in, said);
        error = "the office suite could not convert " + input.string() + (said.empty() ? "" : " (" + said + ")");
        return std::nullopt;
    }
    return expected;
}

bool looksLikeLegacyKind(const fs::path& file, const Kind& kind)
{
    std::ifstream in(file, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    if (in.gcount() != sizeof head)
        return false;
    if (kind.readOnly)
        return head[0] == 'P' && head[1] == 'K';
    static constexpr unsigned char kCompoundFile[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i)
        if (static_cast<unsigned char>(head[i]) != kCompoundFile[i])
            return false;
    return true;
}

int convertThroughOfficeSuite(Host& host, const Kind& kind, const fs::path& source, const fs::path& output,
                              int direction)
{
    host.setStop(false);
    host.postStage(Stage::Preparing);
    // Word reads the source; the others work on the caller's output copy.
    const fs::path input = kind.application == Application::Word ? source : output;
    const auto program = officeProgram();
    if (!program) {
        host.message(input.string() + ": LibreOfficeが見つからないため変換できません。");
        return 0;
    }
    if (!looksLikeLegacyKind(input, kind)) {
        host.trace("docmorph: " + input.string() + " is not of the kind its name says\n");
        host.message(openFailedMessage(input));
        return 0;
    }
    WorkFolder work(host);
    if (work.path().empty()) {
        host.message(openFailedMessage(input));
        return 0;
    }
    const fs::path profile = work.path() / "profile";
    const Formats formats = formatsOf(kind.application);
    const auto serve = [&host] {
        host.serveEvents();
        return !host.stopRequested();
    };
    std::string error;
    const auto ooxml = officeConvert(*program, input, work.path() / "ooxml", formats.ooxml, profile, error, serve);
    if (!ooxml) {
        host.trace("docmorph: " + error + "\n");
        if (!host.stopRequested())
            host.message(openFailedMessage(input));
        return 0;
    }
    Outcome outcome;
    fs::path translated = *ooxml;
    switch (kind.application) {
    case Application::Word:
        translated = work.path() / "translated" / ooxml->filename();
        fs::create_directories(translated.parent_path());
        outcome = convertWord(host, *ooxml, translated, direction);
        break;
    case Application::Slides:
        outcome = convertSlides(host, *ooxml, direction);
        break;
    case Application::Sheets:
        outcome = convertSheets(host, *ooxml, direction);
        break;
    case Application::None:
        return 1;
    }
    if (!outcome.saved)
        return outcome.result;
    if (kind.readOnly) {
        // The suite cannot write this format back: the translation is kept as OOXML beside
        // the output copy, which would otherwise claim to be translated.
        fs::path target = output;
        target.replace_extension(formats.ooxmlExtension);
        if (!replaceFile(translated, target, error)) {
            host.trace("docmorph: " + error + "\n");
            host.message(saveFailedMessage(target));
            return 0;
        }
        std::error_code ec;
        fs::remove(output, ec);
        host.trace("docmorph: " + output.string() + " written as " + target.string() + "\n");
        return outcome.result;
    }
    const auto back = officeConvert(*program, translated, work.path() / "back", formats.legacy, profile, error, serve);
    if (!back) {
        host.trace("docmorph: " + error + "\n");
        host.message(saveFailedMessage(output));
        return 0;
    }
    if (!outputWritable(output)) {
        host.message(saveFailedMessage(output));
        return 0;
    }
    if (!replaceFile(*back, output, error)) {
        host.trace("docmorph: " + error + "\n");
        host.message(saveFailedMessage(output));
        return 0;
    }
    return outcome.result;
}

} // namespace yv::docmorph
