// The scratch index the example-index fuzz targets share: a small valid index to damage, the
// file each input is written to, and how an input becomes that file.
#pragma once

#include "fuzz_scratch.h"

#include <exampleindex/index.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace yv::fuzzing {

namespace fs = std::filesystem;
namespace ix = yv::exampleindex;

constexpr int kMaxHitsPerKey = 20000;

struct Workspace {
    fs::path dir;
    fs::path index;
    fs::path document;
    std::string validIndex;  // a small index to damage
};

inline void write(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline const Workspace& workspace()
{
    static const Workspace w = [] {
        Workspace made;
        std::string pattern = (scratchRoot() / "yv5-fuzz-index-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        made.dir = pattern;
        made.index = made.dir / "fuzz.idx";
        made.document = made.dir / "00000009.sam";
        // Shift_JIS: a title, an English example and its Japanese line ("日本語の例文です。").
        write(made.document, "Title\r\n\r\nThis is an example.\r\n\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x97\xe1\x95\xb6\x82\xc5\x82\xb7\x81\x42\r\n");
        const fs::path seed = made.dir / "seed.idx";
        auto opened = ix::OpenIndex(seed, ix::Access::ReadWrite);
        if (!opened.handle)
            std::abort();
        ix::AddDocument(*opened.handle, made.document);
        ix::AddDocument(*opened.handle, made.document);
        ix::RemoveDocument(*opened.handle, 0);
        ix::CloseIndex(std::move(opened.handle));
        std::ifstream in(seed, std::ios::binary);
        made.validIndex.assign(std::istreambuf_iterator<char>(in), {});
        return made;
    }();
    static const ScratchDirectory removeAtExit{w.dir};
    return w;
}

inline void search(ix::IndexHandle& handle, std::string_view key)
{
    int hits = 0;
    for (auto hit = ix::FirstHit(handle, key); hit && hits < kMaxHitsPerKey; hit = ix::NextHit(handle))
        ++hits;
}

// The first byte chooses: bit 0 clear, the rest is a whole index file; set, the rest is a list
// of patches (4-byte offset, 1-byte length, bytes) applied to the valid index. The file is
// written to the workspace's index path; the key to search for comes back.
inline std::string_view writeIndexFromInput(const Workspace& w, const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    static std::string file;  // kept: a fresh half-megabyte copy per input costs more than the run
    if ((data[0] & 1) == 0) {
        file = input;
    } else {
        file = w.validIndex;
        std::string_view patches = input;
        while (patches.size() >= 5) {
            const auto* p = reinterpret_cast<const unsigned char*>(patches.data());
            const std::size_t offset = ((std::size_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]) % file.size();
            const std::size_t length = std::min<std::size_t>(p[4], patches.size() - 5);
            file.replace(offset, std::min(length, file.size() - offset), patches.substr(5, length));
            patches.remove_prefix(5 + length);
        }
    }
    write(w.index, file);
    return input.substr(0, 16);
}

} // namespace yv::fuzzing
