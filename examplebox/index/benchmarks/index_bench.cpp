// Index build time and search latency of the example index over 1,000 generated documents
// (100,000 example lines), side by side with SQLite FTS5 (trigram tokenizer) over the same
// lines and with grep over the document files.
//
// FTS5's trigram index cannot answer keys of one or two characters (a MATCH or LIKE with them
// finds nothing): for those the same table is scanned with instr(). FTS5 counts matching lines and
// grep counts matching lines per file; the index counts hits (occurrences), so the counters
// differ where a line holds the key twice.
#include "samplecorpus.h"

#include <exampleindex/index.h>

#include <platform/codec.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace ix = yv::exampleindex;
namespace bench = yv::exampleindex::bench;
using bench::kDocuments;

struct TemporaryDirectory {
    fs::path dir;
    ~TemporaryDirectory()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

struct Corpus {
    fs::path dir;
    fs::path documents;
    fs::path index;
    fs::path fts;
    std::vector<std::string> linesUtf8;
    std::string ja1, ja2, ja4, en1, en2;  // keys, Shift_JIS (the same bytes as ASCII for English)
};

void buildIndex(const Corpus& c, const fs::path& path)
{
    fs::remove(path);
    auto opened = ix::OpenIndex(path, ix::Access::ReadWrite);
    for (int d = 1; d <= kDocuments; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "%08d.sam", d);
        ix::AddDocument(*opened.handle, c.documents / name);
    }
    ix::CloseIndex(std::move(opened.handle));
}

void buildFts(const Corpus& c, const fs::path& path)
{
    fs::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; CREATE VIRTUAL TABLE lines USING fts5(text, tokenize='trigram');"
                     "BEGIN;", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO lines(text) VALUES(?)", -1, &insert, nullptr);
    for (const auto& line : c.linesUtf8) {
        sqlite3_bind_text(insert, 1, line.data(), int(line.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

const Corpus& corpus()
{
    static const Corpus c = [] {
        Corpus made;
        std::string pattern = (fs::temp_directory_path() / "yv5-bench-examples-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        made.dir = pattern;
        made.documents = made.dir / "fd001";
        made.index = made.dir / "Search.idx";
        made.fts = made.dir / "lines.fts5";
        const bench::GeneratedDocuments documents = bench::writeDocuments(made.documents);
        made.linesUtf8 = documents.linesUtf8;
        made.ja1 = documents.ja1;
        made.ja2 = documents.ja2;
        made.ja4 = documents.ja4;
        made.en1 = documents.en1;
        made.en2 = documents.en2;
        buildIndex(made, made.index);
        buildFts(made, made.fts);
        return made;
    }();
    static const TemporaryDirectory removeAtExit{c.dir};
    return c;
}

const std::string& keyOf(const Corpus& c, int which)
{
    const std::string* keys[] = {&c.ja1, &c.ja2, &c.ja4, &c.en1, &c.en2};
    return *keys[which];
}

void BM_IndexBuild(benchmark::State& state)
{
    const Corpus& c = corpus();
    for (auto _ : state)
        buildIndex(c, c.dir / "build.idx");
    state.counters["lines"] = double(c.linesUtf8.size());
}

void BM_Fts5Build(benchmark::State& state)
{
    const Corpus& c = corpus();
    for (auto _ : state)
        buildFts(c, c.dir / "build.fts5");
    state.counters["lines"] = double(c.linesUtf8.size());
}

// One search as the box runs it: open the index, walk every hit, close.
void BM_IndexSearch(benchmark::State& state)
{
    const Corpus& c = corpus();
    const std::string& key = keyOf(c, int(state.range(0)));
    std::size_t hits = 0;
    for (auto _ : state) {
        auto opened = ix::OpenIndex(c.index, ix::Access::Read);
        hits = 0;
        for (auto hit = ix::FirstHit(*opened.handle, key); hit; hit = ix::NextHit(*opened.handle))
            ++hits;
    }
    state.SetLabel(yv::codec::cp932ToUtf8(key));
    state.counters["hits"] = double(hits);
}

void BM_Fts5Search(benchmark::State& state)
{
    const Corpus& c = corpus();
    const std::string key = yv::codec::cp932ToUtf8(keyOf(c, int(state.range(0))));
    // Trigrams need three characters; shorter keys fall back to a scan.
    const bool scan = state.range(0) < 2;
    const std::string sql = scan ? "SELECT count(*) FROM lines WHERE instr(text, ?) > 0"
                                 : "SELECT count(*) FROM lines WHERE lines MATCH ?";
    const std::string argument = scan ? key : "\"" + key + "\"";
    std::int64_t rows = 0;
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(c.fts.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr);
        sqlite3_bind_text(query, 1, argument.data(), int(argument.size()), SQLITE_STATIC);
        if (sqlite3_step(query) == SQLITE_ROW)
            rows = sqlite3_column_int64(query, 0);
        sqlite3_finalize(query);
        sqlite3_close(db);
    }
    state.SetLabel(key + (scan ? " (instr scan)" : " (trigram MATCH)"));
    state.counters["lines"] = double(rows);
}

void BM_GrepSearch(benchmark::State& state)
{
    const Corpus& c = corpus();
    const std::string& key = keyOf(c, int(state.range(0)));
    const bool english = state.range(0) >= 3;
    std::vector<std::string> args = {"grep", "-r", "-c", "-F"};
    if (english) {
        args.push_back("-i");
        args.push_back("-w");
    }
    args.insert(args.end(), {"--", key, c.documents.string()});
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string lcAll = "LC_ALL=C";
    char* env[] = {lcAll.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), env) != 0) {
            state.SkipWithError("grep cannot be started");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetLabel(yv::codec::cp932ToUtf8(key));
}

void keyArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"key"})->DenseRange(0, 4)->Unit(benchmark::kMicrosecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Fts5Build)->Unit(benchmark::kMillisecond)->Iterations(1);
// key: 0 = 1 Japanese character, 1 = 2 characters, 2 = 4 characters, 3 = 1 English word, 4 = 2 words.
BENCHMARK(BM_IndexSearch)->Apply(keyArguments);
BENCHMARK(BM_Fts5Search)->Apply(keyArguments);
BENCHMARK(BM_GrepSearch)->Apply(keyArguments);

BENCHMARK_MAIN();
