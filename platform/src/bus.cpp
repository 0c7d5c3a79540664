// Window messages over the D-Bus session bus (QtDBus).
#include <platform/bus.h>

#include "buscommon_p.h"

#include <platform/x11.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <map>
#include <mutex>

#include <unistd.h>

namespace yv::bus {

using namespace Internal;

namespace {

const QString kInterface = QStringLiteral("com.orvikan.Yorvane5.Window");

QString handleBusName(WindowHandle handle)
{
    return QString::fromStdString(namePrefix()) + QStringLiteral(".Window.W") + QString::number(handle, 16);
}

QString objectPath(std::string_view windowClass)
{
    return QStringLiteral("/windows/") + QString::fromStdString(mangle(windowClass));
}

// The same object is also exported under its handle, so that a window can be reached by
// handle alone (the "window to return to").
QString handlePath(WindowHandle handle)
{
    return QStringLiteral("/handles/W") + QString::number(handle, 16);
}

// Handles of windowless endpoints: above every X11 resource id (whose top three bits are
// always clear), made of the process id and a counter, so unique on the machine.
WindowHandle makeHandle()
{
    static std::atomic<unsigned> counter{0};
    const auto pid = static_cast<WindowHandle>(::getpid()) & 0x3FFFFF;
    return 0xE0000000u | (pid << 7) | (counter++ & 0x7F);
}

QDBusMessage makeCall(const QString& service, const QString& path, const QString& member)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, kInterface, member);
    call.setAutoStartService(false);
    return call;
}

} // namespace

std::string classBusName(std::string_view windowClass)
{
    return namePrefix() + "." + mangle(windowClass);
}

// The exported object: calls are handed to the registering thread's event loop and answered
// from there (a delayed reply), so that a handler may run nested loops or close its window.
class WindowObject final : public QDBusVirtualObject {
public:
    WindowObject(QObject* context, WindowEndpoint::Impl* owner)
        : m_context(context)
        , m_owner(owner)
    {
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& conn) override;
    QString introspect(const QString&) const override
    {
        return QStringLiteral(
            "<interface name=\"com.orvikan.Yorvane5.Window\">"
            "<method name=\"Send\"><arg name=\"message\" type=\"u\" direction=\"in\"/>"
            "<arg name=\"wParam\" type=\"t\" direction=\"in\"/><arg name=\"lParam\" type=\"x\" direction=\"in\"/>"
            "<arg name=\"result\" type=\"x\" direction=\"out\"/></method>"
            "<method name=\"Post\"><arg name=\"message\" type=\"u\" direction=\"in\"/>"
            "<arg name=\"wParam\" type=\"t\" direction=\"in\"/><arg name=\"lParam\" type=\"x\" direction=\"in\"/>"
            "<annotation name=\"org.freedesktop.DBus.Method.NoReply\" value=\"true\"/></method>"
            "<method name=\"Handle\"><arg name=\"handle\" type=\"t\" direction=\"out\"/></method>"
            "</interface>");
    }

private:
    QPointer<QObject> m_context;
    WindowEndpoint::Impl* m_owner;
};

struct WindowEndpoint::Impl {
    std::string windowClass;
    WindowHandle handle = 0;
    MessageHandler handler;
    QString classService;
    QString handleService;
    QString path;
    QString pathOfHandle;
    std::unique_ptr<QObject> context;  // lives on the registering thread
    std::unique_ptr<WindowObject> object;
};

namespace {

// Endpoints of this process: messages to them are delivered without the bus, as a window
// procedure of the same thread is called directly.
std::mutex g_localMutex;
std::map<std::string, WindowEndpoint::Impl*> g_localByClass;

WindowEndpoint::Impl* localByClass(std::string_view windowClass)
{
    const std::lock_guard lock(g_localMutex);
    const auto it = g_localByClass.find(std::string(windowClass));
    return it == g_localByClass.end() ? nullptr : it->second;
}

WindowEndpoint::Impl* localByHandle(WindowHandle handle)
{
    const std::lock_guard lock(g_localMutex);
    for (const auto& [name, impl] : g_localByClass) {
        if (impl->handle == handle)
            return impl;
    }
    return nullptr;
}

bool isLocalThread(const WindowEndpoint::Impl* impl)
{
    return impl->context->thread() == QThread::currentThread();
}

} // namespace

