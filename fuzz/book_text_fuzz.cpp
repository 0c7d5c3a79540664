// Fuzzes the text decoder: entries and headings (both ways of finding one) over any bytes.
#include <book/textdecoder.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const yv::book::Bytes file(data, size);
    yv::book::MemoryBlockSource source(file);
    const yv::book::GaijiResolver fonts = [](std::uint16_t code) {
        return yv::book::GaijiAvailability{(code & 1) != 0, (code & 2) != 0};
    };
    yv::book::DisplayModel model;
    yv::book::decodeEntry(source, {1, 0}, fonts, model);
    for (const auto& r : model.references) {
        if (r.cells.last >= model.cells.size() || r.cells.first > r.cells.last)
            std::abort();
    }
    yv::book::HitRecord hit;
    hit.text = {1, 0};
    const auto keyword = yv::book::decodeHeading(source, hit, fonts);
    hit.hasHeading = true;
    hit.heading = {1, 2};
    const auto heading = yv::book::decodeHeading(source, hit, fonts);
    if (yv::book::cellsToSjis(keyword.cells).size() > yv::book::kMaxHeadingBytes
        || yv::book::cellsToSjis(heading.cells).size() > yv::book::kMaxHeadingBytes)
        std::abort();
    return 0;
}
