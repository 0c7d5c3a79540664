// Text to speech: Japanese turned into kana readings (MeCab), then every run spoken by the
// voice of its script (espeak-ng) into a PCM sink, with no sound device involved.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yv::speech {

// Where synthesized speech goes: 16-bit mono samples at the synthesizer's rate. A sink that
// answers false stops the speaking (a device that failed, a stop asked for).
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual bool begin(int sampleRate) = 0;
    virtual bool write(const std::int16_t* samples, std::size_t count) = 0;
    // After the last write; `complete` when everything was spoken.
    virtual void end(bool complete) = 0;
};

// Collects the samples; the tests' and the files' sink.
class PcmRecorder final : public PcmSink {
public:
    bool begin(int sampleRate) override;
    bool write(const std::int16_t* samples, std::size_t count) override;
    void end(bool complete) override { m_complete = complete; }

    int sampleRate() const { return m_sampleRate; }
    const std::vector<std::int16_t>& samples() const { return m_samples; }
    bool complete() const { return m_complete; }
    // A RIFF/WAVE file of the samples (PCM, 16 bits, mono).
    std::string wavBytes() const;

private:
    int m_sampleRate = 0;
    std::vector<std::int16_t> m_samples;
    bool m_complete = false;
};

// Japanese readings as katakana pronunciations, so that kanji are spoken.
class KanaReader {
public:
    virtual ~KanaReader() = default;
    // One line of Japanese text in, its pronunciation out; what has none is kept as written.
    virtual std::string pronounce(std::string_view utf8Line) const = 0;
};

// MeCab with its default dictionary; null (and `error` set) when it cannot be loaded.
std::unique_ptr<KanaReader> createMecabKanaReader(std::string* error);

enum class SpeakResult { Spoken, Nothing, Stopped, SinkFailed };

// The text a voice gets for one run.
struct VoiceRun {
    std::string voice;  // "en" or "ja"
    std::string text;
};

// The runs of `utf8`, Japanese ones as readings (kept as written without a reader); runs
// with nothing to say are left out.
std::vector<VoiceRun> prepareSpeech(std::string_view utf8, const KanaReader* reader);

class Synthesizer {
public:
    // espeak-ng with its data, and the kana reader when MeCab loads; null when espeak-ng
    // cannot start (`error` says why). One process-wide engine serves every instance.
    static std::unique_ptr<Synthesizer> create(std::string* error);
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    int sampleRate() const { return m_sampleRate; }
    bool readsKanji() const { return m_reader != nullptr; }

    // Speaks the text into the sink and returns when done, stopped (`stop` set, checked
    // between pieces of audio) or refused by the sink. Safe from any thread; calls queue.
    SpeakResult speak(std::string_view utf8, PcmSink& sink, const std::atomic<bool>& stop) const;

private:
    Synthesizer(int sampleRate, std::unique_ptr<KanaReader> reader);

    int m_sampleRate;
    std::unique_ptr<KanaReader> m_reader;
};

} // namespace yv::speech
