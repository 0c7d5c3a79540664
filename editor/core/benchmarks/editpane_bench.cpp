// Layout of a full pane and one character typed at the start of a nearly full pane.
#include <editorcore/editpane.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

class FixedMetrics final : public yv::editor::FontMetrics {
public:
    int advance(std::uint8_t, std::uint8_t trail) const override { return trail ? 16 : 8; }
    int lineHeight() const override { return 16; }
};

// Words, spaces, Japanese runs and paragraph breaks, as a pasted mixed text has them.
std::string mixedText(std::size_t characters)
{
    static const std::string pieces[] = {"The ", "editor ", "\x96\x7C\x96\xF3", "keeps ", "\x95\xB6\x8F\xCD\x81\x42", "pairs.\n"};
    std::string out;
    std::size_t count = 0;
    for (std::size_t i = 0; count < characters; ++i) {
        const std::string& piece = pieces[i % 6];
        for (std::size_t k = 0; k < piece.size() && count < characters; ++count) {
            const bool lead = (static_cast<unsigned char>(piece[k]) & 0x80) != 0;
            out.append(piece, k, lead ? 2 : 1);
            k += lead ? 2 : 1;
        }
    }
    return out;
}

void BM_LayoutFullPane(benchmark::State& state)
{
    const FixedMetrics metrics;
    yv::editor::EditPane pane(metrics);
    pane.setClientSize(800, 600);
    pane.insert(mixedText(yv::editor::kMaxCharacters), 0, 0, false);
    for (auto _ : state) {
        pane.layout();
        benchmark::DoNotOptimize(pane.store().lineCount);
    }
}
BENCHMARK(BM_LayoutFullPane)->Unit(benchmark::kMillisecond);

void BM_TypeAtStartOfFullPane(benchmark::State& state)
{
    const FixedMetrics metrics;
    yv::editor::EditPane pane(metrics);
    pane.setClientSize(800, 600);
    pane.insert(mixedText(yv::editor::kMaxCharacters - 1), 0, 0, false);
    for (auto _ : state) {
        pane.setCaret(0);
        pane.typeCharacter('x');
        state.PauseTiming();
        pane.deleteBackward();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TypeAtStartOfFullPane)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
