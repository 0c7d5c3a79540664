// The engines, kanaconv and the converter behind the run's files.
#include "enginehost.h"

#include <EngineLink.h>
#include <Etc.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <docmorph.h>

#include <platform/bus.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

// The outside converter of Japanese codings (kanaconv).
extern "C" int JisEucToSjis(const char* source, const char* target);

namespace yv::filebox {

namespace {

// How often a waiting file looks whether its engine still exists.
constexpr int kEngineCheckMs = 500;
// How long a stopped file waits for the engine's end mark; a job that the stop caught before
// it began may never send one.
constexpr int kStopWaitMs = 3000;

// The Office version of a kind: found, or chosen in the settings (97, 2000, 2002, 2003, 2007).
int officeVersion(std::uint32_t automatic, std::uint16_t id, int (*find)())
{
    static constexpr int kVersions[] = {97, 2000, 2002, 2003, 2007};
    if (automatic)
        return find();
    return id < std::size(kVersions) ? kVersions[id] : 0;
}

} // namespace

JobMessages::JobMessages() : m_previous(msgbox::setPresenter(this)) {}

JobMessages::~JobMessages()
{
    msgbox::setPresenter(m_previous);
}

int JobMessages::show(std::uint64_t owner, unsigned style, std::string_view text, std::string_view caption)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_collecting && std::this_thread::get_id() == m_thread) {
            m_last = std::string(text);
            return msgbox::defaultAnswer(style);
        }
    }
    if (m_previous)
        return m_previous->show(owner, style, text, caption);
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return msgbox::defaultAnswer(style);
}

void JobMessages::collect()
{
    const std::lock_guard lock(m_mutex);
    m_thread = std::this_thread::get_id();
    m_collecting = true;
    m_last.clear();
}

std::string JobMessages::take()
{
    const std::lock_guard lock(m_mutex);
    m_collecting = false;
    return std::move(m_last);
}

EngineHost::EngineHost(std::uint64_t notify, JobMessages& messages) : m_notify(notify), m_messages(messages) {}

EngineHost::~EngineHost()
{
    for (CEngineLink* l : {m_je.get(), m_ej.get()}) {
        if (l) {
            l->SetCallback(nullptr, nullptr);
            l->TransStop();
        }
    }
}

FileResult EngineHost::translate(const Job& job, int direction)
{
    m_currentJob = job.id;
    TraceLine("TransOneFile()\n");
    return translateFile(*this, job, direction);
}

void EngineHost::requestStop(std::uint64_t upTo)
{
    if (upTo > m_stopUpTo)
        m_stopUpTo = upTo;
    if (stopRequested())
        docmorph_stop(1);
}

bool EngineHost::engineBusy()
{
    return blocks::readFlag(blocks::EngineBusy) != 0;
}

void EngineHost::setEngineBusy(bool busy)
{
    blocks::setFlag(blocks::EngineBusy, busy ? 1 : 0);
}

int EngineHost::textDirection(const std::string& path)
{
    return GetTxtFileDirection(path.c_str());
}

int EngineHost::htmlDirection(const std::string& path)
{
    return GetHtmlFileDirection(path.c_str());
}

std::optional<std::string> EngineHost::tempFile(const char* extension)
{
    char name[ETC_MAX_PATH];
    if (!TempFileName(extension, name))
        return std::nullopt;
    return std::string(name);
}

bool EngineHost::toShiftJis(const std::string& source, const std::string& target)
{
    return JisEucToSjis(source.c_str(), target.c_str()) != 0;
}

CEngineLink& EngineHost::link(int direction)
{
    std::unique_ptr<CEngineLink>& l = direction == DIRECTION_JE ? m_je : m_ej;
    if (!l) {
        if (direction == DIRECTION_JE)
            l = std::make_unique<CEngineLink_JE>();
        else
            l = std::make_unique<CEngineLink_EJ>();
        l->Init(nullptr);
    }
    return *l;
}

int EngineHost::engineCallback(const char* result, void* context)
{
    auto* host = static_cast<EngineHost*>(context);
    if (!result || !host)
        return 0;
    if (std::strcmp(result, "end") == 0)
        host->m_done = true;
    else if (host->onProgress)
        host->onProgress(std::atoi(result));
    return 0;
}

EngineEnd EngineHost::runEngine(Kind kind, int direction, const std::string& source, const std::string& output)
{
    CEngineLink& engine = link(direction);
    engine.SetCallback(engineCallback, this);
    m_done = false;
    m_messages.collect();
    const int started = kind == Kind::Html ? engine.TransStartHTML(source.c_str(), output.c_str())
                                           : engine.TransStartTEXT(source.c_str(), output.c_str());
    m_messages.take();
    if (!started)
        return EngineEnd::NotStarted;
    const std::string_view engineClass = direction == DIRECTION_JE ? messages::kEngineJeClass : messages::kEngineEjClass;
    // The timer wakes the loop, so that a stop and a vanished engine are seen while nothing
    // else happens.
    QEventLoop loop;
    QTimer tick;
    tick.start(100);
    QElapsedTimer sinceCheck;
    sinceCheck.start();
    bool told = false;
    QElapsedTimer sinceStop;
    while (!m_done) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
        if (stopRequested() && !told) {
            engine.TransStop();
            told = true;
            sinceStop.start();
        }
        if (told && !m_done && sinceStop.elapsed() >= kStopWaitMs)
            return EngineEnd::Stopped;
        if (!m_done && sinceCheck.elapsed() >= kEngineCheckMs) {
            sinceCheck.restart();
            if (!bus::findWindow(engineClass))
                return EngineEnd::EngineGone;
        }
    }
    return stopRequested() ? EngineEnd::Stopped : EngineEnd::Done;
}

bool EngineHost::runOffice(const std::string& source, const std::string& output, int direction, std::string& message)
{
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    const int word = officeVersion(soft.docAuto, soft.docId, AutoFindDoc);
    const int presentation = officeVersion(soft.pptAuto, soft.pptId, AutoFindPpt);
    const int workbook = officeVersion(soft.xlsAuto, soft.xlsId, AutoFindXls);
    m_messages.collect();
    const int result = ::docmorph(m_notify, source.c_str(), output.c_str(), direction, word, presentation, workbook);
    message = m_messages.take();
    return result != 0;
}

} // namespace yv::filebox
