// Speech through espeak-ng into a sink: English and Japanese make sound, kanji are read by
// their kana, stopping and a failing sink end the speaking.
#include <speech/synthesizer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace yv::speech {
namespace {

// Loud enough to be speech, not silence or noise of the rounding.
bool hasSound(const std::vector<std::int16_t>& samples)
{
    return std::any_of(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 1000; });
}

class SpeechSynthesis : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        synthesizer = Synthesizer::create(&error).release();
        ASSERT_NE(synthesizer, nullptr) << error;
    }
    static void TearDownTestSuite()
    {
        delete synthesizer;
        synthesizer = nullptr;
    }

    static Synthesizer* synthesizer;
    std::atomic<bool> stop{false};
};
Synthesizer* SpeechSynthesis::synthesizer = nullptr;

TEST_F(SpeechSynthesis, EnglishAndJapaneseBecomeAudibleWav)
{
    ASSERT_TRUE(synthesizer->readsKanji());
    for (const char* text : {"The weather is fine today.", "今日は良い天気です。"}) {
        PcmRecorder wav;
        EXPECT_EQ(synthesizer->speak(text, wav, stop), SpeakResult::Spoken) << text;
        EXPECT_TRUE(wav.complete());
        EXPECT_GT(wav.sampleRate(), 8000);
        // Half a second at least, and not silence.
        EXPECT_GT(wav.samples().size(), static_cast<std::size_t>(wav.sampleRate() / 2)) << text;
        EXPECT_TRUE(hasSound(wav.samples())) << text;
        const std::string file = wav.wavBytes();
        ASSERT_EQ(file.size(), 44 + 2 * wav.samples().size());
        EXPECT_EQ(file.substr(0, 4), "RIFF");
        EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(file.substr(36, 4), "data");
    }
}

TEST_F(SpeechSynthesis, KanjiAreSpokenByTheirReadings)
{
    std::string error;
    const auto reader = createMecabKanaReader(&error);
    ASSERT_NE(reader, nullptr) << error;
    const auto runs = prepareSpeech("Tokyo is 東京は晴れ。\n\n明日", reader.get());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].voice, "en");
    EXPECT_EQ(runs[1].voice, "ja");
    EXPECT_EQ(runs[1].text, "トーキョーワハレ。\n\nアシタ");
    // Without a reader the text goes as written; blank runs say nothing.
    EXPECT_EQ(prepareSpeech("ｶﾅ", nullptr)[0].text, "カナ");
    EXPECT_TRUE(prepareSpeech(" \n\t", reader.get()).empty());

    PcmRecorder kanji;
    synthesizer->speak("東京", kanji, stop);
    EXPECT_TRUE(hasSound(kanji.samples()));
}

TEST_F(SpeechSynthesis, NothingToSayTouchesNoSink)
{
    PcmRecorder wav;
    EXPECT_EQ(synthesizer->speak("  \n ", wav, stop), SpeakResult::Nothing);
    EXPECT_EQ(wav.sampleRate(), 0);
}

TEST_F(SpeechSynthesis, StopAndAFailingSinkEndTheSpeaking)
{
    // A sink that takes the first piece and then has the speaking stopped.
    class StoppingSink final : public PcmSink {
    public:
        explicit StoppingSink(std::atomic<bool>& stop) : m_stop(stop) {}
        bool begin(int) override { return true; }
        bool write(const std::int16_t*, std::size_t) override
        {
            ++writes;
            m_stop = true;
            return true;
        }
        void end(bool complete) override { ended = complete ? 1 : 2; }
        int writes = 0;
        int ended = 0;

    private:
        std::atomic<bool>& m_stop;
    };
    const std::string longText(200, 'a');
    StoppingSink stopping(stop);
    EXPECT_EQ(synthesizer->speak("One two three four five. " + longText, stopping, stop), SpeakResult::Stopped);
    EXPECT_EQ(stopping.writes, 1);
    EXPECT_EQ(stopping.ended, 2);

    // A device that cannot open or fails mid-way.
    class FailingSink final : public PcmSink {
    public:
        explicit FailingSink(bool opens) : m_opens(opens) {}
        bool begin(int) override { return m_opens; }
        bool write(const std::int16_t*, std::size_t) override { return false; }
        void end(bool complete) override { ended = complete ? 1 : 2; }
        int ended = 0;

    private:
        bool m_opens;
    };
    stop = false;
    for (const bool opens : {false, true}) {
        FailingSink failing(opens);
        EXPECT_EQ(synthesizer->speak("Hello there.", failing, stop), SpeakResult::SinkFailed);
        EXPECT_EQ(failing.ended, 2);
    }
    // The engine is free again afterwards.
    PcmRecorder wav;
    EXPECT_EQ(synthesizer->speak("Again.", wav, stop), SpeakResult::Spoken);
}

} // namespace
} // namespace yv::speech
