// Fuzzes the .tts reader: any bytes are refused or read whole, and what is read loads into
// the panes and writes back to bytes that read the same.
#include <editorcore/editpane.h>
#include <editorcore/ttsformat.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class FixedMetrics final : public yv::editor::FontMetrics {
public:
    int advance(std::uint8_t, std::uint8_t trail) const override { return trail ? 16 : 8; }
    int lineHeight() const override { return 16; }
};

bool sameCharacters(const std::vector<yv::editor::CellChar>& a, const std::vector<yv::editor::CellChar>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].lead != b[i].lead || a[i].trail != b[i].trail || a[i].pair != b[i].pair)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::editor;
    const auto content = decodeTts(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!content)
        return 0;
    static const FixedMetrics metrics;
    static EditPane source(metrics);
    static EditPane translation(metrics);
    source.setText(content->source);
    translation.setText(content->translation);
    if (source.store()[source.length()].lead != 0 || translation.store()[translation.length()].lead != 0)
        std::abort();
    const auto again = decodeTts(encodeTts(source.store(), translation.store()));
    if (!again || !sameCharacters(again->source, content->source) || !sameCharacters(again->translation, content->translation))
        std::abort();
    return 0;
}
