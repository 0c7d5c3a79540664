// The run's files on a thread of their own.
#include "fileworker.h"

#include "enginehost.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace yv::filebox {

FileWorker::FileWorker(std::uint64_t notify, JobMessages& messages)
    : m_host(std::make_unique<EngineHost>(notify, messages))
{
    m_host->onProgress = [this](int percent) { emit progress(percent); };
    m_thread.setObjectName(QStringLiteral("file-worker"));
}

FileWorker::~FileWorker()
{
    finish();
}

void FileWorker::start()
{
    moveToThread(&m_thread);
    m_thread.start();
}

void FileWorker::finish()
{
    if (!m_thread.isRunning())
        return;
    // The engine links belong to the thread: they go with it, and the worker comes back.
    QThread* home = QCoreApplication::instance()->thread();
    QMetaObject::invokeMethod(
        this,
        [this, home] {
            m_host.reset();
            moveToThread(home);
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void FileWorker::requestStop()
{
    if (m_host)
        m_host->requestStop();
}

void FileWorker::post(const Job& job, int direction)
{
    QMetaObject::invokeMethod(this, [this, job, direction] { translate(job, direction); }, Qt::QueuedConnection);
}

void FileWorker::translate(const Job& job, int direction)
{
    const FileResult result = m_host->translate(job, direction);
    emit finished(job.id, static_cast<int>(result.outcome), QString::fromStdString(result.message));
}

} // namespace yv::filebox
