// Forward searches and the headings of their hits, this reader beside the EB library.
#include <book/bookshelf.h>

#include "eboracle.h"

#include <platform/codec.h>

#include <benchmark/benchmark.h>


namespace {

using namespace yv::book;

struct QuietPrompter final : BookPrompter {
    void report(BookMessage, MessageIcon) override {}
    bool askKeepHits() override { return true; }
};

// Whole words, two-syllable prefixes and kana readings of the generated entries.
std::vector<std::string> benchKeys()
{
    std::vector<std::string> keys;
    const char* consonants[] = {"k", "s", "t", "n", "h", "m", "r"};
    const char* vowels[] = {"a", "i", "u", "e", "o"};
    for (const char* c : consonants) {
        for (const char* v : vowels) {
            keys.push_back(std::string(c) + v + "ka");
            keys.push_back(std::string(c) + v + "kakaka");
        }
    }
    for (const char* k : {"かき", "さし", "たち", "なに", "はひ", "まみ", "らり", "かかか", "ききか"})
        keys.emplace_back(k);
    return keys;
}

const std::filesystem::path kBook = YV_BENCH_BOOK_DIR;

void searchWithHeadings(benchmark::State& state)
{
    QuietPrompter prompter;
    BookShelf shelf(prompter);
    if (!shelf.LoadBookList(kBook / "catalogs", {}) || !shelf.SelectBook(0)) {
        state.SkipWithError("cannot open the book");
        return;
    }
    std::vector<std::string> keys;
    for (const std::string& k : benchKeys())
        keys.push_back(yv::codec::utf8ToCp932(k));
    std::size_t headings = 0;
    for (auto _ : state) {
        for (const std::string& key : keys) {
            // One search command: the search and the filling of the hit list.
            const BookShelf::TextFileHold command(shelf);
            shelf.Search(key, SearchMethod::Forward);
            // As the hit list is filled: every heading in one pass.
            const auto read = shelf.ReadHeadings(shelf.hits().hits());
            benchmark::DoNotOptimize(read.data());
            headings += read.size();
        }
    }
    state.counters["headings"] = benchmark::Counter(static_cast<double>(headings), benchmark::Counter::kIsRate);
}
BENCHMARK(searchWithHeadings)->Name("ForwardSearchWithHeadings/lexdisc")->Unit(benchmark::kMillisecond);

void searchWithHeadingsEb(benchmark::State& state)
{
    yv::book::testing::EbOracle eb(kBook);
    if (!eb.isOpen()) {
        state.SkipWithError("the EB library cannot open the book");
        return;
    }
    const std::vector<std::string> keys = benchKeys();
    std::size_t headings = 0;
    for (auto _ : state) {
        for (const std::string& key : keys) {
            for (const auto& hit : eb.search(key, false)) {
                benchmark::DoNotOptimize(eb.heading(hit.heading));
                ++headings;
            }
        }
    }
    state.counters["headings"] = benchmark::Counter(static_cast<double>(headings), benchmark::Counter::kIsRate);
}
BENCHMARK(searchWithHeadingsEb)->Name("ForwardSearchWithHeadings/eb-library")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
