// The headless mode: the window's rules and messages, on standard error.
#include "batchmode.h"

#include "enginehost.h"

#include <Etc.h>
#include <Messages.h>
#include <filebox/batchlist.h>
#include <filebox/batchrun.h>

#include <platform/bus.h>

#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace yv::filebox {

namespace {

constexpr std::string_view kUsage = "usage: file --batch [--direction auto|ej|je] PATH...\n";

void say(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

std::string absolute(const std::string& path)
{
    std::error_code error;
    const auto full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

struct Options {
    int direction = -1;  // the stored setting
    std::vector<std::string> paths;
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--batch")
            continue;
        if (arg == "--direction" && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (value == "auto")
                options.direction = DIRECTION_AUTO;
            else if (value == "ej")
                options.direction = DIRECTION_EJ;
            else if (value == "je")
                options.direction = DIRECTION_JE;
            else
                return false;
        } else if (arg.size() > 1 && arg.front() == '-' && arg != "-") {
            return false;
        } else {
            options.paths.emplace_back(arg);
        }
    }
    return !options.paths.empty();
}

} // namespace

bool wantsBatchMode(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--batch")
            return true;
    }
    return false;
}

int runBatchMode(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(kUsage.data(), stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    JobMessages messages;

    BatchList list;
    bool refused = false;
    for (const std::string& given : options.paths) {
        const std::string path = absolute(given);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const std::string& file : filesToPreload(path))
                list.add(file);
        } else if (kindOf(path) == Kind::None) {
            say(path + ": " + std::string(texts::kNotAccepted));
            refused = true;
        } else {
            list.add(path);
        }
    }

    // The converter's stages and progress come as window messages, to a window of this run.
    const auto endpoint = bus::WindowEndpoint::registerWindow(
        "QEL_RlyFileBatch" + std::to_string(::getpid()) + "WClass", 0,
        [](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) -> std::int64_t {
            static constexpr const char* kStages[] = {"", "準備中", "翻訳中", "読み込み中", "書き込み中"};
            if (message == messages::kProgress && wParam >= 1 && wParam <= 4)
                say(std::string("  ") + kStages[wParam]);
            else if (message == messages::kProgress && wParam == 0 && lParam % 25 == 0)
                say("  " + std::to_string(lParam) + "%");
            return 0;
        });
    EngineHost host(endpoint ? endpoint->handle() : 0, messages);
    int shown = -1;
    host.onProgress = [&shown](int percent) {
        // Every tenth is enough for a log.
        if (percent / 10 != shown / 10 || shown < 0) {
            shown = percent;
            say("  " + std::to_string(percent) + "%");
        }
    };

    TraceLine("OnTransAll()\n");
    BatchRun run(list);
    run.start(RunMode::All);
    const std::size_t total = list.size();
    std::size_t number = 0;
    while (const auto job = run.next()) {
        ++number;
        TraceLine(" No. %zu file trans\n", number - 1);
        say("[" + std::to_string(number) + "/" + std::to_string(total) + "] " + job->source);
        shown = -1;
        const int direction =
            options.direction >= 0 ? options.direction
                                   : static_cast<int>(GetRegDWORD(0, nullptr, "翻訳方向", DIRECTION_AUTO));
        const FileResult result = host.translate(*job, direction);
        run.finish(job->id, result);
        if (result.outcome == Outcome::Translated)
            say(job->source + ": " + std::string(kTranslated) + " -> " + job->output);
        else if (result.message.rfind(job->source + ":", 0) == 0)
            say(result.message);  // the converter's messages name the file themselves
        else
            say(job->source + ": " + result.message);
    }
    TraceLine("OnTransAll() END\n");
    const std::size_t already = total - run.translatedCount() - run.failedCount();
    say(std::to_string(run.translatedCount()) + " translated, " + std::to_string(already) + " already translated, "
        + std::to_string(run.failedCount() + (refused ? 1 : 0)) + " not translated");
    return run.failedCount() == 0 && !refused ? 0 : 1;
}

} // namespace yv::filebox
