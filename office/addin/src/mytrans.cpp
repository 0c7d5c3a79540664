// The request flow of the add-in over the engines' DDE service.
#include "mytrans.h"

#include <EngineProtocol.h>
#include <Etc.h>

#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/dde.h>
#include <platform/messagebox.h>
#include <platform/paths.h>
#include <platform/process.h>

#include <QClipboard>
#include <QGuiApplication>

#include <fstream>
#include <memory>
#include <system_error>

namespace yv::addin {

namespace {

namespace proto = yv::engineprotocol;

constexpr const char* kDirectionValue = "翻訳方向";
constexpr const char* kEndCheckValue = "AddinEndCheck";

// Looking for a freshly started engine's window: a first pause, then three more looks.
constexpr int kStartPauseMs = 300;
constexpr int kStartLooks = 3;
constexpr int kConnectAttempts = 30;
constexpr int kConnectPauseMs = 500;
constexpr int kAdviseTimeoutMs = 5000;
// How often the wait looks whether the engine is still there.
constexpr int kEngineCheckMs = 200;
constexpr int kServeSliceMs = 10;

void anchor() {}

struct Engine {
    std::string_view service;
    std::string_view windowClass;
    std::string_view program;
};

Engine engineOf(int direction)
{
    if (direction == DIRECTION_JE)
        return {proto::kServiceJE, proto::kWindowClassJE, proto::kProgramJE};
    return {proto::kServiceEJ, proto::kWindowClassEJ, proto::kProgramEJ};
}

int directionOf(const CMyTrans& request)
{
    const std::uint32_t stored = GetRegDWORD(HKEY_CURRENT_USER, nullptr, kDirectionValue, DIRECTION_AUTO);
    if (stored == DIRECTION_EJ || stored == DIRECTION_JE)
        return static_cast<int>(stored);
    if (request.kind == RequestKind::Text)
        return textDirection(request.text);
    // A file that cannot be read counts as English.
    return GetTxtFileDirection(request.source.string().c_str()) == DIRECTION_JE ? DIRECTION_JE : DIRECTION_EJ;
}

// Starts the engine program when its window is missing, and gives it a moment to appear.
void startEngineIfMissing(const Engine& engine)
{
    if (bus::findWindow(engine.windowClass))
        return;
    const std::filesystem::path dir = addInDir();
    std::error_code error;
    if (!std::filesystem::exists(dir / process::programFileName(engine.program), error))
        return;
    process::startProgramIn(dir, engine.program);
    bus::waitServingEvents(kStartPauseMs);
    for (int look = 0; look < kStartLooks && !bus::findWindow(engine.windowClass); ++look)
        bus::waitServingEvents(kStartPauseMs);
}

void removeFile(const std::filesystem::path& path)
{
    if (path.empty())
        return;
    std::error_code error;
    std::filesystem::remove(path, error);
}

std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Asks the engine to stop its running job, on a conversation of its own.
void stopEngine(const Engine& engine)
{
    auto stop = dde::Conversation::connect(engine.service, proto::kTopicStop);
    if (!stop)
        return;
    stop->startAdvise(proto::kItemExec, [](const std::string&, const std::string&) { return true; },
                      kAdviseTimeoutMs);
    stop->poke(proto::kItemExec, std::string(1, '\0'), kAdviseTimeoutMs);
}

} // namespace

std::filesystem::path addInDir()
{
    return paths::moduleDir(reinterpret_cast<const void*>(&anchor));
}

Outcome CMyTrans::DoTranslate(RequestView& view)
{
    m_clipboardText.clear();
    const Engine engine = engineOf(directionOf(*this));
    view.showProgress();

    const auto finish = [&](Outcome outcome) {
        view.closeProgress();
        removeFile(source);
        if (outcome != Outcome::Done)
            removeFile(result);
        if (outcome == Outcome::NoEngine)
            msgbox::show(0, msgbox::Ok | msgbox::IconExclamation, kConnectFailedMessage, "");
        return outcome;
    };

    startEngineIfMissing(engine);
    const std::string_view topic = topicOf(kind);
    std::unique_ptr<dde::Conversation> conversation;
    for (int attempt = 0; attempt < kConnectAttempts && !conversation; ++attempt) {
        conversation = dde::Conversation::connect(engine.service, topic);
        if (!conversation) {
            if (view.cancelRequested())
                return finish(Outcome::Cancelled);
            bus::waitServingEvents(kConnectPauseMs);
        }
    }
    if (!conversation)
        return finish(Outcome::NoEngine);

    bool done = false;
    std::string answer;
    const RequestKind requestKind = kind;
    const bool advised = conversation->startAdvise(
        proto::kItemExec,
        [&](const std::string&, const std::string& data) {
            if (requestKind == RequestKind::Text) {
                view.setProgress(100);
                answer = std::string(dde::textOf(data));
                done = true;
                return true;
            }
            const FileJobAnswer progress = readFileJobAnswer(data);
            if (progress.ended)
                done = true;
            else if (progress.percent)
                view.setProgress(*progress.percent);
            return true;
        },
        kAdviseTimeoutMs);
    if (!advised || !conversation->pokeAsync(proto::kItemExec, requestData(kind, text, source.string(), result.string())))
        return finish(Outcome::NoEngine);

    // An engine that ends or crashes mid-job never answers: its window going away ends the wait.
    int sinceCheck = 0;
    while (!done && !view.cancelRequested()) {
        bus::waitServingEvents(kServeSliceMs);
        sinceCheck += kServeSliceMs;
        if (sinceCheck >= kEngineCheckMs && !done) {
            sinceCheck = 0;
            if (!bus::findWindow(engine.windowClass))
                break;
        }
    }
    if (!done && view.cancelRequested()) {
        stopEngine(engine);
        conversation.reset();
        return finish(Outcome::Cancelled);
    }
    conversation.reset();
    if (!done)
        return finish(Outcome::NoEngine);

    if (kind == RequestKind::Text) {
        m_clipboardText = codec::cp932ToUtf8(clipboardTextOfTranslation(answer));
    } else {
        const std::string bytes = readWholeFile(result);
        m_clipboardText = clipboardTextOfFile(codec::toUtf8(bytes, codec::detectEncoding(bytes)));
    }
    finish(Outcome::Done);
    removeFile(result);
    if (toClipboard) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(m_clipboardText));
        if (kind != RequestKind::Text || last)
            showFinishedNote(view);
    }
    return Outcome::Done;
}

void showFinishedNote(RequestView& view)
{
    if (GetRegDWORD(HKEY_CURRENT_USER, nullptr, kEndCheckValue, 0) != 0)
        return;
    if (view.showFinishedNote())
        SetRegDWORD(HKEY_CURRENT_USER, nullptr, kEndCheckValue, 1);
}

} // namespace yv::addin
