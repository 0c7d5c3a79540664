// The engine program's DDE service and job worker.
#include "engineserver.h"

#include "registrationdialog.h"

#include <EngineProtocol.h>
#include <Etc.h>

#include <platform/paths.h>

#include <QMetaObject>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace yv::engineapp {

namespace proto = yv::engineprotocol;

namespace {

constexpr const char* kDefaultEdict = "/usr/share/edict/edict";
constexpr int kUserDictionaries = 6;

std::vector<std::string> splitTabs(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string engineText(const char* subkey, const char* name, const char* def, int direction)
{
    char buffer[ETC_MAX_PATH];
    GetRegStr_Engine(0, subkey, name, buffer, sizeof buffer, def, direction);
    return buffer;
}

} // namespace

std::filesystem::path edictPath()
{
    if (const char* path = std::getenv("YORVANE_EDICT"))
        return path;
    return kDefaultEdict;
}

engine::Options loadOptions(engine::Direction direction)
{
    engine::Options options;
    options.translateYou = engineText("RELAYER/EJ", "YOU", "ON", DIRECTION_EJ) != "OFF";
    options.subject = engineText("RELAYER/JE", "SUBJ", "it", DIRECTION_JE);
    options.politeStyle = engineText("RELAYER/EJ", "TSTYLE", "DEARU", DIRECTION_EJ) == "DESUMASU";
    options.imperative = engineText("RELAYER/EJ", "IMP", "NASAI", DIRECTION_EJ);
    const int dir = direction == engine::Direction::EJ ? DIRECTION_EJ : DIRECTION_JE;
    const char* subkey = dir == DIRECTION_EJ ? "RELAYER/EJ" : "RELAYER/JE";
    for (int i = 1; i <= kUserDictionaries; ++i) {
        const std::string name = "DIC" + std::to_string(i);
        const std::string path = engineText(subkey, name.c_str(), "", dir);
        if (!path.empty())
            options.userDictionaries.emplace_back(path);
    }
    return options;
}

std::shared_ptr<const engine::Translator> loadTranslator()
{
    std::string error;
    std::shared_ptr<const engine::Translator> translator =
        engine::Translator::load(edictPath(), paths::userCacheDir(), &error);
    if (!translator)
        std::fprintf(stderr, "translation engine: %s\n", error.c_str());
    return translator;
}

EngineServer::EngineServer(engine::Direction direction)
    : m_direction(direction)
    , m_options(loadOptions(direction))
{
}

EngineServer::~EngineServer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        for (Job& job : m_jobs)
            job.stop->store(true);
        for (auto& [id, state] : m_conversations)
            state.stop->store(true);
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    m_server.reset();
}

bool EngineServer::start()
{
    dde::Server::Callbacks callbacks;
    callbacks.topics = {std::string(proto::kTopicText), std::string(proto::kTopicTextFile),
                        std::string(proto::kTopicHtmlFile), std::string(proto::kTopicStop),
                        std::string(proto::kTopicBlocks), std::string(proto::kTopicDictionary)};
    callbacks.connect = [this](dde::ConversationId id, const std::string& topic) {
        for (const std::string& t : {std::string(proto::kTopicText), std::string(proto::kTopicTextFile),
                                     std::string(proto::kTopicHtmlFile), std::string(proto::kTopicStop),
                                     std::string(proto::kTopicBlocks), std::string(proto::kTopicDictionary)}) {
            if (t == topic) {
                m_conversations[id].stop = std::make_shared<std::atomic<bool>>(false);
                return true;
            }
        }
        return false;
    };
    callbacks.disconnect = [this](dde::ConversationId id) {
        const auto it = m_conversations.find(id);
        if (it != m_conversations.end()) {
            it->second.stop->store(true);
            m_conversations.erase(it);
        }
    };
    callbacks.poke = [this](dde::ConversationId id, const std::string& item, const std::string& data) {
        return poke(id, item, data);
    };
    callbacks.request = [this](dde::ConversationId id, const std::string& item) -> std::optional<std::string> {
        const auto it = m_conversations.find(id);
        if (it == m_conversations.end() || item != proto::kItemDicRead)
            return std::nullopt;
        return it->second.lookUp + std::string(1, '\0');
    };
    callbacks.adviseStart = [](dde::ConversationId, const std::string& item) { return item == proto::kItemExec; };
    callbacks.adviseRequest = [this](dde::ConversationId id, const std::string&) -> std::optional<std::string> {
        const auto it = m_conversations.find(id);
        if (it == m_conversations.end() || it->second.outbox.empty())
            return std::nullopt;
        std::string answer = std::move(it->second.outbox.front());
        it->second.outbox.pop_front();
        answer.push_back('\0');
        return answer;
    };
    m_server = dde::Server::registerService(m_direction == engine::Direction::EJ ? proto::kServiceEJ
                                                                                  : proto::kServiceJE,
                                            std::move(callbacks));
    if (!m_server)
        return false;
    m_worker = std::thread([this] { run(); });
    return true;
}

