// What the window adds to a search: key entered → hit list painted, and hit chosen → entry
// painted, beside the reader's own search with its headings, on the 3,000-entry bench book.
#include "entryview.h"
#include "hitlistview.h"
#include "mainframe.h"

#include <platform/codec.h>
#include <platform/messagebox.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>

#include <string>
#include <vector>

namespace {

using yv::lexdisc::CMainFrame;

// Keys of about 85 hits (one syllable) and of two or three (two syllables).
const std::vector<std::string> kKeys = {"ka", "si", "tu", "ne", "ho", "か", "さ", "kaka", "sisi", "なに"};

// Answers every message with its default button and shows nothing.
struct SilentPresenter final : yv::msgbox::Presenter {
    int show(std::uint64_t, unsigned style, std::string_view, std::string_view) override
    {
        return yv::msgbox::defaultAnswer(style);
    }
};

CMainFrame* g_frame = nullptr;

CMainFrame& frame()
{
    return *g_frame;
}

// Enter in the key entry: the search runs from the posted message.
void enterKey(CMainFrame& f, const std::string& key)
{
    f.keyEntry().setCurrentText(QString::fromStdString(key));
    f.searchCommand();
    QApplication::processEvents();
}

void searchInReader(benchmark::State& state)
{
    CMainFrame& f = frame();
    yv::book::BookShelf& shelf = f.shelf();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string key = yv::codec::utf8ToCp932(kKeys[i++ % kKeys.size()]);
        const yv::book::BookShelf::TextFileHold hold(shelf);
        shelf.Search(key, yv::book::SearchMethod::Forward);
        benchmark::DoNotOptimize(shelf.ReadHeadings(shelf.hits().hits()));
    }
}
BENCHMARK(searchInReader)->Name("KeyToHeadings/reader")->Unit(benchmark::kMillisecond);

void keyToHitListPainted(benchmark::State& state)
{
    CMainFrame& f = frame();
    std::size_t i = 0;
    for (auto _ : state) {
        enterKey(f, kKeys[i++ % kKeys.size()]);
        f.hitList().viewport()->repaint();
    }
}
BENCHMARK(keyToHitListPainted)->Name("KeyToHitListPainted/window")->Unit(benchmark::kMillisecond);

void hitToEntryPainted(benchmark::State& state)
{
    CMainFrame& f = frame();
    enterKey(f, "ka");
    const int rows = f.hitList().count();
    if (rows == 0) {
        state.SkipWithError("no hits");
        return;
    }
    int row = 0;
    for (auto _ : state) {
        f.showHit(row++ % rows);
        f.display().viewport()->repaint();
    }
}
BENCHMARK(hitToEntryPainted)->Name("HitToEntryPainted/window")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    SilentPresenter presenter;
    yv::msgbox::setPresenter(&presenter);
    {
        CMainFrame window(std::filesystem::path(YV_BENCH_BOOK_DIR) / "catalogs");
        window.resize(800, 500);
        window.show();
        QApplication::processEvents();
        g_frame = &window;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    yv::msgbox::setPresenter(nullptr);
    return 0;
}
