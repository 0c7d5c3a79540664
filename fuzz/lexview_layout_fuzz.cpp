// Fuzzes the entry display's logic: any text stream decoded, laid out at a width the input
// chooses, its key highlighted, hit-tested and copied.
#include <book/textdecoder.h>
#include <lexview/entrylayout.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class FixedMetrics final : public yv::lexview::CellMetrics {
public:
    int width(const yv::book::DisplayCell& cell, yv::lexview::CellFont font) const override
    {
        return font == yv::lexview::CellFont::Normal && cell.length == 2 ? 16 : 8;
    }
    int spaceWidth() const override { return 8; }
    int lineHeight() const override { return 18; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const int width = data[0] * 4;
    const std::string_view key(reinterpret_cast<const char*>(data + 2), std::min<std::size_t>(data[1] % 8, size - 2));
    const yv::book::Bytes file(data + 2, size - 2);
    yv::book::MemoryBlockSource source(file);
    const yv::book::GaijiResolver fonts = [](std::uint16_t code) {
        return yv::book::GaijiAvailability{(code & 1) != 0, (code & 2) != 0};
    };
    yv::book::DisplayModel model;
    yv::book::decodeEntry(source, {1, 0}, fonts, model);
    yv::lexview::highlightKey(model, key);
    const FixedMetrics metrics;
    const auto layout = yv::lexview::layoutEntry(model, metrics, width);
    if (layout.boxes.size() != model.cells.size() || layout.styles.size() != model.cells.size())
        std::abort();
    for (std::size_t i = 1; i < layout.boxes.size(); ++i) {
        if (layout.boxes[i].y < layout.boxes[i - 1].y)
            std::abort();
    }
    for (const int y : {0, 17, layout.height / 2, layout.height - 1}) {
        const auto cell = yv::lexview::cellAt(layout, width / 2, y);
        if (cell && *cell >= model.cells.size())
            std::abort();
        if (cell)
            yv::lexview::itemAt(model, *cell);
    }
    if (!model.cells.empty()) {
        const auto copied = yv::lexview::copyText(model, layout, 0, model.cells.size() - 1);
        if (copied.sjis.size() < model.cells.size())
            std::abort();
        yv::lexview::selectionKey(model, model.cells.size() / 2, model.cells.size() - 1);
    }
    return 0;
}
