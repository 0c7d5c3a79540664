// Example search on the 1,000 generated documents: in a living window (both indexes kept open
// by a search session), beside the one-shot search that opens and reads the indexes for every
// key, and beside the command line `sample --search` as a process. Every search presents its
// hits as the window does (result text with marks, rows, counts).
#include "samplecorpus.h"

#include <examplestore/search.h>
#include <examplestore/searchsession.h>
#include <examplestore/store.h>

#include <platform/codec.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace es = yv::examplestore;
namespace bench = yv::exampleindex::bench;

struct Key {
    const char* kind;
    std::string sjis;
};

struct Store {
    fs::path dir;
    std::vector<Key> keys;
    ~Store()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

const Store& store()
{
    static const Store s = [] {
        Store made;
        std::string pattern = (fs::temp_directory_path() / "yv5-bench-samplebox-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        made.dir = pattern;
        const bench::GeneratedDocuments documents = bench::writeDocuments(made.dir / "fd001");
        std::ofstream(made.dir / "base.dat", std::ios::binary)
            << yv::codec::utf8ToCp932("(\"例文\"=fd001\n    (\"ごみ箱\"=fd000)\n)\n");
        if (!es::SampleStore(made.dir).rebuildIndex(es::IndexKind::Shipped))
            std::abort();
        const std::vector<std::string> words = bench::englishWords();
        // Words fall in frequency with their rank: the last is rare, one a tenth down the list
        // of 5,000 is of medium frequency, the one taken from document 500 is common.
        made.keys = {
            {"rare word", words.back()},
            {"medium word", words.at(words.size() / 10)},
            {"common word", documents.en1},
            {"two words", documents.en2},
            {"4 ja chars", documents.ja4},
            {"2 ja chars", documents.ja2},
            {"1 ja char", documents.ja1},
            {"pair ja", yv::codec::utf8ToCp932("ます")},
            {"pair en", "every day"},
        };
        return made;
    }();
    return s;
}

void report(benchmark::State& state, const Key& key, const es::SearchResult& result)
{
    state.SetLabel(std::string(key.kind) + ": " + yv::codec::cp932ToUtf8(key.sjis)
                   + (result.status == es::SearchStatus::TooManyHits ? " (result text full)" : ""));
    state.counters["examples"] = result.exampleCount;
    state.counters["documents"] = result.documentCount;
}

// The window's search: the session and its indexes stay open from one search to the next.
void BM_WarmWindowSearch(benchmark::State& state)
{
    const Store& s = store();
    const Key& key = s.keys.at(static_cast<std::size_t>(state.range(0)));
    es::SearchSession session(s.dir);
    const es::FolderNames folders = es::folderNamesOf(es::SampleStore(s.dir).tree());
    es::SearchResult result = es::searchExamples(session, folders, key.sjis, true);  // warm up
    for (auto _ : state) {
        result = es::searchExamples(session, folders, key.sjis, true);
        benchmark::DoNotOptimize(result.text.data());
    }
    report(state, key, result);
}

// What each command-line search does inside the process: open both indexes, search, close.
void BM_OneShotSearch(benchmark::State& state)
{
    const Store& s = store();
    const Key& key = s.keys.at(static_cast<std::size_t>(state.range(0)));
    const es::SampleStore sampleStore(s.dir);
    es::SearchResult result;
    for (auto _ : state) {
        result = es::searchExamples(sampleStore, key.sjis, true);
        benchmark::DoNotOptimize(result.text.data());
    }
    report(state, key, result);
}

// The command line as a user runs it: a process per search, output thrown away.
void BM_CommandLine(benchmark::State& state)
{
    const Store& s = store();
    const Key& key = s.keys.at(static_cast<std::size_t>(state.range(0)));
    std::vector<std::string> args = {YV_SAMPLE_PROGRAM, "--search", yv::codec::cp932ToUtf8(key.sjis), "--data",
                                     s.dir.string()};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("sample cannot be started");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetLabel(std::string(key.kind) + ": " + args[2]);
}

void keyArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"key"})->DenseRange(0, 8)->Unit(benchmark::kMicrosecond)->UseRealTime();
}

} // namespace

// key: 0 rare word, 1 medium word, 2 common word, 3 two words, 4 four Japanese characters,
// 5 two, 6 one, 7 the pair ます, 8 the pair "every day".
BENCHMARK(BM_WarmWindowSearch)->Apply(keyArguments);
BENCHMARK(BM_OneShotSearch)->Apply(keyArguments);
BENCHMARK(BM_CommandLine)->Apply(keyArguments)->Iterations(10);

BENCHMARK_MAIN();
