// Wave output: 16-bit PCM to the default sound device (ALSA, which reaches PulseAudio or
// PipeWire where they run). Opening fails at once where there is no device.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace yv::waveout {

class WaveOut {
public:
    // Null (and `error` set) when no device takes the format.
    static std::unique_ptr<WaveOut> open(int sampleRate, int channels, std::string* error);
    // Drops what has not been played yet.
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // Queues interleaved frames, waiting while the device is full; false when the device
    // failed or `stop` was set meanwhile. Never waits longer than the audio takes to play.
    bool write(const std::int16_t* frames, std::size_t frameCount, const std::atomic<bool>& stop);
    // Waits until everything queued has been played, or `stop` is set.
    void drain(const std::atomic<bool>& stop);

private:
    struct Device;
    explicit WaveOut(std::unique_ptr<Device> device);
    std::unique_ptr<Device> m_device;
};

} // namespace yv::waveout
