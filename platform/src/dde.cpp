// Dynamic data exchange over the session bus (QtDBus).
#include <platform/dde.h>

#include "buscommon_p.h"

#include <platform/bus.h>

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QPointer>
#include <QThread>

#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace yv::dde {

using namespace yv::bus::Internal;

namespace {

const QString kServerInterface = QStringLiteral("com.orvikan.Yorvane5.DDE");
const QString kClientInterface = QStringLiteral("com.orvikan.Yorvane5.DDEClient");
const QString kClientPath = QStringLiteral("/dde/client");

QString serviceBusName(std::string_view service)
{
    return QString::fromStdString(namePrefix() + ".DDE." + mangle(service));
}

// Each service has its own subtree, so that one process may serve several services.
QString servicePath(std::string_view service)
{
    return QStringLiteral("/dde/") + QString::fromStdString(mangle(service));
}

QString topicPath(std::string_view service, std::string_view topic)
{
    return servicePath(service) + QLatin1Char('/') + QString::fromStdString(mangle(topic));
}

std::uint32_t encode(Status s)
{
    switch (s) {
    case Status::Ack: return 0;
    case Status::Busy: return 1;
    default: return 2;
    }
}

Status decode(std::uint32_t v)
{
    switch (v) {
    case 0: return Status::Ack;
    case 1: return Status::Busy;
    default: return Status::NotProcessed;
    }
}

std::string bytes(const QVariant& v)
{
    const QByteArray a = v.toByteArray();
    return std::string(a.constData(), static_cast<std::size_t>(a.size()));
}

QByteArray toByteArray(std::string_view s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

bool available()
{
    return connection().isConnected();
}

std::string_view textOf(std::string_view data)
{
    return data.substr(0, data.find('\0'));
}

// ---------------------------------------------------------------------------------------
// Server

struct Server::Impl {
    struct Conv {
        QString client;  // the client's unique bus name
        std::string topic;
        std::set<std::string> advised;
    };

    std::string service;
    QString busName;
    Callbacks callbacks;
    std::unique_ptr<QObject> context;
    std::unique_ptr<QDBusVirtualObject> object;
    std::unique_ptr<QDBusServiceWatcher> watcher;
    std::map<std::uint64_t, Conv> conversations;
    std::uint64_t nextConversation = 1;

    QDBusMessage handle(const QDBusMessage& message);
    QDBusMessage connect(const QDBusMessage& message, const QString& topic);
    Conv* conversationOf(const QDBusMessage& message, std::uint64_t id);
    void end(std::uint64_t id);
    void dropClient(const QString& client);
};

namespace {

class ServerObject final : public QDBusVirtualObject {
public:
    explicit ServerObject(Server::Impl* owner)
        : m_owner(owner)
    {
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& conn) override
    {
        if (message.interface() != kServerInterface)
            return false;
        Server::Impl* owner = m_owner;
        QPointer<QObject> alive = owner->context.get();
        dispatchQueued(owner->context.get(), message, conn, [owner, alive, message] {
            if (!alive)
                return message.createErrorReply(QDBusError::UnknownObject, QStringLiteral("service gone"));
            return owner->handle(message);
        });
        return true;
    }
    QString introspect(const QString&) const override
    {
        return QStringLiteral(
            "<interface name=\"com.orvikan.Yorvane5.DDE\">"
            "<method name=\"Connect\"><arg type=\"s\" direction=\"in\"/><arg type=\"t\" direction=\"out\"/></method>"
            "<method name=\"WildConnect\"><arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"out\"/>"
            "<arg type=\"as\" direction=\"out\"/></method>"
            "<method name=\"Disconnect\"><arg type=\"t\" direction=\"in\"/></method>"
            "<method name=\"Poke\"><arg type=\"t\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"ay\" direction=\"in\"/><arg type=\"u\" direction=\"out\"/></method>"
            "<method name=\"Request\"><arg type=\"t\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"u\" direction=\"out\"/><arg type=\"ay\" direction=\"out\"/></method>"
            "<method name=\"AdviseStart\"><arg type=\"t\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"b\" direction=\"out\"/></method>"
            "<method name=\"AdviseStop\"><arg type=\"t\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/></method>"
            "</interface>");
    }

private:
    Server::Impl* m_owner;
};

QDBusMessage badArguments(const QDBusMessage& message)
{
    return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("unexpected arguments"));
}

} // namespace

Server::Impl::Conv* Server::Impl::conversationOf(const QDBusMessage& message, std::uint64_t id)
{
    const auto it = conversations.find(id);
    // A conversation belongs to the client that opened it.
    if (it == conversations.end() || it->second.client != message.service())
        return nullptr;
    return &it->second;
}

QDBusMessage Server::Impl::connect(const QDBusMessage& message, const QString& topic)
{
    const std::string topicName = topic.toStdString();
    const std::uint64_t id = nextConversation++;
    if (!callbacks.connect || !callbacks.connect(id, topicName))
        return message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("topic refused"));
    conversations[id] = Conv{message.service(), topicName, {}};
    watcher->addWatchedService(message.service());
    return message.createReply(QVariant::fromValue<qulonglong>(id));
}

