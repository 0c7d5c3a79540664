// Fuzzes the reader of translated block files: any bytes give bounded blocks in every layout,
// and it always reaches the end of the file.
#include <docmorph/blockfile.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const auto layout : {yv::docmorph::Layout::Word, yv::docmorph::Layout::Slides, yv::docmorph::Layout::Cells}) {
        yv::docmorph::BlockReader reader(bytes, layout);
        std::size_t blocks = 0;
        while (auto block = reader.next()) {
            // Each block is at most the bound (as CP932; as UTF-8 up to three bytes a character).
            if (block->size() > 3 * yv::docmorph::kMaxBlockBytes)
                std::abort();
            if (++blocks > size + 1)
                std::abort();  // every block consumes at least one line
        }
    }
    (void)yv::docmorph::decodeEntities(bytes);
    return 0;
}
