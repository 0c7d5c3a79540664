// The Etc exports that talk to other programs: engine reset, direction broadcast, trace lines.
#include "Etc.h"

#include "Messages.h"
#include "SharedBlocks.h"
#include "qtservice.h"

#include <platform/bus.h>
#include <platform/sharedmemory.h>

#include <QCoreApplication>
#include <QThread>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

using namespace yv;

constexpr std::string_view kTraceBlockName = "PSERVER_DATA";
constexpr std::size_t kTraceBlockSize = 65536;
// Long traces keep the program responsive: its events are served every so many lines.
constexpr unsigned kTraceLinesPerDispatch = 100;

constexpr std::array kDirectionListeners{messages::kTransClass, messages::kDictClass, messages::kFileClass,
                                         messages::kToolboxClass};

std::mutex g_traceMutex;
std::unique_ptr<shm::SharedBlock> g_traceBlock;
unsigned g_traceLines = 0;

} // namespace

extern "C" {

void ResetEngine(WindowHandle, int direction)
{
    const std::string_view engine = direction == DIRECTION_EJ ? messages::kEngineEjClass : messages::kEngineJeClass;
    if (direction == DIRECTION_EJ || direction == DIRECTION_JE)
        etc::runWithQt([&] { bus::postMessage(engine, messages::kWmClose, 0, 0); });
}

void PostDirectionChanged(int direction)
{
    SetRegDWORD(HKEY_CURRENT_USER, nullptr, "翻訳方向", static_cast<uint32_t>(direction));
    etc::runWithQt([] {
        for (const std::string_view windowClass : kDirectionListeners)
            bus::postMessage(windowClass, messages::kDirectionChanged, 0, 0);
    });
}

void TraceLine(const char* format, ...)
{
    if (!format || !etc::runWithQt([] { return bus::findWindow(messages::kTraceClass).has_value(); }))
        return;
    char line[kTraceBlockSize];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0)
        return;
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1);
    {
        const std::lock_guard lock(g_traceMutex);
        if (!g_traceBlock)
            g_traceBlock = shm::SharedBlock::create(kTraceBlockName, kTraceBlockSize);
        if (!g_traceBlock)
            return;
        std::memcpy(g_traceBlock->data(), line, length + 1);
    }
    etc::runWithQt([&] {
        bus::sendMessage(messages::kTraceClass, messages::kTraceLine, length + 1, 0, 5000);
        const auto* app = QCoreApplication::instance();
        if (++g_traceLines % kTraceLinesPerDispatch == 0 && app && QThread::currentThread() == app->thread())
            QCoreApplication::processEvents();
    });
}

} // extern "C"
