// Fuzzes the insertion normaliser and the pair block: normalised text never holds CR, TAB
// or NUL, every lead byte has a valid trail, and a paste with any block stays in bounds.
#include <editorcore/editpane.h>
#include <editorcore/insertion.h>

#include <platform/codec.h>
#include <platform/messagebox.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class FixedMetrics final : public yv::editor::FontMetrics {
public:
    int advance(std::uint8_t, std::uint8_t trail) const override { return trail ? 16 : 8; }
    int lineHeight() const override { return 16; }
};

class QuietPresenter final : public yv::msgbox::Presenter {
public:
    int show(std::uint64_t, unsigned style, std::string_view, std::string_view) override
    {
        return yv::msgbox::defaultAnswer(style);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::editor;
    static QuietPresenter presenter;
    static const bool installed = (yv::msgbox::setPresenter(&presenter), true);
    (void)installed;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto chars = normalizeInsertion(bytes);
    if (chars.size() > size)
        std::abort();
    for (const CellChar& c : chars) {
        if (c.lead == 0 || c.lead == '\r' || c.lead == '\t')
            std::abort();
        if (yv::codec::isLeadByte(c.lead) != (c.trail != 0))
            std::abort();
    }

    // The first bytes double as a pair block, the rest as the pasted text.
    static const FixedMetrics metrics;
    static EditPane pane(metrics);
    if (pane.length() > 2000)
        pane.clearAll();
    const std::size_t split = size > 0 ? data[0] % 32 : 0;
    const auto block = decodePairBlock(bytes.substr(0, std::min(split, size)));
    pane.setCaret(pane.length() / 2);
    pane.paste(bytes.substr(std::min(split, size)), block ? &*block : nullptr);
    if (pane.store()[pane.length()].lead != 0)
        std::abort();
    pane.moveUnitLeft(true);
    pane.moveUp(true);
    pane.cut();
    pane.undo();
    return 0;
}
