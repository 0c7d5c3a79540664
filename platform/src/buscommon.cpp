// Internal pieces shared by window messages and DDE over the session bus.
#include "buscommon_p.h"

#include <platform/paths.h>

#include <platform/bus.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

namespace yv::bus::Internal {

namespace {

constexpr int kPollIntervalMs = 1;
constexpr std::chrono::microseconds kSpinWait{500};

} // namespace

std::string mangle(std::string_view s)
{
    std::string out;
    for (const char c : s) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        out += ok ? c : '_';
    }
    if (out.empty() || (out[0] >= '0' && out[0] <= '9'))
        out.insert(out.begin(), '_');
    return out;
}

std::string namePrefix()
{
    const std::string tag = paths::instanceTag();
    return tag.empty() ? "com.orvikan.Yorvane5" : "com.orvikan.Yorvane5.i" + tag;
}

QDBusConnection connection()
{
    return QDBusConnection::sessionBus();
}

QDBusMessage callAndWait(const QDBusMessage& call, int timeoutMs)
{
    const auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return connection().call(call, QDBus::Block, timeoutMs);
    // Not QDBus::BlockWithGui: its loop can miss a reply that arrives just before it starts
    // waiting, and then waits for ever. The bus's own thread completes the pending call, so
    // this thread serves its events and looks every millisecond whether it has. (No helper
    // thread per call: Qt leaves the data of such short-lived threads behind.)
    const QDBusPendingCall pending = connection().asyncCall(call, timeoutMs);
    // Most replies come within a fraction of a millisecond: wait that long without a loop.
    const auto spinEnd = std::chrono::steady_clock::now() + kSpinWait;
    while (!pending.isFinished() && std::chrono::steady_clock::now() < spinEnd)
        std::this_thread::yield();
    if (!pending.isFinished()) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (pending.isFinished())
                loop.quit();
        });
        poll.setTimerType(Qt::PreciseTimer);
        poll.start(kPollIntervalMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return pending.reply();
}

void flush()
{
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    connection().call(ping, QDBus::Block, 5000);
}

bool nameHasOwner(const QString& name)
{
    const auto owned = connection().interface()->isServiceRegistered(name);
    return owned.isValid() && owned.value();
}

void dispatchQueued(QObject* context, const QDBusMessage& message, const QDBusConnection& conn,
                    std::function<QDBusMessage()> work)
{
    message.setDelayedReply(true);
    QMetaObject::invokeMethod(
        context,
        [work = std::move(work), conn] {
            const QDBusMessage reply = work();
            if (reply.type() != QDBusMessage::InvalidMessage)
                QDBusConnection(conn).send(reply);
        },
        Qt::QueuedConnection);
}

} // namespace yv::bus::Internal

namespace yv::bus {

void waitServingEvents(int ms)
{
    const auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

} // namespace yv::bus
