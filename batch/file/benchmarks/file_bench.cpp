// The batch box's translate-all over 100 text files of 10 KB through the reference engine,
// beside the same files sent straight through the engine link, and the box's own work per
// file with an engine that answers at once. "per_file" is wall time per file (the engine works
// in its own process).
#include <enginehost.h>
#include <filebox/batchlist.h>
#include <filebox/batchrun.h>

#include <EngineLink.h>
#include <Messages.h>
#include <platform/bus.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace yv::filebox;

constexpr int kFiles = 100;
constexpr std::size_t kFileBytes = 10 * 1024;

struct Corpus {
    fs::path dir;
    std::vector<std::string> files;

    Corpus()
    {
        char pattern[] = "/tmp/yv5-file-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        const std::string sentence = "The committee reviewed the annual report and approved the new budget.\n";
        std::string text;
        while (text.size() + sentence.size() <= kFileBytes)
            text += sentence;
        for (int i = 0; i < kFiles; ++i) {
            files.push_back((dir / ("report " + std::to_string(i) + ".txt")).string());
            std::ofstream(files.back(), std::ios::binary) << text;
        }
    }
    ~Corpus() { fs::remove_all(dir); }

    void removeOutputs() const
    {
        for (const std::string& file : files)
            fs::remove(outputPath(file));
    }
};

const Corpus& corpus()
{
    static const Corpus instance;
    return instance;
}

// The box's run: the list, the checks, the busy flag, the engine, the output's time.
void runBox(benchmark::State& state, const std::function<FileResult(const Job&)>& translate)
{
    // The engine's start and dictionary load are not what is measured.
    const std::string& first = corpus().files.front();
    translate(Job{0, first, outputPath(first), Kind::Text});
    for (auto _ : state) {
        state.PauseTiming();
        corpus().removeOutputs();
        state.ResumeTiming();
        BatchList list;
        for (const std::string& file : corpus().files)
            list.add(file);
        BatchRun run(list);
        run.start(RunMode::All);
        while (const auto job = run.next())
            run.finish(job->id, translate(*job));
        if (run.translatedCount() != static_cast<std::size_t>(kFiles)) {
            state.SkipWithError("not every file was translated");
            return;
        }
    }
    state.counters["per_file"] =
        benchmark::Counter(static_cast<double>(kFiles), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_BoxThroughReferenceEngine(benchmark::State& state)
{
    JobMessages messages;
    EngineHost host(0, messages);
    runBox(state, [&](const Job& job) { return host.translate(job, 1); });
}

struct EngineRun {
    bool done = false;
};

int onEngine(const char* result, void* context)
{
    if (std::strcmp(result, "end") == 0)
        static_cast<EngineRun*>(context)->done = true;
    return 0;
}

void BM_EngineLinkAlone(benchmark::State& state)
{
    CEngineLink_EJ link;
    link.Init(nullptr);
    const auto translate = [&](const std::string& file) {
        EngineRun run;
        link.SetCallback(onEngine, &run);
        if (!link.TransStartTEXT(file.c_str(), outputPath(file).c_str()))
            return false;
        // Waiting as the box waits, so that only the box's own work differs.
        QEventLoop loop;
        while (!run.done)
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        return true;
    };
    translate(corpus().files.front());
    for (auto _ : state) {
        state.PauseTiming();
        corpus().removeOutputs();
        state.ResumeTiming();
        for (const std::string& file : corpus().files) {
            if (!translate(file)) {
                state.SkipWithError("engine not reached");
                return;
            }
        }
    }
    state.counters["per_file"] =
        benchmark::Counter(static_cast<double>(kFiles), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The box's own work: an engine that writes its output at once.
class InstantHost final : public FileHost {
public:
    bool engineBusy() override { return false; }
    void setEngineBusy(bool) override {}
    int textDirection(const std::string&) override { return 1; }
    int htmlDirection(const std::string&) override { return 1; }
    std::optional<std::string> tempFile(const char*) override { return std::nullopt; }
    bool toShiftJis(const std::string&, const std::string&) override { return false; }
    EngineEnd runEngine(Kind, int, const std::string&, const std::string& output) override
    {
        std::ofstream(output, std::ios::binary) << "x";
        return EngineEnd::Done;
    }
    bool runOffice(const std::string&, const std::string&, int, std::string&) override { return false; }
    bool stopRequested() override { return false; }
};

void BM_BoxOwnWork(benchmark::State& state)
{
    InstantHost host;
    runBox(state, [&](const Job& job) { return translateFile(host, job, 1); });
}

} // namespace

BENCHMARK(BM_EngineLinkAlone)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_BoxThroughReferenceEngine)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_BoxOwnWork)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The engines the run started end with it.
    for (const auto windowClass : {yv::messages::kEngineEjClass, yv::messages::kEngineJeClass})
        yv::bus::postMessage(windowClass, yv::messages::kWmClose, 0, 0);
    return 0;
}
