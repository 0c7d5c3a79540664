// The engine program's service: its window class, its DDE topics and a worker that runs the
// translation jobs one after another.
#pragma once

#include <engine/translator.h>

#include <platform/dde.h>

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace yv::engineapp {

// Where the dictionary data comes from, and the options of the settings store.
std::filesystem::path edictPath();
engine::Options loadOptions(engine::Direction direction);
// Loads the translator; nothing (and a message on standard error) when it cannot.
std::shared_ptr<const engine::Translator> loadTranslator();

class EngineServer final {
public:
    explicit EngineServer(engine::Direction direction);
    ~EngineServer();
    EngineServer(const EngineServer&) = delete;
    EngineServer& operator=(const EngineServer&) = delete;

    // False when the service is already served or the session bus is missing.
    bool start();

private:
    struct Job {
        dde::ConversationId conversation = 0;
        std::string topic;
        std::string request;
        std::shared_ptr<std::atomic<bool>> stop;
    };
    struct ConversationState {
        std::deque<std::string> outbox;
        std::string lookUp;
        std::shared_ptr<std::atomic<bool>> stop;
    };

    dde::Status poke(dde::ConversationId conversation, const std::string& item, const std::string& data);
    dde::Status pokeDictionary(dde::ConversationId conversation, const std::string& item, const std::string& data);
    void run();
    void runJob(const Job& job, const engine::Translator& translator);
    // From the worker: hands one answer to the conversation on the service's thread, unless
    // the conversation has moved on to another job since (`job` is that job's stop flag).
    void deliver(dde::ConversationId conversation, const std::shared_ptr<std::atomic<bool>>& job, std::string answer);
    std::shared_ptr<const engine::Translator> translator();

    engine::Direction m_direction;
    engine::Options m_options;
    QObject m_context;
    std::unique_ptr<dde::Server> m_server;
    std::map<dde::ConversationId, ConversationState> m_conversations;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::shared_ptr<const engine::Translator> m_translator;
    bool m_loaded = false;
    bool m_quit = false;
    std::thread m_worker;
};

} // namespace yv::engineapp
