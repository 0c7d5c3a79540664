// The cursor-capture feature: a timer that captures the word or sentence resting under the
// mouse through the outside capture wrapper, and hands it on like a hot key would. Without the
// wrapper it stays inactive.
#pragma once

#include "boxes.h"

#include <toolboxcore/spyglass.h>

#include <QObject>
#include <QTimer>

#include <filesystem>

namespace yv::toolbox {

class Spyglass final : public QObject {
    Q_OBJECT
public:
    // The wrapper's library as the suite names it, in the toolbox's own directory.
    static constexpr const char* kWrapperFile = "libSNRDLL.so";

    Spyglass(const std::filesystem::path& programDirectory, Notifier notify, QObject* parent = nullptr);
    ~Spyglass() override;

    bool wrapperLoaded() const { return m_library != nullptr; }
    // Runs the timer from the stored settings (on, delay, mode) when the wrapper is loaded.
    void start();
    void stop();
    bool running() const { return m_timer.isActive(); }

    // One tick with the cursor at `cursor` (screen coordinates).
    void tick(ScreenPoint cursor);

private:
    struct WordRect {
        std::int32_t left, top, right, bottom;
    };
    using GetWords = int (*)(int x, int y, WordRect* wordRect, char* words, int wordsSize, char* raw, int rawSize);
    using GetSentence = int (*)(int x, int y, char* text, int textSize, void* lineInfo);

    void captureSentence(ScreenPoint cursor);
    void captureWords(ScreenPoint cursor);

    Notifier m_notify;
    void* m_library = nullptr;
    GetWords m_getWords = nullptr;
    GetSentence m_getSentence = nullptr;
    QTimer m_timer;
    SpyglassTracker m_tracker;
    ActionKind m_mode = ActionKind::Dictionary;
    bool m_capturing = false;
};

} // namespace yv::toolbox
