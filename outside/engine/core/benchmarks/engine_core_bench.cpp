// Speed of the engine core on the real EDICT: loading (cold and from the cache) and translating
// 64 KB of English and of Japanese.
#include <engine/translator.h>

#include <platform/codec.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>

namespace {

using namespace yv::engine;

const std::filesystem::path kEdict = "/usr/share/edict/edict";
constexpr std::size_t kTextBytes = 64 * 1024;

std::filesystem::path cacheDir()
{
    return std::filesystem::path(YV_ENGINE_BENCH_CACHE);
}

const Translator* translator()
{
    static const std::unique_ptr<Translator> loaded = Translator::load(kEdict, cacheDir(), nullptr);
    return loaded.get();
}

std::string repeatTo(std::string_view utf8Sentences)
{
    const auto sentences = yv::codec::utf8ToCp932(utf8Sentences);
    std::string text;
    while (text.size() + sentences.size() <= kTextBytes)
        text += sentences;
    return text;
}

const std::string& englishText()
{
    static const std::string text = repeatTo(
        "I eat sushi in Tokyo. The big dog runs in the park every morning.\r\n"
        "Please open the window, because it is hot. She did not read the book that he gave her.\r\n"
        "Did you see the new museum near the station? We will study Japanese at school tomorrow.\r\n");
    return text;
}

const std::string& japaneseText()
{
    static const std::string text = repeatTo(
        "私は東京で寿司を食べました。大きい犬が毎朝公園で走る。\r\n"
        "暑いので窓を開けてください。彼女は彼がくれた本を読まなかった。\r\n"
        "駅の近くの新しい博物館を見ましたか。明日、私たちは学校で日本語を勉強する。\r\n");
    return text;
}

void translateAll(benchmark::State& state, const std::string& text, Direction direction)
{
    const auto* t = translator();
    if (!t) {
        state.SkipWithError("EDICT or MeCab missing");
        return;
    }
    const std::atomic<bool> stop{false};
    for (auto _ : state) {
        std::size_t bytes = 0;
        t->translateText(text, direction, {}, [&bytes](const std::string& s) { bytes += s.size(); }, stop);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_TranslateEnglish64K(benchmark::State& state)
{
    translateAll(state, englishText(), Direction::EJ);
}
BENCHMARK(BM_TranslateEnglish64K)->Unit(benchmark::kMillisecond);

void BM_TranslateJapanese64K(benchmark::State& state)
{
    translateAll(state, japaneseText(), Direction::JE);
}
BENCHMARK(BM_TranslateJapanese64K)->Unit(benchmark::kMillisecond);

void BM_LoadWarm(benchmark::State& state)
{
    translator(); // the cache exists from here on
    for (auto _ : state)
        benchmark::DoNotOptimize(Translator::load(kEdict, cacheDir(), nullptr));
}
BENCHMARK(BM_LoadWarm)->Unit(benchmark::kMillisecond);

void BM_LoadCold(benchmark::State& state)
{
    const auto scratch = cacheDir() / "cold";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(scratch);
        state.ResumeTiming();
        benchmark::DoNotOptimize(Translator::load(kEdict, scratch, nullptr));
    }
}
BENCHMARK(BM_LoadCold)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
