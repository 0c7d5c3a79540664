// Fuzzes updating a damaged example index: removing and adding a document and writing the
// index back must give an error or an index that opens again, never a crash, an endless loop
// or a write into blocks that other items own.
#include "examples_index_workspace.h"

using namespace yv::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Workspace& w = workspace();
    const std::string_view key = writeIndexFromInput(w, data, size);
    if (auto opened = ix::OpenIndex(w.index, ix::Access::ReadWrite); opened.handle) {
        ix::RemoveDocument(*opened.handle, 0);
        ix::AddDocument(*opened.handle, w.document);
        search(*opened.handle, "This is");
        search(*opened.handle, key);
        ix::CloseIndex(std::move(opened.handle));
        // A completed write-back always leaves an index that opens.
        if (ix::OpenIndex(w.index, ix::Access::Read).error != ix::OpenError::None)
            std::abort();
    }
    return 0;
}
