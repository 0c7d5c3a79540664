// Keystroke to repaint in the editor window: a character typed at the start of a nearly full
// source pane, through the key event, the insertion, the layout and a synchronous repaint in
// the real font. One 60 Hz frame is 16.7 ms.
#include "mainwindow.h"

#include <mixedtext.h>

#include <editorcore/cellstore.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <string>

namespace {

using yv::editor::bench::mixedText;

void BM_KeystrokeToRepaint(benchmark::State& state)
{
    using yv::editor::Side;
    yv::trans::CMainFrame frame;
    frame.resize(900, 700);
    frame.show();
    yv::trans::CTransView& view = frame.view(Side::Source);
    yv::editor::EditPane& pane = frame.document().pane(Side::Source);
    // Full but for the characters the benchmark types.
    pane.insert(mixedText(yv::editor::kMaxCharacters - 2000), 0, 0, false);
    pane.setCaret(0);
    view.setFocus();
    view.refresh();
    QApplication::processEvents();

    int typed = 0;
    for (auto _ : state) {
        if (typed == 1900) {
            state.PauseTiming();
            pane.select(0, static_cast<std::size_t>(typed) - 1);
            pane.deleteSelection();
            typed = 0;
            state.ResumeTiming();
        }
        QTest::keyClick(&view, Qt::Key_A);
        view.viewport()->repaint();
        ++typed;
    }
    state.counters["lines"] = static_cast<double>(pane.store().lineCount);
}
BENCHMARK(BM_KeystrokeToRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
