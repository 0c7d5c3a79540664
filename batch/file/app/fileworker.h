// The thread that translates the run's files one at a time, so that the window stays
// responsive; results and progress come back as queued signals.
#pragma once

#include <filebox/batchrun.h>

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

namespace yv::filebox {

class EngineHost;
class JobMessages;

class FileWorker final : public QObject {
    Q_OBJECT
public:
    // `notify`: the window the converter reports to.
    FileWorker(std::uint64_t notify, JobMessages& messages);
    ~FileWorker() override;

    // Starts the thread; the worker lives there from now on.
    void start();
    // Ends the thread once the running file (if any) is over; waits for it.
    void finish();
    // From the window's thread: the files up to job `upTo` stop.
    void requestStop(std::uint64_t upTo);
    // Hands a file to the thread.
    void post(const Job& job, int direction);

signals:
    void progress(int percent);
    void finished(quint64 id, int outcome, const QString& message);

private:
    void translate(const Job& job, int direction);

    QThread m_thread;
    std::unique_ptr<EngineHost> m_host;
};

} // namespace yv::filebox
