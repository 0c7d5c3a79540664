// The command line of the example box: search, add a document, rebuild the indexes.
#include "commandline.h"

#include "commands.h"

#include <platform/codec.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace yv::samplebox {

namespace es = examplestore;

namespace {

constexpr const char* kUsage = R"(sample - searches and maintains the Yorvane5 example sentences.

  sample --search KEY [--no-mark] [--data DIR]
  sample --add FILE --folder N [--data DIR]
  sample --reindex [--data DIR]

  --search   prints the examples that hold KEY (UTF-8), the key marked 【like this】 unless
             --no-mark is given, then the line "[examples]文 / [documents]文書ヒット"
  --add      adds the text file FILE (UTF-8, Shift_JIS, EUC-JP, ISO-2022-JP or UTF-16; the
             first line is the title, the second line empty) to the folder numbered N (fdNNN)
  --reindex  rebuilds Search.idx and User.idx from the documents
  --data     the example data directory (default: the setting 例文\Path)

  Exit status: 0 on success, 1 on failure, 2 when a search stopped (too many hits, or a
  document of the index is gone: run --reindex).
)";

struct Options {
    std::optional<std::string> search;
    std::optional<std::string> add;
    std::optional<int> folder;
    std::optional<std::string> data;
    bool reindex = false;
    bool mark = true;
};

std::optional<Options> parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--search" && hasValue) {
            options.search = argv[++i];
        } else if (arg == "--add" && hasValue) {
            options.add = argv[++i];
        } else if (arg == "--folder" && hasValue) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 0 || n > es::kMaxFolderNumber)
                return std::nullopt;
            options.folder = static_cast<int>(n);
        } else if (arg == "--data" && hasValue) {
            options.data = argv[++i];
        } else if (arg == "--no-mark") {
            options.mark = false;
        } else if (arg == "--reindex") {
            options.reindex = true;
        } else {
            return std::nullopt;
        }
    }
    const int commands = (options.search ? 1 : 0) + (options.add ? 1 : 0) + (options.reindex ? 1 : 0);
    if (commands != 1 || options.add.has_value() != options.folder.has_value())
        return std::nullopt;
    return options;
}

std::string terminalText(std::string_view cp932)
{
    std::string text = codec::cp932ToUtf8(cp932);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out.push_back(text[i]);
    }
    return out;
}

int search(es::SampleStore& store, const Options& options)
{
    SampleCommands commands(store);
    const es::SearchResult result = commands.search(*options.search, options.mark);
    switch (result.status) {
    case es::SearchStatus::NoIndex:
        std::cerr << "sample: cannot open " << es::kShippedIndexName << " in " << store.dataDir().string() << '\n';
        return 1;
    case es::SearchStatus::DocumentMissing:
        std::cerr << "sample: a document named in the index is missing; run sample --reindex\n";
        return 2;
    case es::SearchStatus::TooManyHits:
    case es::SearchStatus::Stopped:
        return 2;
    case es::SearchStatus::Complete:
        break;
    }
    std::cout << terminalText(result.text) << hitCountsText(result) << '\n';
    return 0;
}

int add(es::SampleStore& store, const Options& options)
{
    const es::NodeId folder = store.tree().findByNumber(*options.folder);
    if (folder == es::kNoNode) {
        std::cerr << "sample: no folder numbered " << *options.folder << '\n';
        return 1;
    }
    SampleCommands commands(store);
    const auto added = commands.addFiles(folder, {std::filesystem::path(*options.add)});
    if (added.empty())
        return 1;
    std::cout << store.documentPath(added.front().document).string() << '\n';
    return 0;
}

int reindex(const es::SampleStore& store)
{
    bool ok = true;
    for (const auto kind : {es::IndexKind::Shipped, es::IndexKind::User}) {
        if (!store.rebuildIndex(kind)) {
            std::cerr << "sample: could not rebuild " << es::indexFileName(kind) << '\n';
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

} // namespace

int runCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    const auto options = parse(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 1;
    }
    std::filesystem::path dataDir = options->data ? std::filesystem::path(*options->data) : configuredDataDir();
    // Before the first-run set-up has filled the user's folder, a search reads the machine's examples.
    if (!options->data && options->search && !isSetUp(dataDir)) {
        const std::filesystem::path machine = machineDataDir();
        if (!isSetUp(machine)) {
            std::cerr << "sample: no example folder is set up (set 例文\\Path, or give --data DIR)\n";
            return 1;
        }
        if (!dataDir.empty())
            std::cerr << "sample: " << dataDir.string() << " is not set up yet; searching the machine's examples in "
                      << machine.string() << '\n';
        dataDir = machine;
    }
    std::error_code ec;
    if (dataDir.empty() || !std::filesystem::is_directory(dataDir, ec)) {
        std::cerr << "sample: no example folder is set up (set 例文\\Path, or give --data DIR)\n";
        return 1;
    }
    es::SampleStore store(dataDir);
    if (options->search)
        return search(store, *options);
    if (options->add)
        return add(store, *options);
    return reindex(store);
}

} // namespace yv::samplebox
