// Builds the shipped example data from its UTF-8 sources: base.dat, the folder directories with
// Shift_JIS documents, and Search.idx.
//
//   sampledatabuilder SOURCE_DIR OUTPUT_DIR
//
// SOURCE_DIR holds base.txt (the folder tree in base.dat's syntax, UTF-8) and one directory
// fdNNN per folder with the documents as UTF-8 .txt files. Documents are numbered from 1 in
// folder order, then by file name.
#include <examplestore/store.h>

#include <exampleindex/sampletext.h>

#include <platform/atomicfile.h>
#include <platform/codec.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace es = yv::examplestore;
namespace codec = yv::codec;

bool fail(const std::string& message)
{
    std::cerr << "sampledatabuilder: " << message << '\n';
    return false;
}

std::string withCrLf(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\r')
            continue;
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// Examples are runs of non-empty lines after the title and its empty line.
int countExamples(std::string_view cp932)
{
    const auto lines = yv::exampleindex::splitSampleLines(cp932);
    int examples = 0;
    bool inExample = false;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const bool blank = yv::exampleindex::isBlankLine(lines[i]);
        if (!blank && !inExample)
            ++examples;
        inExample = !blank;
    }
    return examples;
}

bool clearOutput(const fs::path& out)
{
    std::error_code ec;
    fs::create_directories(out, ec);
    for (fs::directory_iterator it(out, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("fd") || name == es::kTreeFileName || name.ends_with(".idx")) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
            if (removeError)
                return fail("cannot clear " + it->path().string());
        }
    }
    return !ec || fail("cannot list " + out.string());
}

bool build(const fs::path& source, const fs::path& out)
{
    const auto treeText = yv::files::readWhole(source / "base.txt");
    if (!treeText)
        return fail("cannot read " + (source / "base.txt").string());
    const es::FolderTree tree = es::FolderTree::parse(codec::utf8ToCp932(*treeText));
    if (!clearOutput(out) || !yv::files::writeAtomically(out / es::kTreeFileName, tree.serialize()))
        return fail("cannot write " + (out / es::kTreeFileName).string());

    es::SampleStore store(out);
    std::vector<int> folders;
    for (int number = 0; number < tree.nextFreeNumber(); ++number) {
        if (tree.findByNumber(number) != es::kNoNode) {
            folders.push_back(number);
            fs::create_directories(store.folderDir(number));
        }
    }
    // Every source directory must be a folder of the tree, or its documents would be lost.
    std::error_code listError;
    for (fs::directory_iterator it(source, listError), end; !listError && it != end; it.increment(listError)) {
        const std::string name = it->path().filename().string();
        const bool known = std::any_of(folders.begin(), folders.end(),
                                       [&](int f) { return store.folderDir(f).filename() == name; });
        if (it->is_directory() && !known)
            return fail(it->path().string() + ": no folder of base.txt has this number");
    }
    int documentNumber = 0;
    int examples = 0;
    for (const int folder : folders) {
        const fs::path dir = source / store.folderDir(folder).filename();
        std::vector<fs::path> files;
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->path().extension() == ".txt")
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const auto utf8 = yv::files::readWhole(file);
            if (!utf8 || codec::detectEncoding(*utf8) != codec::TextEncoding::Utf8)
                return fail(file.string() + ": not UTF-8 text");
            const std::string text = withCrLf(*utf8);
            const std::string cp932 = codec::utf8ToCp932(text);
            if (codec::cp932ToUtf8(cp932) != text)
                return fail(file.string() + ": holds characters that Shift_JIS cannot keep");
            if (!es::documentTitle(cp932))
                return fail(file.string() + ": the second line must be empty");
            char name[32];
            std::snprintf(name, sizeof name, "%08d.sam", ++documentNumber);
            const es::DocumentRef document{folder, name};
            if (!yv::files::writeAtomically(store.documentPath(document), cp932))
                return fail("cannot write " + store.documentPath(document).string());
            examples += countExamples(cp932);
        }
    }
    if (!store.rebuildIndex(es::IndexKind::Shipped))
        return fail("cannot build " + store.indexPath(es::IndexKind::Shipped).string());
    std::cout << "Example data: " << documentNumber << " documents, " << examples << " examples in "
              << folders.size() << " folders\n";
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: sampledatabuilder SOURCE_DIR OUTPUT_DIR\n";
        return 1;
    }
    return build(argv[1], argv[2]) ? 0 : 1;
}
