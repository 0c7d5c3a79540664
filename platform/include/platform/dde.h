// Dynamic data exchange between programs, carried by the session bus: services with topics,
// conversations, pokes, requests and advise loops, with a callback model close to DDEML's.
//
// A service S owns the bus name com.orvikan.Yorvane5[.i<instance>].DDE.<S>; its topics are
// object paths under /topics. Data travels as bytes, exactly as given (CF_TEXT data usually
// carries its terminating NUL).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::dde {

// A poke's or a transaction's outcome, as the server's acknowledgement flags tell it.
enum class Status { Ack, Busy, NotProcessed, TimedOut, Failed };

struct ServiceTopic {
    std::string service;
    std::string topic;
};

// Whether this process can take part in exchanges (the session bus is reachable).
bool available();

// The text of CF_TEXT data: up to its first NUL.
std::string_view textOf(std::string_view data);

using ConversationId = std::uint64_t;

// The server side. Callbacks run on the thread that registered the service, from its event
// loop; a callback left empty refuses (connect, advise) or does not process (poke, request).
// Each names the conversation, so that a server can keep per-conversation state.
class Server final {
public:
    struct Callbacks {
        std::function<bool(ConversationId, const std::string& topic)> connect;
        // The conversation ended (the client disconnected or left the bus).
        std::function<void(ConversationId)> disconnect;
        std::function<Status(ConversationId, const std::string& item, const std::string& data)> poke;
        std::function<std::optional<std::string>(ConversationId, const std::string& item)> request;
        std::function<bool(ConversationId, const std::string& item)> adviseStart;
        std::function<void(ConversationId, const std::string& item)> adviseStop;
        // The data of an advised item for one conversation, asked by postAdvise; nothing
        // skips that conversation.
        std::function<std::optional<std::string>(ConversationId, const std::string& item)> adviseRequest;
        // The topics offered to wildcard connects.
        std::vector<std::string> topics;
    };

    // Null when the service is already registered by someone else or the bus is missing.
    static std::unique_ptr<Server> registerService(std::string_view service, Callbacks callbacks);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Sends the item's data to every conversation on the topic advising it; returns how many.
    int postAdvise(std::string_view topic, std::string_view item);
    // The topic of an open conversation ("" when there is none).
    std::string topicOf(ConversationId conversation) const;
    // Open conversations (for tests and diagnostics).
    int conversationCount() const;

    struct Impl;

private:
    explicit Server(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// The client side: one conversation with a service on a topic.
class Conversation final {
public:
    // One attempt; null when no such service accepts the topic.
    static std::unique_ptr<Conversation> connect(std::string_view service, std::string_view topic,
                                                 int timeoutMs = 3000);
    // Tries `attempts` times with `pauseMs` between, serving this thread's events meanwhile.
    static std::unique_ptr<Conversation> connectWithRetries(std::string_view service, std::string_view topic,
                                                            int attempts, int pauseMs);
    ~Conversation();  // disconnects
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    Status poke(std::string_view item, std::string_view data, int timeoutMs);
    // Pokes without waiting for the answer.
    bool pokeAsync(std::string_view item, std::string_view data);
    std::optional<std::string> request(std::string_view item, int timeoutMs, Status* status = nullptr);

    // Advise data arrives on this thread from its event loop; the handler's answer is the
    // acknowledgement.
    using AdviseHandler = std::function<bool(const std::string& item, const std::string& data)>;
    bool startAdvise(std::string_view item, AdviseHandler handler, int timeoutMs);
    void stopAdvise(std::string_view item, int timeoutMs);

    struct Impl;

private:
    explicit Conversation(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// A wildcard connect: every registered service (or the one named) with every topic it offers
// (or the one named).
std::vector<ServiceTopic> wildConnect(std::string_view service = {}, std::string_view topic = {});

} // namespace yv::dde
