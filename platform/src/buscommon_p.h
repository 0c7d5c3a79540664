// Internal pieces shared by window messages and DDE over the session bus.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <functional>
#include <string>
#include <string_view>

namespace yv::bus::Internal {

// A bus-name element made of what the bus allows ([A-Za-z0-9_], no leading digit).
std::string mangle(std::string_view s);
// "com.orvikan.Yorvane5", or with ".i<instance>" for an isolated instance.
std::string namePrefix();

QDBusConnection connection();
// Sends `call` and waits for its reply (an error reply when none came within `timeoutMs`).
// The GUI thread keeps serving its windows while it waits, as a window thread does while it
// sends; other threads simply block.
QDBusMessage callAndWait(const QDBusMessage& call, int timeoutMs);
// A round trip to the bus daemon: everything sent before has been routed when it returns.
void flush();
bool nameHasOwner(const QString& name);

// Runs `work` on the thread of `context` from its event loop and sends the reply `work`
// returns (an invalid message sends none). Handlers thus run where their objects live, may
// run nested loops, and may destroy the object that received the call.
void dispatchQueued(QObject* context, const QDBusMessage& message, const QDBusConnection& conn,
                    std::function<QDBusMessage()> work);

} // namespace yv::bus::Internal
