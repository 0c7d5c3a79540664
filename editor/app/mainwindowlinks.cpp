// The editor window's links to the other programs: messages it receives, hand-overs it takes
// and gives, the CD-ROM viewer's search service and the return to the sending program.
#include "mainwindow.h"

#include "speech.h"

#include <HandOver.h>
#include <Messages.h>
#include <editorcore/messages.h>
#include <editorcore/outgoing.h>
#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/messagebox.h>
#include <platform/process.h>
#include <platform/qtwindow.h>

#include <QGuiApplication>
#include <QTimer>

#include <string>

namespace yv::trans {

namespace {

constexpr const char* kSaveDocumentPrompt = "ﾄﾞｷｭﾒﾝﾄを保存しますか？";

// Connecting to and poking the CD-ROM viewer's search service.
constexpr int kLexdiscConnectAttempts = 10;
constexpr int kLexdiscConnectPauseMs = 500;
constexpr int kLexdiscPokeTimeoutMs = 3000;

} // namespace

std::int64_t CMainFrame::handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case messages::kDirectionChanged:
        updateDirectionDisplay();
        return 0;
    case messages::kComeToFront:
        window::comeToFront(this);
        return 1;
    case messages::kHandOver:
        return handOver(wParam, lParam, true) ? 1 : 0;
    case messages::kHandOverNew:
        return handOver(wParam, lParam, false) ? 1 : 0;
    case messages::kWmClose:
        // As the close button: the save prompt first, after the sender has its answer.
        QTimer::singleShot(0, this, &QWidget::close);
        return 0;
    case messages::kSpeechSetup:
        m_speech->handleSetupRequest(wParam);
        return 0;
    default:
        return 0;
    }
}

bool CMainFrame::returnToSender()
{
    return handover::returnTo(static_cast<bus::WindowHandle>(m_returnWindow));
}

void CMainFrame::dictionarySearch() { handSelectionTo(messages::kDictClass, messages::kDictProgram); }

void CMainFrame::exampleSearch() { handSelectionTo(messages::kSampleClass, messages::kSampleProgram); }

void CMainFrame::handSelectionTo(std::string_view windowClass, std::string_view program)
{
    const handover::Target target = handover::locate(windowClass, program);
    if (!target.window) {
        editor::messages::warn(handover::startFailureMessage(target, program));
        return;
    }
    // A box that was already open is raised; one just started comes up by itself.
    if (target.wasRunning)
        bus::sendMessage(windowClass, messages::kComeToFront, 0, 0);
    const std::string text = activeView().pane().selectionText();
    if (text.empty())
        return;
    if (handover::sendText(windowClass, text, messages::kHandOver, 0) == handover::Result::TooLong)
        editor::messages::warn(editor::messages::kHandOverTooLong);
}

void CMainFrame::fileTranslation()
{
    if (bus::sendMessage(messages::kFileClass, messages::kComeToFront, 0, 0))
        return;
    startOutsideProgram(messages::kFileProgram);
}

bool CMainFrame::cdRomSearch()
{
    const handover::Target target = handover::locate(messages::kLexdiscClass, messages::kLexdiscProgram);
    if (!target.window) {
        editor::messages::warn(handover::startFailureMessage(target, messages::kLexdiscProgram));
        return false;
    }
    handover::bringToFront(messages::kLexdiscClass, *target.window);
    const std::string term = editor::cleanCdRomSearchTerm(activeView().pane().selectionText());
    if (term.empty())
        return false;
    if (!dde::available()) {
        editor::messages::warn(editor::messages::kCannotConnectLexdisc);
        return false;
    }
    const std::string poke = editor::cdRomSearchPoke(term, windowHandle());
    const auto conversation = dde::Conversation::connectWithRetries(messages::kLexdiscService, messages::kLexdiscTopic,
                                                                     kLexdiscConnectAttempts, kLexdiscConnectPauseMs);
    if (!conversation)
        return false;
    std::string data = poke;
    data.push_back('\0');
    return conversation->poke(messages::kLexdiscItem, data, kLexdiscPokeTimeoutMs) == dde::Status::Ack;
}

void CMainFrame::startOutsideProgram(std::string_view program)
{
    if (!process::startProgram(program))
        editor::messages::warn(handover::startFailureMessage({.window = std::nullopt, .wasRunning = false, .programMissing = true}, program));
}

std::uint64_t CMainFrame::windowHandle() const
{
    if (m_windowHandle != 0)
        return m_windowHandle;
    return QGuiApplication::platformName() == QLatin1String("xcb") ? static_cast<std::uint64_t>(winId()) : 0;
}

bool CMainFrame::handOver(std::uint64_t length, std::int64_t returnWindow, bool intoDocument)
{
    if (engineBusy() || m_flow->runActive())
        return false;
    const std::optional<std::string> text = handover::receiveText(length);
    if (!text)
        return false;
    if (intoDocument) {
        // The hot key's road: only a document of its own file is offered for saving.
        if (!m_doc->path().empty() && m_doc->modified) {
            const int answer = msgbox::show(0, msgbox::YesNoCancel | msgbox::IconQuestion, kSaveDocumentPrompt);
            if (answer == msgbox::IdCancel || (answer == msgbox::IdYes && !m_doc->writeTts(m_doc->path())))
                return false;
        }
    } else if (!m_doc->promptToSave(saveAsDialog, false)) {
        return false;
    }
    m_doc->newDocument();
    updateCaption();
    m_doc->source().insertFromOutside(*text);
    refreshViews();
    m_returnWindow = static_cast<std::uint64_t>(returnWindow);
    window::comeToFront(this);
    translate();
    return true;
}

} // namespace yv::trans
