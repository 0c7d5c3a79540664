// The library's own Qt thread for hosts without a Qt application.
#include "qtservice.h"

#include <QCoreApplication>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace yv::etc {

namespace {

// A thread that owns a private QCoreApplication. It is started by the first call that needs
// it, so that it is the first thread of a Qt-less host to use Qt at all (Qt then counts it as
// its main thread). Between calls it waits outside Qt, and it lives as long as the process:
// it is never stopped, since Qt's own globals may already be gone when the library ends.
class ServiceThread final {
public:
    // True when the calling thread is where Qt work must run as it is: the program's own Qt
    // application, or this library's thread once it has been started.
    bool runsHere() const
    {
        const std::lock_guard lock(m_mutex);
        if (m_started)
            return std::this_thread::get_id() == m_threadId;
        return QCoreApplication::instance() != nullptr;
    }

    void run(const std::function<void()>& work)
    {
        // One call at a time: a second caller's work must never run nested inside the event
        // loop that a file job runs while it waits.
        const std::lock_guard calls(m_callMutex);
        std::unique_lock lock(m_mutex);
        if (!m_started) {
            m_started = true;
            std::thread([this] { serve(); }).detach();
        }
        m_work = &work;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_work == nullptr; });
    }

private:
    void serve()
    {
        static int argc = 1;
        static char name[] = "yorvane5-etc";
        static char* argv[] = {name, nullptr};
        const QCoreApplication app(argc, argv);
        std::unique_lock lock(m_mutex);
        m_threadId = std::this_thread::get_id();
        for (;;) {
            m_changed.wait(lock, [this] { return m_work != nullptr; });
            lock.unlock();
            // What arrived since the last call (late answers, deferred deletions) first.
            QCoreApplication::processEvents();
            (*m_work)();
            QCoreApplication::processEvents();
            lock.lock();
            m_work = nullptr;
            m_changed.notify_all();
        }
    }

    mutable std::mutex m_mutex;
    std::mutex m_callMutex;
    std::condition_variable m_changed;
    const std::function<void()>* m_work = nullptr;
    bool m_started = false;
    std::thread::id m_threadId;
};

// Never destroyed: its thread may still wait on it while the process ends.
ServiceThread& service()
{
    static ServiceThread* const instance = new ServiceThread;
    return *instance;
}

} // namespace

void runWithQtWork(const std::function<void()>& work)
{
    ServiceThread& thread = service();
    if (thread.runsHere())
        work();
    else
        thread.run(work);
}

} // namespace yv::etc
