// The message seam: one presenter per process, standard error unless a program installs one.
#include <platform/messagebox.h>

#include <atomic>
#include <cstdio>

namespace yv::msgbox {

namespace {

// Command-line tools have nobody to press a button: print and answer with the default.
class StderrPresenter final : public Presenter {
public:
    int show(std::uint64_t, unsigned style, std::string_view text, std::string_view caption) override
    {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        return defaultAnswer(style);
    }
};

StderrPresenter g_stderrPresenter;
std::atomic<Presenter*> g_presenter{nullptr};

} // namespace

int defaultAnswer(unsigned style)
{
    static constexpr int kButtons[][3] = {
        {IdOk, IdOk, IdOk},               // Ok
        {IdOk, IdCancel, IdCancel},       // OkCancel
        {IdAbort, IdRetry, IdIgnore},     // AbortRetryIgnore
        {IdYes, IdNo, IdCancel},          // YesNoCancel
        {IdYes, IdNo, IdNo},              // YesNo
        {IdRetry, IdCancel, IdCancel},    // RetryCancel
    };
    const unsigned buttons = style & ButtonMask;
    if (buttons >= std::size(kButtons))
        return IdOk;
    const unsigned index = (style & DefaultMask) >> 8;
    return kButtons[buttons][index < 3 ? index : 0];
}

Presenter* setPresenter(Presenter* presenter)
{
    return g_presenter.exchange(presenter);
}

int show(std::uint64_t owner, unsigned style, std::string_view text, std::string_view caption)
{
    Presenter* presenter = g_presenter.load();
    return (presenter ? presenter : &g_stderrPresenter)->show(owner, style, text, caption);
}

} // namespace yv::msgbox