QDBusMessage Server::Impl::handle(const QDBusMessage& message)
{
    const QString member = message.member();
    const QString signature = message.signature();
    const QList<QVariant> args = message.arguments();

    if (member == QLatin1String("Connect") && signature == QLatin1String("s"))
        return connect(message, args[0].toString());
    if (member == QLatin1String("WildConnect") && signature == QLatin1String("s")) {
        QStringList offered;
        const QString wanted = args[0].toString();
        for (const std::string& topic : callbacks.topics) {
            const QString t = QString::fromStdString(topic);
            if (wanted.isEmpty() || t == wanted)
                offered << t;
        }
        QDBusMessage reply = message.createReply(QString::fromStdString(service));
        reply << offered;
        return reply;
    }
    if (signature.isEmpty() || signature[0] != QLatin1Char('t'))
        return badArguments(message);
    const std::uint64_t id = args[0].toULongLong();
    Conv* conv = conversationOf(message, id);
    if (!conv)
        return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such conversation"));

    if (member == QLatin1String("Disconnect") && signature == QLatin1String("t")) {
        end(id);
        return message.createReply();
    }
    const std::string item = args.size() > 1 ? args[1].toString().toStdString() : std::string();
    if (member == QLatin1String("Poke") && signature == QLatin1String("tsay")) {
        const Status status = callbacks.poke ? callbacks.poke(id, item, bytes(args[2])) : Status::NotProcessed;
        return message.createReply(QVariant::fromValue<uint>(encode(status)));
    }
    if (member == QLatin1String("Request") && signature == QLatin1String("ts")) {
        const auto data = callbacks.request ? callbacks.request(id, item) : std::nullopt;
        QDBusMessage reply = message.createReply(QVariant::fromValue<uint>(encode(data ? Status::Ack : Status::NotProcessed)));
        reply << toByteArray(data.value_or(std::string()));
        return reply;
    }
    if (member == QLatin1String("AdviseStart") && signature == QLatin1String("ts")) {
        const bool accepted = callbacks.adviseStart && callbacks.adviseStart(id, item);
        if (accepted && conversations.count(id))
            conversations[id].advised.insert(item);
        return message.createReply(accepted);
    }
    if (member == QLatin1String("AdviseStop") && signature == QLatin1String("ts")) {
        if (conversations.count(id) && conversations[id].advised.erase(item) && callbacks.adviseStop)
            callbacks.adviseStop(id, item);
        return message.createReply();
    }
    return badArguments(message);
}

