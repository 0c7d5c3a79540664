// Starting the suite's programs by name from the caller's own directory.
#include <platform/process.h>

#include <platform/paths.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <filesystem>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace yv::process {

std::string programFileName(std::string_view name)
{
    std::string file(name);
    for (char& c : file) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (file.size() > 4 && file.ends_with(".exe"))
        file.resize(file.size() - 4);
    return file;
}

bool startProgram(std::string_view name, const std::vector<std::string>& arguments)
{
    return startProgramIn(paths::programDir(), name, arguments);
}

bool startProgramIn(const std::filesystem::path& directory, std::string_view name,
                    const std::vector<std::string>& arguments)
{
    const std::string file = programFileName(name);
    // A bare name only: nothing outside the program directory can be reached through it.
    if (file.empty() || file.find('/') != std::string::npos || file == "." || file == "..")
        return false;
    const std::filesystem::path path = directory / file;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    QStringList args;
    for (const std::string& a : arguments)
        args << QString::fromStdString(a);
    QProcess::startDetached(QString::fromStdString(path.string()), args);
    return true;
}

int runAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    const std::string file = program.string();
    if (file.empty())
        return -1;
    std::vector<std::string> argv{file};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, file.c_str(), nullptr, nullptr, pointers.data(), environ) != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> splitArguments(std::string_view line)
{
    std::vector<std::string> out;
    std::string current;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                current += c;
            continue;
        }
        if (c == '\\' && i + 1 < line.size() && (quote == '"' || quote == 0)) {
            current += line[++i];
            inWord = true;
            continue;
        }
        if (quote == '"') {
            if (c == '"')
                quote = 0;
            else
                current += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord)
                out.push_back(std::move(current));
            current.clear();
            inWord = false;
        } else {
            current += c;
            inWord = true;
        }
    }
    if (inWord)
        out.push_back(std::move(current));
    return out;
}

} // namespace yv::process
