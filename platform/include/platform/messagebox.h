// The one seam through which every message box of the suite goes: a Qt dialog in programs,
// a recorder in tests, standard error in command-line tools.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yv::msgbox {

// Style bits and answers keep the Windows numbering that callers store and compare.
enum Style : unsigned {
    Ok = 0x0,
    OkCancel = 0x1,
    AbortRetryIgnore = 0x2,
    YesNoCancel = 0x3,
    YesNo = 0x4,
    RetryCancel = 0x5,
    ButtonMask = 0xF,
    IconError = 0x10,
    IconQuestion = 0x20,
    IconExclamation = 0x30,
    IconInformation = 0x40,
    IconMask = 0xF0,
    DefaultButton2 = 0x100,
    DefaultButton3 = 0x200,
    DefaultMask = 0xF00,
};

enum Answer : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

inline constexpr std::string_view kProductCaption = "Yorvane5";

// The button a box answers with when nobody can press one (default button of the style).
int defaultAnswer(unsigned style);

class Presenter {
public:
    virtual ~Presenter() = default;
    // owner: the window handle the box belongs to (0 for none); text and caption are UTF-8.
    virtual int show(std::uint64_t owner, unsigned style, std::string_view text,
                     std::string_view caption) = 0;
};

// Installs the presenter for this process (null restores the standard-error one); returns
// the previous one. The presenter is not owned.
Presenter* setPresenter(Presenter* presenter);

int show(std::uint64_t owner, unsigned style, std::string_view text,
         std::string_view caption = kProductCaption);

} // namespace yv::msgbox
