// The run's files on a thread of their own.
#include "fileworker.h"

#include "enginehost.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <limits>

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
    // A file still running stops. The engine links belong to the thread: they go when its
    // loop has ended (never inside a file's own loop), and the worker comes back.
    requestStop(std::numeric_limits<std::uint64_t>::max());
    QThread* home = QCoreApplication::instance()->thread();
    connect(
        &m_thread, &QThread::finished, this,
        [this, home] {
            m_host.reset();
            moveToThread(home);
        },
        Qt::DirectConnection);
    m_thread.quit();
    m_thread.wait();
}

void FileWorker::requestStop(std::uint64_t upTo)
{
    if (m_host)
        m_host->requestStop(upTo);
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
