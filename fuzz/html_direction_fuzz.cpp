// Fuzzes direction detection: any bytes give -1, 1 or 2 as HTML and 1 or 2 as a text file,
// the same from memory and file.
#include <etccore/direction.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// One scratch file per fuzzing process, removed when it ends.
struct ScratchFile {
    std::string path = "/tmp/yv5-html-fuzz-" + std::to_string(::getpid()) + ".html";
    ~ScratchFile() { std::remove(path.c_str()); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int fromMemory = yv::etc::htmlDirection(bytes);
    if (fromMemory != -1 && fromMemory != 1 && fromMemory != 2)
        std::abort();

    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        if (yv::etc::htmlFileDirection(path) != fromMemory)
            std::abort();
        const int text = yv::etc::textBytesDirection(bytes);
        if ((text != 1 && text != 2) || yv::etc::textFileDirection(path) != text)
            std::abort();
    }
    (void)yv::etc::textDirection(bytes);
    return 0;
}
