// Fuzzes the engine callback's strings: parsed, then run through a translation of a fixed
// source, which must link only cells of the source and keep both panes terminated.
#include <editorcore/translateflow.h>

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

class SilentHost final : public yv::editor::TranslateHost {
public:
    bool engineBusy() const override { return busy; }
    void setEngineBusy(bool b) override { busy = b; }
    int directionSetting() const override { return direction; }
    bool startEngine(int, std::string_view) override { return true; }
    void stopEngines() override {}
    void closeEngines() override {}
    void runStarted() override {}
    void progress(int percent) override
    {
        if (percent < 0 || percent > 100)
            std::abort();
    }
    void showTranslationCaret() override {}
    void runEnded() override {}
    void runStopped() override {}
    void readTranslationAloud() override {}
    void dispatchPendingMessages() override {}
    bool busy = false;
    int direction = 1;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace yv::editor;
    static QuietPresenter presenter;
    static const bool installed = (yv::msgbox::setPresenter(&presenter), true);
    (void)installed;
    static const FixedMetrics metrics;
    static TransDoc doc(metrics, metrics);
    static SilentHost host;
    static TranslateFlow flow(doc, host);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)parseCallback(text);

    doc.source().clearAll();
    doc.source().insert("One sentence.\r\n\x93\xFA\x96\x7B\x8C\xEA\x81\x42 Two.", 0, 0, false);
    host.busy = false;
    host.direction = size % 2 ? 1 : 2;
    flow.start();
    flow.onCallback(text);
    flow.onCallback("$$$");
    const CellStore& source = doc.source().store();
    if (source.length() != 23 || source[source.length()].lead != 0)
        std::abort();
    const CellStore& translation = doc.translation().store();
    if (translation[translation.length()].lead != 0 || translation.length() > kMaxCharacters)
        std::abort();
    return 0;
}
