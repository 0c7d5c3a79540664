// Fuzzes the example index reader and writer: damaged headers, counts and chains (loops
// included) must give an error or a working index, never a crash or an endless loop.
#include <exampleindex/index.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
namespace ix = yv::exampleindex;

// Memory-backed when the system has it: every run creates and syncs an index file.
fs::path scratchRoot()
{
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

// Removes the scratch directory when the fuzzer exits.
struct ScratchDirectory {
    fs::path dir;
    ~ScratchDirectory()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

constexpr int kMaxHitsPerKey = 20000;

struct Workspace {
    fs::path dir;
    fs::path index;
    fs::path document;
    std::string validIndex;  // a small index to damage
};

void write(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const Workspace& workspace()
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

void search(ix::IndexHandle& handle, std::string_view key)
{
    int hits = 0;
    for (auto hit = ix::FirstHit(handle, key); hit && hits < kMaxHitsPerKey; hit = ix::NextHit(handle))
        ++hits;
}

void exercise(const Workspace& w, std::string_view extraKey, bool writeBack)
{
    if (!writeBack) {
        if (auto opened = ix::OpenIndex(w.index, ix::Access::Read); opened.handle) {
            for (int id = 0; id < opened.handle->documentSlots(); ++id)
                (void)opened.handle->documentPath(id);
            (void)ix::FindDocument(*opened.handle, "00000009.sam");
            search(*opened.handle, "\x97\xe1\x95\xb6");  // "例文"
            search(*opened.handle, "an example");
            search(*opened.handle, extraKey);
        }
        return;
    }
    if (auto opened = ix::OpenIndex(w.index, ix::Access::ReadWrite); opened.handle) {
        ix::RemoveDocument(*opened.handle, 0);
        ix::AddDocument(*opened.handle, w.document);
        search(*opened.handle, "This is");
        search(*opened.handle, extraKey);
        ix::CloseIndex(std::move(opened.handle));
        // A completed write-back always leaves an index that opens.
        if (ix::OpenIndex(w.index, ix::Access::Read).error != ix::OpenError::None)
            std::abort();
    }
}

} // namespace

// The first byte chooses: bit 0 clear, the rest is a whole index file; set, the rest is a list
// of patches (4-byte offset, 1-byte length, bytes) applied to a valid index. Bit 1 chooses an
// update and a write-back instead of reading and searching.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Workspace& w = workspace();
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
    exercise(w, input.substr(0, 16), (data[0] & 2) != 0);
    return 0;
}
