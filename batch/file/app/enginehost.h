// The batch box's way to the engines and the Office converter, on the thread that runs the
// files: the engine links of both directions, kanaconv, docmorph, the busy flag, and the
// messages of a file's job gathered for its row.
#pragma once

#include <filebox/batchrun.h>

#include <platform/messagebox.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CEngineLink;

namespace yv::filebox {

// Messages shown during a file's job on the collecting thread become that file's message
// instead of a box each; every other message goes on as before.
class JobMessages final : public msgbox::Presenter {
public:
    JobMessages();
    ~JobMessages() override;
    JobMessages(const JobMessages&) = delete;
    JobMessages& operator=(const JobMessages&) = delete;

    int show(std::uint64_t owner, unsigned style, std::string_view text, std::string_view caption) override;
    // Starts gathering the calling thread's messages (and drops what was gathered).
    void collect();
    // Stops gathering and returns the last message.
    std::string take();

private:
    msgbox::Presenter* m_previous;
    std::mutex m_mutex;
    std::thread::id m_thread;
    bool m_collecting = false;
    std::string m_last;
};

class EngineHost final : public FileHost {
public:
    // `notify`: the window the converter posts its stages and progress to (0 for none).
    EngineHost(std::uint64_t notify, JobMessages& messages);
    ~EngineHost() override;
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    // Engine progress (0..100), called on this host's thread.
    std::function<void(int)> onProgress;

    // One file of a run: the trace line written, the file translated.
    FileResult translate(const Job& job, int direction);

    // From any thread: the files up to job `upTo` stop, also one that has not started yet
    // (the engine is told, the converter too).
    void requestStop(std::uint64_t upTo);

    bool engineBusy() override;
    void setEngineBusy(bool busy) override;
    int textDirection(const std::string& path) override;
    int htmlDirection(const std::string& path) override;
    std::optional<std::string> tempFile(const char* extension) override;
    bool toShiftJis(const std::string& source, const std::string& target) override;
    EngineEnd runEngine(Kind kind, int direction, const std::string& source, const std::string& output) override;
    bool runOffice(const std::string& source, const std::string& output, int direction, std::string& message) override;
    bool stopRequested() override { return m_currentJob.load() <= m_stopUpTo.load(); }

private:
    CEngineLink& link(int direction);
    static int engineCallback(const char* result, void* context);

    std::uint64_t m_notify;
    JobMessages& m_messages;
    std::unique_ptr<CEngineLink> m_ej;
    std::unique_ptr<CEngineLink> m_je;
    std::atomic<std::uint64_t> m_currentJob{0};
    std::atomic<std::uint64_t> m_stopUpTo{0};
    bool m_done = false;
};

} // namespace yv::filebox
