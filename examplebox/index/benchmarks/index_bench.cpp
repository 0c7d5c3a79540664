// Index build time and search latency of the example index over 1,000 generated documents
// (100,000 example lines), side by side with SQLite FTS5 (trigram tokenizer) over the same
// lines and with grep over the document files.
//
// FTS5's trigram index cannot answer keys of one or two characters (a MATCH or LIKE with them
// finds nothing): for those the same table is scanned with instr(). FTS5 counts matching lines and
// grep counts matching lines per file; the index counts hits (occurrences), so the counters
// differ where a line holds the key twice.
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

constexpr int kDocuments = 1000;
constexpr int kPairsPerDocument = 50;  // an English line and its Japanese line each

// Words and characters drawn with falling frequency (rank r weighs 1 / (r + 1)).
class ZipfPicker {
public:
    explicit ZipfPicker(std::size_t size)
    {
        std::vector<double> weights(size);
        for (std::size_t r = 0; r < size; ++r)
            weights[r] = 1.0 / double(r + 1);
        m_distribution = std::discrete_distribution<std::size_t>(weights.begin(), weights.end());
    }
    std::size_t operator()(std::mt19937& random) { return m_distribution(random); }

private:
    std::discrete_distribution<std::size_t> m_distribution;
};

std::vector<std::string> englishWords()
{
    std::vector<std::string> words;
    const char* common =
        "the of and to a in is it you that he was for on are with as I his they be at one have this from "
        "or had by hot word but what some we can out other were all there when up use your how said an each "
        "she which do their time if will way about many then them write would like so these her long make "
        "thing see him two has look more day could go come did number sound no most people my over know "
        "water than call first who may down side been now find any new work part take get place made live "
        "where after back little only round man year came show every good me give our under name very "
        "through just form sentence great think say help low line differ turn cause much mean before move "
        "right boy old too same tell does set three want air well also play small end put home read hand "
        "port large spell add even land here must big high such follow act why ask men change went light "
        "kind off need house picture try us again animal point mother world near build self earth father "
        "meeting report order price delivery schedule customer contract invoice project office train hotel "
        "station ticket airport weather morning evening computer network server database file program";
    std::string word;
    for (const char* p = common;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
            if (*p == '\0')
                break;
        } else {
            word += *p;
        }
    }
    // A long tail of rarer made-up words.
    const char* syllables[] = {"ka", "ro", "mi", "te", "su", "na", "lo", "ve", "zu", "pa", "qi", "do", "ri"};
    std::mt19937 random(7);
    while (words.size() < 5000) {
        std::string made;
        for (int n = 2 + int(random() % 3); n > 0; --n)
            made += syllables[random() % 13];
        words.push_back(made);
    }
    return words;
}

// Shift_JIS characters: hiragana first (the most frequent), then level-1 kanji, then katakana.
std::vector<std::string> japaneseCharacters()
{
    std::vector<std::string> characters;
    auto add = [&](unsigned code) { characters.push_back({char(code >> 8), char(code & 0xFF)}); };
    for (unsigned c = 0x829F; c <= 0x82F1; ++c)
        add(c);
    for (unsigned lead = 0x88; lead <= 0x93 && characters.size() < 1600; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F && !(lead == 0x88 && trail < 0x9F))
                add((lead << 8) | trail);
        }
    }
    for (unsigned c = 0x8340; c <= 0x8396; ++c) {
        if (c != 0x837F)
            add(c);
    }
    return characters;
}

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
        fs::create_directories(made.documents);
        const auto words = englishWords();
        const auto characters = japaneseCharacters();
        ZipfPicker pickWord(words.size());
        ZipfPicker pickCharacter(characters.size());
        std::mt19937 random(2024);
        for (int d = 1; d <= kDocuments; ++d) {
            std::string text = "Document " + std::to_string(d) + "\r\n\r\n";
            for (int p = 0; p < kPairsPerDocument; ++p) {
                std::string english;
                for (int n = 6 + int(random() % 9); n > 0; --n) {
                    english += words[pickWord(random)];
                    english += n == 1 ? "." : random() % 7 == 0 ? ", " : " ";
                }
                english[0] = char(std::toupper(static_cast<unsigned char>(english[0])));
                std::string japanese;
                for (int n = 15 + int(random() % 21); n > 0; --n)
                    japanese += n == 1 ? "\x81\x42" : random() % 12 == 0 ? "\x81\x41" : characters[pickCharacter(random)];
                text += english + "\r\n" + japanese + "\r\n\r\n";
                made.linesUtf8.push_back(english);
                made.linesUtf8.push_back(yv::codec::cp932ToUtf8(japanese));
                if (d == 500 && p == 10) {
                    made.ja4 = japanese.substr(6, 8);
                    made.ja2 = made.ja4.substr(0, 4);
                    made.ja1 = made.ja4.substr(0, 2);
                }
                if (d == 500 && p == 12) {
                    const auto first = english.find(' ');
                    const auto second = english.find_first_of(" ,.", first + 1);
                    made.en1 = english.substr(first + 1, second - first - 1);
                    const auto third = english.find_first_of(" ,.", second + 1);
                    made.en2 = english[second] == ' ' ? english.substr(first + 1, third - first - 1) : made.en1;
                }
            }
            char name[32];
            std::snprintf(name, sizeof name, "%08d.sam", d);
            std::ofstream(made.documents / name, std::ios::binary) << text;
        }
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
