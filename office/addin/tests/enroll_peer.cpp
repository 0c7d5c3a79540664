// Test peer: registers the add-in as the toolbox's first run does, in a process of its own
// (which may run as another user than the test, since LibreOffice installs extensions per user
// only for ordinary users).
//
//   addin_enroll_peer --log FILE
// Logs "RegistOffice <program> <result>" for each program and "message <text>" for each
// message box, then "done".
#include <OfficeEnroll.h>

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "--log")
        return 2;
    g_log = std::fopen(argv[2], "a");
    if (!g_log)
        return 2;
    LoggingPresenter presenter;
    yv::msgbox::setPresenter(&presenter);
    COfficeEnroll enroll;
    for (const char* application : {"Word", "Excel", "PowerPoint", "Outlook"})
        logLine(std::string("RegistOffice ") + application + " " + std::to_string(enroll.RegistOffice(application, "Yorvane5")));
    logLine("done");
    yv::msgbox::setPresenter(nullptr);
    return 0;
}