dde::Status EngineServer::poke(dde::ConversationId id, const std::string& item, const std::string& data)
{
    const std::string topic = m_server->topicOf(id);
    const auto state = m_conversations.find(id);
    if (state == m_conversations.end())
        return dde::Status::NotProcessed;
    if (topic == proto::kTopicStop) {
        const std::lock_guard lock(m_mutex);
        for (Job& job : m_jobs)
            job.stop->store(true);
        for (auto& [other, s] : m_conversations)
            s.stop->store(true);
        return dde::Status::Ack;
    }
    if (topic == proto::kTopicDictionary)
        return pokeDictionary(id, item, data);
    if (item != proto::kItemExec)
        return dde::Status::NotProcessed;
    // A new request on a conversation replaces its earlier one.
    state->second.stop->store(true);
    state->second.stop = std::make_shared<std::atomic<bool>>(false);
    state->second.outbox.clear();
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{id, topic, std::string(dde::textOf(data)), state->second.stop});
    }
    m_wake.notify_one();
    return dde::Status::Ack;
}

dde::Status EngineServer::pokeDictionary(dde::ConversationId id, const std::string& item, const std::string& data)
{
    const std::vector<std::string> fields = splitTabs(std::string(dde::textOf(data)));
    if (item == proto::kItemDicInit)
        return engine::userdic::create(fields[0]) ? dde::Status::Ack : dde::Status::NotProcessed;
    if (item == proto::kItemDicEdit) {
        if (fields.size() < 2 || fields[1].empty())
            return dde::Status::NotProcessed;
        auto* dialog = new RegistrationDialog(fields[0], fields[1], m_direction == engine::Direction::JE);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
        return dde::Status::Ack;
    }
    if (item == proto::kItemDicRead) {
        const auto t = translator();
        if (!t)
            return dde::Status::NotProcessed;
        m_conversations[id].lookUp = t->lookUp(fields[0], m_direction, m_options);
        return dde::Status::Ack;
    }
    return dde::Status::NotProcessed;
}

std::shared_ptr<const engine::Translator> EngineServer::translator()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_loaded || m_quit; });
    return m_translator;
}

void EngineServer::run()
{
    auto loaded = loadTranslator();
    {
        const std::lock_guard lock(m_mutex);
        m_translator = loaded;
        m_loaded = true;
    }
    m_wake.notify_all();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        if (!m_translator) {
            deliver(job.conversation, job.stop,
                 job.topic == proto::kTopicBlocks ? std::string(proto::kEndOfText) : std::string(proto::kEndOfFile));
            continue;
        }
        runJob(job, *m_translator);
    }
}

void EngineServer::runJob(const Job& job, const engine::Translator& translator)
{
    const auto sink = [this, &job](const std::string& answer) { deliver(job.conversation, job.stop, answer); };
    if (job.topic == proto::kTopicBlocks) {
        translator.translateText(job.request, m_direction, m_options, sink, *job.stop);
        return;
    }
    if (job.topic == proto::kTopicText) {
        deliver(job.conversation, job.stop, translator.translatePlain(job.request, m_direction, m_options));
        return;
    }
    // File jobs: "source TAB target" (HTML adds two fixed fields). They end with "end",
    // even when the file cannot be read.
    const std::vector<std::string> fields = splitTabs(job.request);
    bool ended = false;
    const auto progress = [&](const std::string& answer) {
        ended = ended || answer == proto::kEndOfFile;
        deliver(job.conversation, job.stop, answer);
    };
    std::string error;
    if (fields.size() >= 2) {
        const bool ok = job.topic == proto::kTopicHtmlFile
                            ? translator.translateHtmlFile(fields[0], fields[1], m_direction, m_options, progress,
                                                           *job.stop, &error)
                            : translator.translateTextFile(fields[0], fields[1], m_direction, m_options, progress,
                                                           *job.stop, &error);
        if (!ok)
            std::fprintf(stderr, "translation engine: %s: %s\n", fields[0].c_str(), error.c_str());
    }
    if (!ended)
        deliver(job.conversation, job.stop, std::string(proto::kEndOfFile));
}

void EngineServer::deliver(dde::ConversationId id, const std::shared_ptr<std::atomic<bool>>& job, std::string answer)
{
    QMetaObject::invokeMethod(
        &m_context,
        [this, id, job, answer = std::move(answer)]() mutable {
            const auto it = m_conversations.find(id);
            if (it == m_conversations.end() || it->second.stop != job)
                return;
            it->second.outbox.push_back(std::move(answer));
            m_server->postAdvise(m_server->topicOf(id), proto::kItemExec);
        },
        Qt::QueuedConnection);
}

} // namespace yv::engineapp
