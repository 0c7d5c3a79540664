// Reading aloud: the synthesis runs on a worker thread into the sound device (or a test's
// sink); its end comes back to the window as a queued event.
#include "speech.h"

#include "mainwindow.h"

#include <platform/codec.h>
#include <platform/waveout.h>

#include <QAction>

namespace yv::trans {

namespace {

enum SetupRequest : std::uint64_t { MicrophoneSetup = 1, UserTraining = 2, VoiceSettingsChanged = 3 };

// The sound device as a sink; no device means the reading ends at once.
class DeviceSink final : public speech::PcmSink {
public:
    explicit DeviceSink(const std::atomic<bool>& stop) : m_stop(stop) {}

    bool begin(int sampleRate) override
    {
        m_device = waveout::WaveOut::open(sampleRate, 1, nullptr);
        return m_device != nullptr;
    }
    bool write(const std::int16_t* samples, std::size_t count) override
    {
        return m_device && m_device->write(samples, count, m_stop);
    }
    void end(bool complete) override
    {
        if (complete && m_device)
            m_device->drain(m_stop);
        m_device.reset();
    }

private:
    const std::atomic<bool>& m_stop;
    std::unique_ptr<waveout::WaveOut> m_device;
};

} // namespace

Speech::Speech(CMainFrame& frame) : m_frame(frame)
{
    makeSink = [](const std::atomic<bool>& stop) { return std::make_unique<DeviceSink>(stop); };
    connect(frame.action("readAloud"), &QAction::triggered, this, &Speech::readAloud);
    connect(frame.action("stopReading"), &QAction::triggered, this, &Speech::stopReading);
    frame.action("voiceInput")->setStatusTip(QString::fromUtf8("原文を音声で入力します。"));
    setUp();
}

Speech::~Speech()
{
    m_stop = true;
    finishWorker();
}

void Speech::setUp()
{
    LoadEnvVoice(&m_settings);
    // Failures leave the feature off, silently.
    if (m_settings.useSpeak && !m_voice) {
        m_voice = speech::Synthesizer::create(nullptr);
    } else if (!m_settings.useSpeak && m_voice) {
        stopReading();
        m_voice.reset();
    }
    updateCommandStates();
}

void Speech::handleSetupRequest(std::uint64_t request)
{
    // The microphone set-up and the training screens belong to a recognizer; there is none.
    if (request == VoiceSettingsChanged)
        setUp();
}

void Speech::readAloud()
{
    if (!m_voice)
        return;
    stopReading();
    const std::string text = codec::cp932ToUtf8(m_frame.document().translation().store().bytes());
    if (text.empty())
        return;
    m_stop = false;
    m_reading = true;
    const unsigned generation = ++m_generation;
    m_worker = std::thread([this, text, generation, voice = m_voice.get(), sink = makeSink(m_stop)] {
        voice->speak(text, *sink, m_stop);
        QMetaObject::invokeMethod(this, [this, generation] { onReadingEnded(generation); }, Qt::QueuedConnection);
    });
    updateCommandStates();
}

void Speech::readAfterTranslation()
{
    if (m_settings.useSpeak && m_settings.transSpeak)
        readAloud();
}

void Speech::stopReading()
{
    if (!m_reading)
        return;
    m_stop = true;
    finishWorker();
    m_reading = false;
    updateCommandStates();
    emit readingEnded();
}

void Speech::onReadingEnded(unsigned generation)
{
    if (generation != m_generation || !m_reading)
        return;
    finishWorker();
    m_reading = false;
    updateCommandStates();
    emit readingEnded();
}

void Speech::finishWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

void Speech::updateCommandStates()
{
    QAction* read = m_frame.action("readAloud");
    QAction* stop = m_frame.action("stopReading");
    // One tool-bar button: 読み上げ, replaced by 読み上げ中止 while reading.
    read->setVisible(!m_reading);
    read->setEnabled(voiceAvailable());
    stop->setVisible(m_reading);
    stop->setEnabled(m_reading);
    m_frame.action("voiceInput")->setEnabled(recognizerAvailable());
}

} // namespace yv::trans
