// Speech synthesis with espeak-ng: one process-wide engine, voices switched run by run.
#include <speech/synthesizer.h>

#include <speech/textruns.h>

#include <espeak-ng/speak_lib.h>

#include <mutex>

namespace yv::speech {

namespace {

constexpr const char* kLatinVoice = "en";
constexpr const char* kJapaneseVoice = "ja";
constexpr int kBitsPerSample = 16;

// espeak-ng keeps its state in globals: every call goes through this lock.
std::mutex& engineMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The speaking in progress (under the lock), for the engine's sample callback.
struct SpeakContext {
    PcmSink* sink = nullptr;
    const std::atomic<bool>* stop = nullptr;
    bool stopped = false;
    bool sinkFailed = false;
};
SpeakContext* g_speaking = nullptr;

int onSamples(short* samples, int count, espeak_EVENT*)
{
    SpeakContext* context = g_speaking;
    if (!context)
        return 1;
    if (context->stop->load()) {
        context->stopped = true;
        return 1;
    }
    if (samples && count > 0 && !context->sink->write(samples, static_cast<std::size_t>(count))) {
        context->sinkFailed = true;
        return 1;
    }
    return 0;
}

// The engine's sample rate, starting it on first use; 0 when it cannot start.
int startEngine()
{
    static int rate = [] {
        const int r = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (r <= 0)
            return 0;
        espeak_SetSynthCallback(&onSamples);
        return r;
    }();
    return rate;
}

bool hasSomethingToSay(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

void putLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

bool PcmRecorder::begin(int sampleRate)
{
    m_sampleRate = sampleRate;
    m_samples.clear();
    m_complete = false;
    return true;
}

bool PcmRecorder::write(const std::int16_t* samples, std::size_t count)
{
    m_samples.insert(m_samples.end(), samples, samples + count);
    return true;
}

std::string PcmRecorder::wavBytes() const
{
    const auto dataBytes = static_cast<std::uint32_t>(m_samples.size() * sizeof(std::int16_t));
    const auto rate = static_cast<std::uint32_t>(m_sampleRate);
    std::string out = "RIFF";
    putLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittleEndian(out, 16, 4);                      // format chunk size
    putLittleEndian(out, 1, 2);                       // PCM
    putLittleEndian(out, 1, 2);                       // mono
    putLittleEndian(out, rate, 4);
    putLittleEndian(out, rate * kBitsPerSample / 8, 4);  // bytes a second
    putLittleEndian(out, kBitsPerSample / 8, 2);      // block align
    putLittleEndian(out, kBitsPerSample, 2);
    out += "data";
    putLittleEndian(out, dataBytes, 4);
    for (const std::int16_t sample : m_samples)
        putLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    return out;
}

std::vector<VoiceRun> prepareSpeech(std::string_view utf8, const KanaReader* reader)
{
    std::vector<VoiceRun> runs;
    for (TextRun& run : splitScriptRuns(utf8)) {
        if (!hasSomethingToSay(run.text))
            continue;
        if (run.script == Script::Latin) {
            runs.push_back({kLatinVoice, std::move(run.text)});
            continue;
        }
        const std::string wide = widenHalfWidthKana(run.text);
        std::string spoken;
        std::string_view rest = wide;
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            const std::string_view line = rest.substr(0, end);
            spoken += reader ? reader->pronounce(line) : std::string(line);
            if (end == std::string_view::npos)
                break;
            spoken += '\n';
            rest.remove_prefix(end + 1);
        }
        runs.push_back({kJapaneseVoice, std::move(spoken)});
    }
    return runs;
}

Synthesizer::Synthesizer(int sampleRate, std::unique_ptr<KanaReader> reader)
    : m_sampleRate(sampleRate), m_reader(std::move(reader))
{
}

Synthesizer::~Synthesizer() = default;

std::unique_ptr<Synthesizer> Synthesizer::create(std::string* error)
{
    int rate = 0;
    {
        const std::lock_guard lock(engineMutex());
        rate = startEngine();
    }
    if (rate <= 0) {
        if (error)
            *error = "espeak-ng could not start (is espeak-ng-data installed?)";
        return nullptr;
    }
    // Without MeCab, kana are still read; kanji are not.
    return std::unique_ptr<Synthesizer>(new Synthesizer(rate, createMecabKanaReader(nullptr)));
}

SpeakResult Synthesizer::speak(std::string_view utf8, PcmSink& sink, const std::atomic<bool>& stop) const
{
    const std::lock_guard lock(engineMutex());
    const std::vector<VoiceRun> runs = prepareSpeech(utf8, m_reader.get());
    if (runs.empty())
        return SpeakResult::Nothing;
    if (!sink.begin(m_sampleRate)) {
        sink.end(false);
        return SpeakResult::SinkFailed;
    }
    SpeakContext context{&sink, &stop};
    g_speaking = &context;
    for (const VoiceRun& run : runs) {
        if (stop.load()) {
            context.stopped = true;
            break;
        }
        if (espeak_SetVoiceByName(run.voice.c_str()) != EE_OK)
            continue;
        espeak_Synth(run.text.c_str(), run.text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
        if (context.stopped || context.sinkFailed)
            break;
    }
    g_speaking = nullptr;
    const SpeakResult result = context.sinkFailed ? SpeakResult::SinkFailed
                               : context.stopped  ? SpeakResult::Stopped
                                                  : SpeakResult::Spoken;
    sink.end(result == SpeakResult::Spoken);
    return result;
}

} // namespace yv::speech