bool WindowObject::handleMessage(const QDBusMessage& message, const QDBusConnection& conn)
{
    const QString member = message.member();
    if (member == QLatin1String("Handle")) {
        conn.send(message.createReply(QVariant::fromValue<qulonglong>(m_owner->handle)));
        return true;
    }
    const bool isSend = member == QLatin1String("Send");
    if (!isSend && member != QLatin1String("Post"))
        return false;
    const QList<QVariant> args = message.arguments();
    if (args.size() != 3 || message.signature() != QLatin1String("utx")) {
        if (isSend)
            conn.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("expected (u t x)")));
        return true;
    }
    const auto msg = args[0].toUInt();
    const auto wParam = args[1].toULongLong();
    const auto lParam = args[2].toLongLong();
    MessageHandler handler = m_owner->handler;
    dispatchQueued(m_context.data(), message, conn, [handler, msg, wParam, lParam, isSend, message] {
        const std::int64_t result = handler ? handler(msg, wParam, lParam) : 0;
        return isSend ? message.createReply(QVariant::fromValue<qlonglong>(result)) : QDBusMessage();
    });
    return true;
}

WindowEndpoint::WindowEndpoint(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{
}

WindowEndpoint::~WindowEndpoint()
{
    {
        const std::lock_guard lock(g_localMutex);
        g_localByClass.erase(d->windowClass);
    }
    QDBusConnection conn = connection();
    conn.unregisterService(d->handleService);
    conn.unregisterService(d->classService);
    conn.unregisterObject(d->pathOfHandle);
    conn.unregisterObject(d->path);
}

std::unique_ptr<WindowEndpoint> WindowEndpoint::registerWindow(std::string_view windowClass,
                                                               WindowHandle handle,
                                                               MessageHandler handler)
{
    QDBusConnection conn = connection();
    if (!conn.isConnected())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->windowClass = std::string(windowClass);
    impl->handle = handle != 0 ? handle : makeHandle();
    impl->handler = std::move(handler);
    impl->classService = QString::fromStdString(classBusName(windowClass));
    impl->handleService = handleBusName(impl->handle);
    impl->path = objectPath(windowClass);
    impl->pathOfHandle = handlePath(impl->handle);
    impl->context = std::make_unique<QObject>();
    impl->object = std::make_unique<WindowObject>(impl->context.get(), impl.get());

    // The object first, then the name: a caller that sees the name finds the object.
    if (!conn.registerVirtualObject(impl->path, impl->object.get()))
        return nullptr;
    if (!conn.registerVirtualObject(impl->pathOfHandle, impl->object.get())) {
        conn.unregisterObject(impl->path);
        return nullptr;
    }
    const auto reply = conn.interface()->registerService(impl->classService,
                                                         QDBusConnectionInterface::DontQueueService,
                                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        conn.unregisterObject(impl->pathOfHandle);
        conn.unregisterObject(impl->path);
        return nullptr;
    }
    conn.interface()->registerService(impl->handleService, QDBusConnectionInterface::DontQueueService,
                                      QDBusConnectionInterface::DontAllowReplacement);
    {
        const std::lock_guard lock(g_localMutex);
        g_localByClass[impl->windowClass] = impl.get();
    }
    return std::unique_ptr<WindowEndpoint>(new WindowEndpoint(std::move(impl)));
}

WindowHandle WindowEndpoint::handle() const
{
    return d->handle;
}

const std::string& WindowEndpoint::windowClass() const
{
    return d->windowClass;
}

std::optional<WindowHandle> findWindow(std::string_view windowClass)
{
    if (const auto* local = localByClass(windowClass))
        return local->handle;
    const QDBusMessage reply = connection().call(
        makeCall(QString::fromStdString(classBusName(windowClass)), objectPath(windowClass), QStringLiteral("Handle")),
        QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
    return reply.arguments()[0].toULongLong();
}

bool windowExists(WindowHandle handle)
{
    if (handle == 0)
        return false;
    if (localByHandle(handle))
        return true;
    if (nameHasOwner(handleBusName(handle)))
        return true;
    return handle <= 0xFFFFFFFFu && x11::windowExists(static_cast<x11::WindowId>(handle));
}

namespace {

std::optional<std::int64_t> sendTo(const QString& service, const QString& path, std::uint32_t message,
                                   std::uint64_t wParam, std::int64_t lParam, int timeoutMs)
{
    QDBusMessage call = makeCall(service, path, QStringLiteral("Send"));
    call << message << qulonglong(wParam) << qlonglong(lParam);
    const QDBusMessage reply = callAndWait(call, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
    return reply.arguments()[0].toLongLong();
}

bool postTo(const QString& service, const QString& path, std::uint32_t message, std::uint64_t wParam,
            std::int64_t lParam)
{
    if (!nameHasOwner(service))
        return false;
    QDBusMessage call = makeCall(service, path, QStringLiteral("Post"));
    call << message << qulonglong(wParam) << qlonglong(lParam);
    if (!connection().send(call))
        return false;
    flush();
    return true;
}

std::optional<std::int64_t> sendLocal(WindowEndpoint::Impl* impl, std::uint32_t message, std::uint64_t wParam,
                                      std::int64_t lParam, int timeoutMs)
{
    if (isLocalThread(impl))
        return impl->handler ? impl->handler(message, wParam, lParam) : 0;
    // Another thread of this process: go through the bus, which hands the call to the
    // window's own thread.
    return sendTo(QString::fromStdString(classBusName(impl->windowClass)), objectPath(impl->windowClass), message,
                  wParam, lParam, timeoutMs);
}

void postLocal(WindowEndpoint::Impl* impl, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    MessageHandler handler = impl->handler;
    QMetaObject::invokeMethod(
        impl->context.get(),
        [handler, message, wParam, lParam] {
            if (handler)
                handler(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

} // namespace

std::optional<std::int64_t> sendMessage(std::string_view windowClass, std::uint32_t message, std::uint64_t wParam,
                                        std::int64_t lParam, int timeoutMs)
{
    if (auto* local = localByClass(windowClass))
        return sendLocal(local, message, wParam, lParam, timeoutMs);
    return sendTo(QString::fromStdString(classBusName(windowClass)), objectPath(windowClass), message, wParam,
                  lParam, timeoutMs);
}

bool postMessage(std::string_view windowClass, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (auto* local = localByClass(windowClass)) {
        postLocal(local, message, wParam, lParam);
        return true;
    }
    return postTo(QString::fromStdString(classBusName(windowClass)), objectPath(windowClass), message, wParam,
                  lParam);
}

std::optional<std::int64_t> sendMessageToHandle(WindowHandle handle, std::uint32_t message, std::uint64_t wParam,
                                                std::int64_t lParam, int timeoutMs)
{
    if (auto* local = localByHandle(handle))
        return sendLocal(local, message, wParam, lParam, timeoutMs);
    return sendTo(handleBusName(handle), handlePath(handle), message, wParam, lParam, timeoutMs);
}

bool postMessageToHandle(WindowHandle handle, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (auto* local = localByHandle(handle)) {
        postLocal(local, message, wParam, lParam);
        return true;
    }
    return postTo(handleBusName(handle), handlePath(handle), message, wParam, lParam);
}

} // namespace yv::bus
