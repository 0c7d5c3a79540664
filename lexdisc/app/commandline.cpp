// The viewer's command line for users and tests.
#include "commandline.h"

#include "bookhost.h"

#include <platform/codec.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace yv::lexdisc {

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitError = 2;

constexpr std::string_view kUsage =
    "usage: lexdisc [--catalog PATH] [--book N] --search KEY [--backward] [--text] [--limit N]\n"
    "       lexdisc [--catalog PATH] [--book N] --menu | --copyright | --list\n"
    "       --verbose also prints the reader's diagnostic lines\n"
    "       lexdisc [--catalog PATH] opens the viewer's window\n"
    "Without --catalog the \"CATALOG\" setting, else the mounted file systems, are searched for books.\n"
    "A hit prints as BLOCK:OFFSET, TAB, the heading position or -, TAB, the heading.\n";

struct Options {
    std::string catalog;
    std::size_t book = 1;
    std::optional<std::string> key;
    bool backward = false;
    bool text = false;
    std::optional<std::size_t> limit;
    bool menu = false;
    bool copyright = false;
    bool list = false;
    bool verbose = false;
};

std::optional<std::size_t> parseCount(std::string_view s)
{
    std::size_t n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return n;
}

std::optional<Options> parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string_view(argv[++i]);
        };
        if (arg == "--catalog") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.catalog = *v;
        } else if (arg == "--book") {
            const auto v = value();
            const auto n = v ? parseCount(*v) : std::nullopt;
            if (!n || *n == 0)
                return std::nullopt;
            o.book = *n;
        } else if (arg == "--search") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.key = std::string(*v);
        } else if (arg == "--limit") {
            const auto v = value();
            o.limit = v ? parseCount(*v) : std::nullopt;
            if (!o.limit)
                return std::nullopt;
        } else if (arg == "--backward") {
            o.backward = true;
        } else if (arg == "--text") {
            o.text = true;
        } else if (arg == "--menu") {
            o.menu = true;
        } else if (arg == "--copyright") {
            o.copyright = true;
        } else if (arg == "--list") {
            o.list = true;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else {
            return std::nullopt;
        }
    }
    if (int(o.key.has_value()) + int(o.menu) + int(o.copyright) + int(o.list) != 1)
        return std::nullopt;
    return o;
}

std::string position(const book::TextPosition& p)
{
    return std::to_string(p.block) + ":" + std::to_string(p.offset);
}

// UTF-8 text of cells; external characters as <gaiji:hXXXX> (half width) or <gaiji:zXXXX>.
std::string cellsToUtf8(const std::vector<book::DisplayCell>& cells)
{
    std::string out;
    std::string run;
    auto flush = [&] {
        out += codec::cp932ToUtf8(run);
        run.clear();
    };
    for (const book::DisplayCell& cell : cells) {
        if (cell.isExternal()) {
            flush();
            char mark[16];
            std::snprintf(mark, sizeof mark, "<gaiji:%c%04X>", (cell.flags & book::CellFlag::NarrowGlyph) ? 'h' : 'z',
                          static_cast<unsigned>(cell.gaijiCode));
            out += mark;
        } else if (cell.isLineBreak()) {
            flush();
            out += '\n';
            out.append(cell.indent, ' ');
        } else {
            run.append(cell.text());
        }
    }
    flush();
    return out;
}

void printEntry(const book::DisplayModel& model)
{
    std::string text(model.firstIndent, ' ');
    text += cellsToUtf8(model.cells);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n'))
        text.pop_back();
    std::cout << text << "\n\n";
}

int showSpecial(book::BookShelf& shelf, std::optional<book::TextPosition> at)
{
    if (!at)
        return kExitNotFound;
    book::DisplayModel model;
    if (!shelf.ReadEntry(*at, model))
        return kExitError;
    printEntry(model);
    return kExitFound;
}

int listBooks(const book::BookShelf& shelf)
{
    for (std::size_t i = 0; i < shelf.books().size(); ++i) {
        const book::BookRecord& b = shelf.books()[i];
        std::cout << (i + 1) << '\t' << b.subbookDirectory.string() << '\t' << codec::cp932ToUtf8(b.title)
                  << (shelf.entryOf(b).selectable() ? "" : "\t(not selectable)") << '\n';
    }
    return kExitFound;
}

int search(book::BookShelf& shelf, book::BookPrompter& prompter, const Options& o)
{
    if (!shelf.CheckCatalog())
        return kExitError;
    // One command: the text file stays open from the search to the last entry printed.
    const book::BookShelf::TextFileHold command(shelf);
    const std::string key = codec::utf8ToCp932(*o.key);
    const auto outcome = shelf.Search(key, o.backward ? book::SearchMethod::Backward : book::SearchMethod::Forward);
    if (outcome == book::SearchOutcome::ReadError)
        return kExitError;
    if (outcome != book::SearchOutcome::Found)
        return kExitNotFound;
    std::size_t printed = 0;
    for (const book::HitRecord& hit : shelf.hits().hits()) {
        if (o.limit && printed == *o.limit)
            break;
        const book::HeadingResult heading = shelf.ReadHeading(hit);
        if (heading.error == book::kHeadingFileError) {
            prompter.report(book::BookMessage::ResultRead, book::messageIcon(book::BookMessage::ResultRead));
            return kExitError;
        }
        if (heading.error == book::kHeadingEmpty)
            continue;  // the hit list leaves out hits without a heading
        std::cout << position(hit.text) << '\t' << (hit.hasHeading ? position(hit.heading) : "-") << '\t'
                  << cellsToUtf8(heading.cells) << '\n';
        ++printed;
        if (o.text) {
            book::DisplayModel model;
            if (!shelf.ReadEntry(hit.text, model))
                return kExitError;
            printEntry(model);
        }
    }
    return printed > 0 ? kExitFound : kExitNotFound;
}

} // namespace

std::optional<std::filesystem::path> windowOptions(int argc, char** argv)
{
    if (argc == 1)
        return std::filesystem::path();
    if (argc == 3 && std::string_view(argv[1]) == "--catalog")
        return std::filesystem::path(argv[2]);
    return std::nullopt;
}

int runCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return kExitError;
    }
    MessageBoxPrompter prompter(0, options->verbose);
    book::BookShelf shelf(prompter);
    // A folder stands for the disc (or copy of one) that holds the catalog file.
    std::error_code ec;
    const bool loaded = options->catalog.empty() ? LoadBookList(shelf)
                        : std::filesystem::is_directory(options->catalog, ec)
                            ? shelf.LoadBookList({}, {std::filesystem::path(options->catalog)})
                            : shelf.LoadBookList(options->catalog, {});
    if (!loaded) {
        prompter.report(book::BookMessage::NoBooks, book::messageIcon(book::BookMessage::NoBooks));
        return kExitError;
    }
    if (options->list)
        return listBooks(shelf);
    if (options->book > shelf.books().size()) {
        std::cerr << "lexdisc: there are " << shelf.books().size() << " books\n";
        return kExitError;
    }
    const std::size_t index = options->book - 1;
    if (!shelf.entryOf(shelf.books()[index]).selectable()) {
        std::cerr << "lexdisc: book " << options->book << " cannot be selected\n";
        return kExitError;
    }
    if (!shelf.SelectBook(index))
        return kExitError;
    if (options->menu)
        return showSpecial(shelf, shelf.menuPosition());
    if (options->copyright)
        return showSpecial(shelf, shelf.copyrightPosition());
    return search(shelf, prompter, *options);
}

} // namespace yv::lexdisc
