// Wave output through ALSA, non-blocking underneath so that no device can hang a caller.
#include <platform/waveout.h>

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace yv::waveout {

namespace {

constexpr unsigned kLatencyMicroseconds = 200'000;
constexpr int kWaitMilliseconds = 50;
// A device that takes nothing for this long has stalled.
constexpr int kStallMilliseconds = 2'000;

// The library prints its complaints (no card, unknown device) itself; the caller gets the
// reason as a value instead.
void quietErrors(const char*, int, const char*, int, const char*, ...) {}

} // namespace

struct WaveOut::Device {
    snd_pcm_t* pcm = nullptr;
    int sampleRate = 0;
    int channels = 0;
    ~Device()
    {
        if (pcm) {
            snd_pcm_drop(pcm);
            snd_pcm_close(pcm);
        }
    }
};

WaveOut::WaveOut(std::unique_ptr<Device> device) : m_device(std::move(device)) {}

WaveOut::~WaveOut() = default;

std::unique_ptr<WaveOut> WaveOut::open(int sampleRate, int channels, std::string* error)
{
    static const bool quiet = snd_lib_error_set_handler(&quietErrors) == 0;
    (void)quiet;
    auto device = std::make_unique<Device>();
    device->sampleRate = sampleRate;
    device->channels = channels;
    int status = sampleRate > 0 && channels > 0
                     ? snd_pcm_open(&device->pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK)
                     : -EINVAL;
    if (status >= 0)
        status = snd_pcm_set_params(device->pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                                    static_cast<unsigned>(channels), static_cast<unsigned>(sampleRate), 1,
                                    kLatencyMicroseconds);
    if (status < 0) {
        if (error)
            *error = std::string("no sound device: ") + snd_strerror(status);
        return nullptr;
    }
    return std::unique_ptr<WaveOut>(new WaveOut(std::move(device)));
}

bool WaveOut::write(const std::int16_t* frames, std::size_t frameCount, const std::atomic<bool>& stop)
{
    snd_pcm_t* pcm = m_device->pcm;
    int idle = 0;
    while (frameCount > 0) {
        if (stop.load())
            return false;
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm, frames, frameCount);
        if (written == -EAGAIN || written == 0) {
            if (snd_pcm_wait(pcm, kWaitMilliseconds) == 0 && (idle += kWaitMilliseconds) > kStallMilliseconds)
                return false;
            continue;
        }
        if (written < 0) {
            if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0)
                return false;
            continue;
        }
        idle = 0;
        frames += static_cast<std::size_t>(written) * static_cast<std::size_t>(m_device->channels);
        frameCount -= static_cast<std::size_t>(written);
    }
    return true;
}

void WaveOut::drain(const std::atomic<bool>& stop)
{
    snd_pcm_t* pcm = m_device->pcm;
    // A clip shorter than the buffer has not started by itself.
    if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(pcm);
    snd_pcm_sframes_t left = 0;
    if (snd_pcm_delay(pcm, &left) < 0)
        return;
    // Bounded by what is queued, so that a device that stops playing cannot hold us.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(left * 1000 / m_device->sampleRate + kStallMilliseconds);
    while (!stop.load() && std::chrono::steady_clock::now() < deadline) {
        if (snd_pcm_state(pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm, &left) < 0 || left <= 0)
            return;
        const auto waitMs = std::clamp<snd_pcm_sframes_t>(left * 1000 / m_device->sampleRate, 1, kWaitMilliseconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    }
}

} // namespace yv::waveout
