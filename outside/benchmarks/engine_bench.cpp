// End-to-end translation through the engine link: 64 KB of English (EJ) and 64 KB of
// Japanese (JE), from TransStartSTR3 to the end mark.
#include <EngineLink.h>
#include <Messages.h>

#include <platform/bus.h>
#include <platform/codec.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kTextBytes = 64 * 1024;

std::string repeatTo(const std::string& sentence, std::size_t bytes)
{
    std::string text;
    while (text.size() + sentence.size() < bytes)
        text += sentence;
    return text;
}

struct Run {
    bool ended = false;
    std::size_t blocks = 0;
};

int onResult(const char* result, void* context)
{
    auto* run = static_cast<Run*>(context);
    ++run->blocks;
    run->ended = run->ended || std::string(result) == "$$$";
    return 0;
}

bool translateOnce(CEngineLink& link, const std::string& text, Run& run)
{
    link.SetCallback(onResult, &run);
    if (!link.TransStartSTR3(text.c_str()))
        return false;
    while (!run.ended)
        yv::bus::waitServingEvents(1);
    link.DC_TransSTR3();
    return true;
}

void translateThrough(benchmark::State& state, CEngineLink& link, const std::string& text)
{
    link.Init(nullptr);
    // The engine's start and dictionary load are not what is measured.
    Run warmUp;
    if (!translateOnce(link, "a", warmUp)) {
        state.SkipWithError("engine not reached");
        return;
    }
    for (auto _ : state) {
        Run run;
        if (!translateOnce(link, text, run)) {
            state.SkipWithError("engine not reached");
            return;
        }
        state.counters["results"] = static_cast<double>(run.blocks);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_EnglishToJapanese64K(benchmark::State& state)
{
    static CEngineLink_EJ link;
    translateThrough(state, link,
                     repeatTo("The committee approved the new budget after a long discussion about schools. "
                              "Please send me the report by Friday.\r\n",
                              kTextBytes));
}
BENCHMARK(BM_EnglishToJapanese64K)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JapaneseToEnglish64K(benchmark::State& state)
{
    static CEngineLink_JE link;
    translateThrough(state, link,
                     repeatTo(yv::codec::utf8ToCp932("委員会は学校についての長い議論の後で新しい予算を承認した。"
                                                     "金曜日までに報告書を送ってください。\r\n"),
                              kTextBytes));
}
BENCHMARK(BM_JapaneseToEnglish64K)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Leave no engine behind.
    yv::bus::postMessage(yv::messages::kEngineEjClass, yv::messages::kWmClose, 0, 0);
    yv::bus::postMessage(yv::messages::kEngineJeClass, yv::messages::kWmClose, 0, 0);
    return 0;
}
