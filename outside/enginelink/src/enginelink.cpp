// The engine link over the engines' DDE service: finds or starts the engine program of its
// direction (from the link's own directory) and turns advise data into callbacks.
#include "EngineLink.h"

#include "EngineProtocol.h"

#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/paths.h>
#include <platform/process.h>

#include <QTimer>

#include <string>

namespace {

using namespace yv;
namespace proto = yv::engineprotocol;

// How long a link waits for an engine to answer (start-up included).
constexpr int kConnectAttempts = 50;
constexpr int kConnectPauseMs = 100;
constexpr int kPokeTimeoutMs = 10000;

void anchor() {}

} // namespace

struct CEngineLink::Impl {
    int direction = 1;
    Callback callback = nullptr;
    void* context = nullptr;
    // Shared so that a call in progress keeps its conversation alive when a callback served
    // during the call ends it (DC_TransSTR3, DC_DicRead).
    std::shared_ptr<dde::Conversation> job;
    std::shared_ptr<dde::Conversation> dictionary;
    // Callbacks queued for later must not outlive the link.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    bool ej() const { return direction == 1; }
    std::string_view service() const { return ej() ? proto::kServiceEJ : proto::kServiceJE; }
    std::string_view windowClass() const { return ej() ? proto::kWindowClassEJ : proto::kWindowClassJE; }

    // A conversation with the engine, starting its program when no engine window exists.
    std::unique_ptr<dde::Conversation> open(std::string_view topic)
    {
        if (auto conv = dde::Conversation::connect(service(), topic))
            return conv;
        if (!bus::findWindow(windowClass())) {
            const std::string_view program = ej() ? proto::kProgramEJ : proto::kProgramJE;
            if (!process::startProgramIn(paths::moduleDir(reinterpret_cast<const void*>(&anchor)), program))
                return nullptr;
        }
        return dde::Conversation::connectWithRetries(service(), topic, kConnectAttempts, kConnectPauseMs);
    }

    int startJob(std::string_view topic, const std::string& request)
    {
        job.reset();
        job = open(topic);
        const std::shared_ptr<dde::Conversation> conversation = job;
        if (!conversation)
            return 0;
        const bool advised = conversation->startAdvise(
            proto::kItemExec,
            [this](const std::string&, const std::string& data) {
                // Copies: the callback may end this job (DC_TransSTR3) or the link itself.
                const Callback cb = callback;
                void* const ctx = context;
                if (cb) {
                    const std::string text(dde::textOf(data));
                    cb(text.c_str(), ctx);
                }
                return true;
            },
            kPokeTimeoutMs);
        if (!advised || conversation->poke(proto::kItemExec, request, kPokeTimeoutMs) != dde::Status::Ack) {
            if (job == conversation)
                job.reset();
            return 0;
        }
        return 1;
    }

    std::shared_ptr<dde::Conversation> dictionaryConversation()
    {
        if (!dictionary)
            dictionary = open(proto::kTopicDictionary);
        return dictionary;
    }

    int pokeDictionary(std::string_view item, const std::string& data)
    {
        std::shared_ptr<dde::Conversation> conv = dictionaryConversation();
        if (!conv)
            return 0;
        dde::Status status = conv->poke(item, data, kPokeTimeoutMs);
        // An engine that ended since (new settings) answers nothing, or goes while the poke waits
        // (which reads as a time-out, but its window is gone too): talk to a fresh one.
        const bool engineGone = status == dde::Status::Failed ||
                                (status == dde::Status::TimedOut && !bus::findWindow(windowClass()));
        if (engineGone) {
            dictionary.reset();
            conv = dictionaryConversation();
            status = conv ? conv->poke(item, data, kPokeTimeoutMs) : dde::Status::Failed;
        }
        return status == dde::Status::Ack ? 1 : 0;
    }
};

namespace {

std::string withNul(std::string text)
{
    text.push_back('\0');
    return text;
}

std::string str(const char* s)
{
    return s ? std::string(s) : std::string();
}

} // namespace

CEngineLink::CEngineLink(int direction)
    : d(std::make_unique<Impl>())
{
    d->direction = direction;
}

CEngineLink::~CEngineLink()
{
    *d->alive = false;
}

CEngineLink_EJ::CEngineLink_EJ()
    : CEngineLink(1)
{
}

CEngineLink_JE::CEngineLink_JE()
    : CEngineLink(2)
{
}

int CEngineLink::Init(void*)
{
    return 1;
}

void CEngineLink::SetCallback(Callback callback, void* context)
{
    d->callback = callback;
    d->context = context;
}

int CEngineLink::TransStartSTR3(const char* text)
{
    return d->startJob(engineprotocol::kTopicBlocks, withNul(str(text)));
}

void CEngineLink::DC_TransSTR3()
{
    d->job.reset();
}

int CEngineLink::TransStartTEXT(const char* src, const char* dst)
{
    return d->startJob(engineprotocol::kTopicTextFile, withNul(str(src) + '\t' + str(dst)));
}

int CEngineLink::TransStartHTML(const char* src, const char* dst)
{
    return d->startJob(engineprotocol::kTopicHtmlFile, withNul(str(src) + '\t' + str(dst) + "\tvaskel\tJAPAN"));
}

void CEngineLink::TransStop()
{
    // Only a running engine has anything to stop: never start one for this.
    if (auto conv = dde::Conversation::connect(d->service(), engineprotocol::kTopicStop))
        conv->poke(engineprotocol::kItemExec, std::string(1, '\0'), kPokeTimeoutMs);
}

int CEngineLink::DicRead(const char* word, const char* mode)
{
    if (!d->pokeDictionary(engineprotocol::kItemDicRead, withNul(str(word) + '\t' + str(mode))))
        return 0;
    // The poke serves events while it waits; a callback in them may have ended the conversation.
    const std::shared_ptr<dde::Conversation> conversation = d->dictionary;
    if (!conversation)
        return 0;
    const auto result = conversation->request(engineprotocol::kItemDicRead, kPokeTimeoutMs);
    if (!result)
        return 0;
    // The entries arrive as a callback from the event loop, as the caller expects them.
    QTimer::singleShot(0, [alive = d->alive, cb = d->callback, ctx = d->context, text = std::string(dde::textOf(*result))] {
        if (*alive && cb)
            cb(text.c_str(), ctx);
    });
    return 1;
}

void CEngineLink::DC_DicRead()
{
    d->dictionary.reset();
}

int CEngineLink::DicEdit(const char* word, const char* dic)
{
    return d->pokeDictionary(engineprotocol::kItemDicEdit, withNul(str(word) + '\t' + str(dic)));
}

int CEngineLink::DicInit(const char* path)
{
    if (!path || !*path)
        return 0;
    return d->pokeDictionary(engineprotocol::kItemDicInit, withNul(path));
}

void CEngineLink::Close()
{
    d->job.reset();
    d->dictionary.reset();
}
