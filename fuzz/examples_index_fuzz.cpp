// Fuzzes the example index reader: damaged headers, counts and chains (loops included) must
// give an error or a working index, never a crash or an endless loop.
#include "examples_index_workspace.h"

using namespace yv::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Workspace& w = workspace();
    const std::string_view key = writeIndexFromInput(w, data, size);
    if (auto opened = ix::OpenIndex(w.index, ix::Access::Read); opened.handle) {
        for (int id = 0; id < opened.handle->documentSlots(); ++id)
            (void)opened.handle->documentPath(id);
        (void)ix::FindDocument(*opened.handle, "00000009.sam");
        search(*opened.handle, "\x97\xe1\x95\xb6");  // "例文"
        search(*opened.handle, "an example");
        search(*opened.handle, key);
    }
    return 0;
}