void Server::Impl::end(std::uint64_t id)
{
    const auto it = conversations.find(id);
    if (it == conversations.end())
        return;
    const std::set<std::string> advised = it->second.advised;
    conversations.erase(it);
    for (const std::string& item : advised) {
        if (callbacks.adviseStop)
            callbacks.adviseStop(id, item);
    }
    if (callbacks.disconnect)
        callbacks.disconnect(id);
}

void Server::Impl::dropClient(const QString& client)
{
    std::vector<std::uint64_t> gone;
    for (const auto& [id, conv] : conversations) {
        if (conv.client == client)
            gone.push_back(id);
    }
    for (const std::uint64_t id : gone)
        end(id);
    watcher->removeWatchedService(client);
}

Server::Server(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{
}

Server::~Server()
{
    QDBusConnection conn = connection();
    conn.unregisterService(d->busName);
    conn.unregisterObject(servicePath(d->service), QDBusConnection::UnregisterTree);
}

std::unique_ptr<Server> Server::registerService(std::string_view service, Callbacks callbacks)
{
    QDBusConnection conn = connection();
    if (!conn.isConnected())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->service = std::string(service);
    impl->busName = serviceBusName(service);
    impl->callbacks = std::move(callbacks);
    impl->context = std::make_unique<QObject>();
    impl->object = std::make_unique<ServerObject>(impl.get());
    impl->watcher = std::make_unique<QDBusServiceWatcher>(QString(), conn, QDBusServiceWatcher::WatchForUnregistration);
    Impl* raw = impl.get();
    QObject::connect(impl->watcher.get(), &QDBusServiceWatcher::serviceUnregistered, impl->context.get(),
                     [raw](const QString& client) { raw->dropClient(client); });

    if (!conn.registerVirtualObject(servicePath(service), impl->object.get(), QDBusConnection::SubPath))
        return nullptr;
    const auto reply = conn.interface()->registerService(impl->busName, QDBusConnectionInterface::DontQueueService,
                                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        conn.unregisterObject(servicePath(service), QDBusConnection::UnregisterTree);
        return nullptr;
    }
    return std::unique_ptr<Server>(new Server(std::move(impl)));
}

int Server::postAdvise(std::string_view topic, std::string_view item)
{
    int sent = 0;
    // A copy: the callback may end conversations.
    const auto conversations = d->conversations;
    for (const auto& [id, conv] : conversations) {
        if (conv.topic != topic || !conv.advised.count(std::string(item)))
            continue;
        const auto data = d->callbacks.adviseRequest ? d->callbacks.adviseRequest(id, std::string(item))
                                                     : std::nullopt;
        if (!data)
            continue;
        QDBusMessage call = QDBusMessage::createMethodCall(conv.client, kClientPath, kClientInterface,
                                                           QStringLiteral("AdviseData"));
        call << qulonglong(id) << QString::fromStdString(std::string(item)) << toByteArray(*data);
        // Advise data is pushed in order without waiting for each acknowledgement.
        if (connection().send(call))
            ++sent;
    }
    return sent;
}

std::string Server::topicOf(ConversationId conversation) const
{
    const auto it = d->conversations.find(conversation);
    return it == d->conversations.end() ? std::string() : it->second.topic;
}

int Server::conversationCount() const
{
    return static_cast<int>(d->conversations.size());
}

// ---------------------------------------------------------------------------------------
// Client

struct Conversation::Impl {
    QString busName;
    QString serverUnique;
    QString path;
    std::uint64_t id = 0;
    std::unique_ptr<QObject> context;  // advise data is delivered on the connecting thread
    std::map<std::string, AdviseHandler> advise;
};

namespace {

// Conversations of this process by (server, conversation), for routing advise data.
std::mutex g_clientMutex;
std::map<std::pair<QString, std::uint64_t>, Conversation::Impl*> g_conversations;

using AdviseHandler = Conversation::AdviseHandler;

class ClientObject final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& conn) override
    {
        if (message.member() != QLatin1String("AdviseData") || message.signature() != QLatin1String("tsay"))
            return false;
        const QList<QVariant> args = message.arguments();
        const auto key = std::make_pair(message.service(), static_cast<std::uint64_t>(args[0].toULongLong()));
        const std::lock_guard lock(g_clientMutex);
        const auto it = g_conversations.find(key);
        if (it == g_conversations.end()) {
            conn.send(message.createReply(false));
            return true;
        }
        Conversation::Impl* impl = it->second;
        const std::string item = args[1].toString().toStdString();
        const std::string data = bytes(args[2]);
        QPointer<QObject> alive = impl->context.get();
        dispatchQueued(impl->context.get(), message, conn, [impl, alive, item, data, message] {
            bool ack = false;
            if (alive) {
                // A copy: the handler may end the conversation (and so itself) while it runs.
                const auto found = impl->advise.find(item);
                const AdviseHandler handler = found != impl->advise.end() ? found->second : AdviseHandler();
                ack = handler && handler(item, data);
            }
            return message.createReply(ack);
        });
        return true;
    }
    QString introspect(const QString&) const override
    {
        return QStringLiteral("<interface name=\"com.orvikan.Yorvane5.DDEClient\">"
                              "<method name=\"AdviseData\"><arg type=\"t\" direction=\"in\"/>"
                              "<arg type=\"s\" direction=\"in\"/><arg type=\"ay\" direction=\"in\"/>"
                              "<arg type=\"b\" direction=\"out\"/></method></interface>");
    }
};

