// One translation request of the add-in: finds or starts the engine of its direction, talks
// to it over its own DDE conversation while the progress dialog is up, and leaves the result
// on the clipboard.
#pragma once

#include "addincore.h"

#include <filesystem>
#include <string>

namespace yv::addin {

// What the user sees of a request. The Qt dialogs in programs, a script in tests.
class RequestView {
public:
    virtual ~RequestView() = default;
    // The progress dialog: "翻訳中...", a progress bar and "中止".
    virtual void showProgress() = 0;
    virtual void setProgress(int percent) = 0;
    // Whether "中止" has been pressed since showProgress.
    virtual bool cancelRequested() const = 0;
    virtual void closeProgress() = 0;
    // The finished note; true when its box "今後、このメッセージを表示しない。" was ticked.
    virtual bool showFinishedNote() = 0;
};

enum class Outcome {
    Done,
    Cancelled,
    // The engine could not be reached, or went away before it answered.
    NoEngine,
};

inline constexpr const char* kConnectFailedMessage = "翻訳エンジンに接続できません。";
inline constexpr const char* kNoSelectionMessage = "範囲選択がされていないか、選択範囲に何もありません。";

class CMyTrans final {
public:
    RequestKind kind = RequestKind::Text;
    // Kinds 2 and 3: the files; the source is deleted when the request ends, the result once read.
    std::filesystem::path source;
    std::filesystem::path result;
    // Kind 1: CP932 text.
    std::string text;
    // Kind 1: the last request of a command (only the last one shows the finished note).
    bool last = true;
    // Off for a request whose result the command gathers itself (the cells of a sheet).
    bool toClipboard = true;

    Outcome DoTranslate(RequestView& view);

    // The clipboard text (UTF-8) of a request that is Done.
    const std::string& clipboardText() const { return m_clipboardText; }

private:
    std::string m_clipboardText;
};

// The finished note, unless "AddinEndCheck" says it is not wanted; a ticked box stores that.
void showFinishedNote(RequestView& view);

// The engine programs are started from this library's own directory.
std::filesystem::path addInDir();

} // namespace yv::addin
