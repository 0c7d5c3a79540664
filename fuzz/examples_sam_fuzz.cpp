// Fuzzes the reading of sample documents (.sam): the document test, the line, character and
// word rules, and indexing the text; every hit must point at a line and position that exist.
#include <examplestore/search.h>
#include <examplestore/store.h>

#include <exampleindex/index.h>
#include <exampleindex/sampletext.h>

#include "fuzz_scratch.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
namespace ix = yv::exampleindex;
using yv::fuzzing::scratchRoot;
using yv::fuzzing::ScratchDirectory;

const fs::path& workDir()
{
    static const fs::path dir = [] {
        std::string pattern = (scratchRoot() / "yv5-fuzz-sam-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    static const ScratchDirectory removeAtExit{dir};
    return dir;
}

void checkHits(ix::IndexHandle& handle, std::string_view key, const std::vector<std::string>& lines)
{
    int count = 0;
    for (auto hit = ix::FirstHit(handle, key); hit && count < 100000; hit = ix::NextHit(handle), ++count) {
        const auto line = static_cast<std::size_t>(ix::lineOf(*hit));
        if (ix::documentOf(*hit) != 0 || line >= lines.size() || static_cast<std::size_t>(ix::positionOf(*hit)) >= lines[line].size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)yv::examplestore::documentTitle(bytes);
    const auto lines = ix::splitSampleLines(bytes);
    std::string englishKey;
    for (const auto& line : lines) {
        if (!ix::isIndexedLine(line))
            continue;
        if (ix::isEnglishLine(line)) {
            const auto words = ix::splitEnglishWords(line);
            if (englishKey.empty() && words.size() >= 2)
                englishKey = std::string(words[0]) + " " + std::string(words[1]);
        }
        (void)ix::foldCase(line);
    }
    const std::string key = lines.empty() ? std::string() : lines.front().substr(0, 6);
    if (!lines.empty()) {
        const std::string marked = yv::examplestore::addMarks(lines.front(), key);
        (void)yv::examplestore::removeMarks(marked, key);
    }

    const fs::path document = workDir() / "00000001.sam";
    const fs::path index = workDir() / "fuzz.idx";
    std::ofstream(document, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(size));
    fs::remove(index);
    auto opened = ix::OpenIndex(index, ix::Access::ReadWrite);
    if (!opened.handle || ix::AddDocument(*opened.handle, document) != 0)
        std::abort();
    checkHits(*opened.handle, key, lines);
    checkHits(*opened.handle, englishKey, lines);
    // Dropped without writing back: the index file stays as created.
    return 0;
}