// QtDBus hands the client object's calls to the thread it lives in, so it lives in a thread of
// its own that serves nothing else. Made on the thread of the first conversation, it stopped
// the advise data of every thread once that thread had ended, and held it while that thread
// waited. Neither is ever destroyed: the thread ends with the process.
bool ensureClientObject()
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        static QThread* const thread = new QThread;
        thread->setObjectName(QStringLiteral("dde-client"));
        thread->start();
        static ClientObject* const object = new ClientObject;
        object->moveToThread(thread);
        registered = connection().registerVirtualObject(kClientPath, object);
    });
    return registered;
}

QDBusMessage serverCall(const Conversation::Impl& impl, const QString& member)
{
    QDBusMessage call = QDBusMessage::createMethodCall(impl.serverUnique, impl.path, kServerInterface, member);
    call.setAutoStartService(false);
    call << qulonglong(impl.id);
    return call;
}

Status failureOf(const QDBusMessage& reply)
{
    return reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ? Status::TimedOut
                                                                                     : Status::Failed;
}

} // namespace

Conversation::Conversation(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{
}

Conversation::~Conversation()
{
    {
        const std::lock_guard lock(g_clientMutex);
        g_conversations.erase({d->serverUnique, d->id});
    }
    QDBusMessage call = serverCall(*d, QStringLiteral("Disconnect"));
    connection().call(call, QDBus::Block, 2000);
}

std::unique_ptr<Conversation> Conversation::connect(std::string_view service, std::string_view topic, int timeoutMs)
{
    if (!connection().isConnected() || !ensureClientObject())
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->busName = serviceBusName(service);
    impl->path = topicPath(service, topic);
    const auto owner = connection().interface()->serviceOwner(impl->busName);
    if (!owner.isValid())
        return nullptr;
    // The conversation stays with the process that accepted it, even if the name moves on.
    impl->serverUnique = owner.value();
    QDBusMessage call = QDBusMessage::createMethodCall(impl->serverUnique, impl->path, kServerInterface,
                                                       QStringLiteral("Connect"));
    call.setAutoStartService(false);
    call << QString::fromStdString(std::string(topic));
    const QDBusMessage reply = callAndWait(call, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return nullptr;
    impl->id = reply.arguments()[0].toULongLong();
    impl->context = std::make_unique<QObject>();
    {
        const std::lock_guard lock(g_clientMutex);
        g_conversations[{impl->serverUnique, impl->id}] = impl.get();
    }
    return std::unique_ptr<Conversation>(new Conversation(std::move(impl)));
}

std::unique_ptr<Conversation> Conversation::connectWithRetries(std::string_view service, std::string_view topic,
                                                               int attempts, int pauseMs)
{
    for (int i = 0; i < attempts; ++i) {
        if (auto conv = connect(service, topic))
            return conv;
        if (i + 1 < attempts)
            bus::waitServingEvents(pauseMs);
    }
    return nullptr;
}

Status Conversation::poke(std::string_view item, std::string_view data, int timeoutMs)
{
    QDBusMessage call = serverCall(*d, QStringLiteral("Poke"));
    call << QString::fromStdString(std::string(item)) << toByteArray(data);
    const QDBusMessage reply = callAndWait(call, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("u"))
        return failureOf(reply);
    return decode(reply.arguments()[0].toUInt());
}

bool Conversation::pokeAsync(std::string_view item, std::string_view data)
{
    QDBusMessage call = serverCall(*d, QStringLiteral("Poke"));
    call << QString::fromStdString(std::string(item)) << toByteArray(data);
    return connection().send(call);
}

std::optional<std::string> Conversation::request(std::string_view item, int timeoutMs, Status* status)
{
    QDBusMessage call = serverCall(*d, QStringLiteral("Request"));
    call << QString::fromStdString(std::string(item));
    const QDBusMessage reply = callAndWait(call, timeoutMs);
    Status result = failureOf(reply);
    std::optional<std::string> data;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("uay")) {
        result = decode(reply.arguments()[0].toUInt());
        if (result == Status::Ack)
            data = bytes(reply.arguments()[1]);
    }
    if (status)
        *status = result;
    return data;
}

bool Conversation::startAdvise(std::string_view item, AdviseHandler handler, int timeoutMs)
{
    const std::string key(item);
    d->advise[key] = std::move(handler);
    QDBusMessage call = serverCall(*d, QStringLiteral("AdviseStart"));
    call << QString::fromStdString(key);
    const QDBusMessage reply = callAndWait(call, timeoutMs);
    const bool accepted = reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("b") &&
                          reply.arguments()[0].toBool();
    if (!accepted)
        d->advise.erase(key);
    return accepted;
}

void Conversation::stopAdvise(std::string_view item, int timeoutMs)
{
    QDBusMessage call = serverCall(*d, QStringLiteral("AdviseStop"));
    call << QString::fromStdString(std::string(item));
    callAndWait(call, timeoutMs);
    d->advise.erase(std::string(item));
}

std::vector<ServiceTopic> wildConnect(std::string_view service, std::string_view topic)
{
    std::vector<ServiceTopic> pairs;
    QStringList names;
    if (!service.empty()) {
        names << serviceBusName(service);
    } else {
        const auto all = connection().interface()->registeredServiceNames();
        const QString prefix = QString::fromStdString(namePrefix()) + QStringLiteral(".DDE.");
        if (all.isValid()) {
            for (const QString& name : all.value()) {
                if (name.startsWith(prefix))
                    names << name;
            }
        }
    }
    const QString prefix = QString::fromStdString(namePrefix()) + QStringLiteral(".DDE.");
    for (const QString& name : names) {
        QDBusMessage call = QDBusMessage::createMethodCall(name, QStringLiteral("/dde/") + name.mid(prefix.size()),
                                                           kServerInterface, QStringLiteral("WildConnect"));
        call.setAutoStartService(false);
        call << QString::fromStdString(std::string(topic));
        const QDBusMessage reply = callAndWait(call, 3000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("sas"))
            continue;
        const std::string serviceName = reply.arguments()[0].toString().toStdString();
        for (const QString& t : reply.arguments()[1].toStringList())
            pairs.push_back({serviceName, t.toStdString()});
    }
    return pairs;
}

} // namespace yv::dde
