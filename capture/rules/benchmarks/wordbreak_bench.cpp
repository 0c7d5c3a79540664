// Word-break throughput on lines of captured-line size (about 250 characters), in the Unicode
// and the ANSI form, for English words and for a Japanese run.
#include <capturerules/codepage.h>
#include <capturerules/wordbreak.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace yv::capture;

std::u16string englishLine()
{
    std::u16string line;
    while (line.size() < 240)
        line += u"The quick brown fox jumps over the lazy dog, and e-mail isn't U.S.A. mail. ";
    return line.substr(0, 250);
}

std::u16string japaneseLine()
{
    std::u16string line;
    while (line.size() < 240)
        line += u"日本語の文章を解析して、単語の境界を見つけます。カタカナもｶﾀｶﾅも含みます。";
    return line.substr(0, 250);
}

std::string encoded(const std::u16string& line)
{
    std::string bytes;
    for (const char16_t c : line)
        bytes += encodeChar(932, c);
    return bytes;
}

BreakSettings japanese()
{
    BreakSettings settings;
    settings.charSet = kShiftJisCharSet;
    settings.codePage = 932;
    return settings;
}

// Every hit position of the line in turn, as a mouse moving along it.
void runW(benchmark::State& state, const std::u16string& line, const BreakSettings& settings)
{
    int hit = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(wordBreakW(line, hit, settings));
        hit = (hit + 7) % static_cast<int>(line.size());
    }
    state.SetItemsProcessed(state.iterations());
}

void runA(benchmark::State& state, const std::string& line, const BreakSettings& settings)
{
    int hit = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(wordBreakA(line, hit, settings));
        hit = (hit + 7) % static_cast<int>(line.size());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_WordBreakW_English(benchmark::State& state)
{
    runW(state, englishLine(), {});
}

void BM_WordBreakA_English(benchmark::State& state)
{
    runA(state, encoded(englishLine()), japanese());
}

void BM_WordBreakW_Japanese(benchmark::State& state)
{
    runW(state, japaneseLine(), japanese());
}

void BM_WordBreakA_Japanese(benchmark::State& state)
{
    runA(state, encoded(japaneseLine()), japanese());
}

BENCHMARK(BM_WordBreakW_English);
BENCHMARK(BM_WordBreakA_English);
BENCHMARK(BM_WordBreakW_Japanese);
BENCHMARK(BM_WordBreakA_Japanese);

} // namespace

BENCHMARK_MAIN();
