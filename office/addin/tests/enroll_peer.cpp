// Test peer: registers the add-in as the toolbox's first run does, in a process of its own
// (which may run as another user than the test, since LibreOffice installs extensions per user
// only for ordinary users).
//
//   addin_enroll_peer --log FILE [--unregister]
// Logs "RegistOffice <program> <result>" (or "UnRegistOffice ...") for each program and
// "message <text>" for each message box, then whether the office lists the extension
// ("extension listed" or "extension absent"), then "done".
#include <OfficeEnroll.h>

#include <libreoffice.h>

#include <platform/messagebox.h>

#include <cstdio>
#include <string>

namespace {

std::FILE* g_log = nullptr;

void logLine(const std::string& line)
{
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

class LoggingPresenter final : public yv::msgbox::Presenter {
public:
    int show(std::uint64_t, unsigned style, std::string_view text, std::string_view) override
    {
        logLine("message " + std::string(text));
        return yv::msgbox::defaultAnswer(style);
    }
};

// What the office's own list of the user's extensions says.
bool extensionListed()
{
    const std::string command = "unopkg list " + yv::officeenroll::userInstallationArgument() + " 2>/dev/null";
    std::FILE* list = ::popen(command.c_str(), "r");
    if (!list)
        return false;
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, list)) > 0;)
        output.append(buffer, n);
    ::pclose(list);
    return output.find(yv::officeenroll::kExtensionId) != std::string::npos;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4 || std::string(argv[1]) != "--log")
        return 2;
    const bool unregister = argc == 4 && std::string(argv[3]) == "--unregister";
    g_log = std::fopen(argv[2], "a");
    if (!g_log)
        return 2;
    LoggingPresenter presenter;
    yv::msgbox::setPresenter(&presenter);
    COfficeEnroll enroll;
    for (const char* application : {"Word", "Excel", "PowerPoint", "Outlook"}) {
        const int result = unregister ? enroll.UnRegistOffice(application) : enroll.RegistOffice(application, "Yorvane5");
        logLine(std::string(unregister ? "UnRegistOffice " : "RegistOffice ") + application + " " + std::to_string(result));
    }
    logLine(extensionListed() ? "extension listed" : "extension absent");
    logLine("done");
    yv::msgbox::setPresenter(nullptr);
    return 0;
}
