// Reading the translation aloud and voice input in the editor window: the voice set-up, the
// 読み上げ / 読み上げ中止 commands, reading at the end of a JE run, the toolbox's +15 requests.
#pragma once

#include <Etc.h>
#include <speech/synthesizer.h>

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace yv::trans {

class CMainFrame;

class Speech final : public QObject {
    Q_OBJECT
public:
    explicit Speech(CMainFrame& frame);
    ~Speech() override;

    // Reads the voice settings and makes or drops the voice (and the recognizer, which this
    // platform does not have: voice input stays off).
    void setUp();
    // +15 from the toolbox: 1 microphone set-up, 2 user training (both belong to a recognizer),
    // 3 the voice settings changed.
    void handleSetupRequest(std::uint64_t request);

    void readAloud();
    // After a JE run: reads only when the settings ask for it.
    void readAfterTranslation();
    void stopReading();
    void updateCommandStates();

    bool voiceAvailable() const { return m_voice != nullptr; }
    bool recognizerAvailable() const { return false; }
    bool reading() const { return m_reading; }

    // Where the speech goes, made for each reading; the sound device unless tests put their
    // own. `stop` is set when the reading is to end early.
    std::function<std::unique_ptr<speech::PcmSink>(const std::atomic<bool>& stop)> makeSink;

signals:
    void readingEnded();

private:
    // The end of the spoken text (the voice's end-of-stream event).
    void onReadingEnded(unsigned generation);
    void finishWorker();

    CMainFrame& m_frame;
    VoiceSettings m_settings{};
    std::unique_ptr<speech::Synthesizer> m_voice;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    bool m_reading = false;
    // Tells a late end event of a reading that was stopped from the current reading's.
    unsigned m_generation = 0;
};

} // namespace yv::trans
