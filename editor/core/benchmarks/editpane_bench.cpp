// Layout of a full pane and one character typed at the start of a nearly full pane.
#include "mixedtext.h"

#include <editorcore/editpane.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

class FixedMetrics final : public yv::editor::FontMetrics {
public:
    int advance(std::uint8_t, std::uint8_t trail) const override { return trail ? 16 : 8; }
    int lineHeight() const override { return 16; }
};

using yv::editor::bench::mixedText;

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
