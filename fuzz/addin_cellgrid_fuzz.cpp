// Fuzzes the add-in's hand-over of spreadsheet cells: any bytes parse or are refused, a parsed
// grid is rectangular and within the cell limit, and formatting it parses back to the same grid.
#include <addincore.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto grid = yv::addin::parseCellGrid(bytes);
    if (!grid)
        return 0;
    std::size_t cells = 0;
    for (const auto& row : *grid) {
        if (row.size() != grid->front().size())
            std::abort();
        cells += row.size();
    }
    if (cells > yv::addin::kMaxCells)
        std::abort();
    const auto again = yv::addin::parseCellGrid(yv::addin::formatCellGrid(*grid));
    if (!again || *again != *grid)
        std::abort();
    (void)yv::addin::gridClipboardText(*grid);
    (void)yv::addin::clipboardTextOfTranslation(bytes);
    (void)yv::addin::clipboardTextOfFile(bytes);
    (void)yv::addin::readFileJobAnswer(bytes);
    return 0;
}
