// Text and HTML file translation through the engine link, and the browser's address.
#include "Etc.h"

#include "Messages.h"
#include "SharedBlocks.h"
#include "qtservice.h"

#include <EngineLink.h>

#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/paths.h>
#include <platform/textutil.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace yv;

// One file job at a time per process: these are its stop request and done mark.
std::atomic<bool> g_stopText{false};
std::atomic<bool> g_stopHtml{false};

struct JobState {
    WindowHandle notify = 0;
    bool done = false;
};

int fileCallback(const char* result, void* context)
{
    auto* job = static_cast<JobState*>(context);
    if (!result)
        return 0;
    if (std::strcmp(result, "end") == 0) {
        job->done = true;
        return 0;
    }
    bus::postMessageToHandle(job->notify, messages::kProgress, 0, std::atoll(result));
    QCoreApplication::processEvents();
    return 0;
}

// The engine may die mid-job; the loop then ends instead of waiting for an "end" forever.
bool engineAlive(int direction)
{
    return bus::findWindow(direction == DIRECTION_JE ? messages::kEngineJeClass : messages::kEngineEjClass)
        .has_value();
}

// A source that cannot be read fails the job before any engine starts or any output is made
// (an engine would otherwise translate nothing into an empty output file).
bool readableFile(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

// kanaconv is an outside library, loaded by name for the call. False when it is missing or
// could not convert.
bool convertWithKanaconv(const char* src, const char* dst)
{
    const std::string library = (paths::moduleDir(reinterpret_cast<const void*>(&CnvHtm)) / "libkanaconv.so").string();
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    bool converted = false;
    using Convert = int (*)(const char*, const char*);
    if (auto convert = reinterpret_cast<Convert>(::dlsym(handle, "JisEucToSjis")))
        converted = convert(src, dst) != 0;
    ::dlclose(handle);
    return converted;
}

int runFileJob(WindowHandle notify, const std::string& src, const std::string& dst, int direction, bool html,
               std::atomic<bool>& stop)
{
    stop = false;
    blocks::setFlag(blocks::EngineBusy, 1);
    CEngineLink_EJ ej;
    CEngineLink_JE je;
    CEngineLink& link = direction == DIRECTION_JE ? static_cast<CEngineLink&>(je) : static_cast<CEngineLink&>(ej);
    JobState job{notify, false};
    link.Init(nullptr);
    link.SetCallback(fileCallback, &job);
    const int started = html ? link.TransStartHTML(src.c_str(), dst.c_str()) : link.TransStartTEXT(src.c_str(), dst.c_str());
    if (!started) {
        PrintBox(0, 0x40, "%s",
                 direction == DIRECTION_JE ? "日英翻訳エンジンに接続できません。" : "英日翻訳エンジンに接続できません。");
        blocks::setFlag(blocks::EngineBusy, 0);
        return -1;
    }
    // A timer wakes the loop at least every 100 ms, so that a stop request and a vanished
    // engine are seen even when nothing else happens.
    QEventLoop loop;
    QTimer tick;
    tick.start(100);
    while (!job.done) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
        if (stop) {
            je.TransStop();
            ej.TransStop();
        }
        if (!job.done && !engineAlive(direction)) {
            blocks::setFlag(blocks::EngineBusy, 0);
            return -1;
        }
    }
    link.Close();
    // The busy flag stays set: the caller clears it when its whole job is done.
    return direction;
}

int translateText(WindowHandle notify, const char* src, const char* dst, int direction)
{
    if (!src || !dst || !readableFile(src))
        return -1;
    if (direction == 0) {
        direction = GetTxtFileDirection(src);
        if (direction == 0)
            return -1;
    }
    return runFileJob(notify, src, dst, direction, false, g_stopText);
}

int translateHtml(WindowHandle notify, const char* src, const char* dst, int direction)
{
    if (!src || !dst || !readableFile(src))
        return -1;
    char temp[ETC_MAX_PATH];
    if (!TempFileName(".html", temp))
        return -1;
    // The CP932 copy stands for the source; without kanaconv the engine reads the source
    // itself (it reads every encoding the suite accepts).
    const char* input = convertWithKanaconv(src, temp) ? temp : src;
    if (direction == 0) {
        direction = GetHtmlFileDirection(input);
        if (direction == 0)
            return -1;
    }
    // A frame set is translated English to Japanese, and reported as -1.
    const bool frameSet = direction == -1;
    const int used = runFileJob(notify, input, dst, frameSet ? DIRECTION_EJ : direction, true, g_stopHtml);
    return frameSet ? -1 : used;
}

int browserAddress(char* out)
{
    if (!dde::available()) {
        PrintBox(0, 0x40, "%s", "Netscape Navigatorに接続できません");
        return 0;
    }
    auto conv = dde::Conversation::connect("IEXPLORE", "WWW_GetWindowInfo");
    if (!conv)
        return 0;
    const auto reply = conv->request("0xFFFFFFFF", 5000);
    if (!reply || !out)
        return 0;
    text::copyToBuffer(dde::textOf(*reply), out, GETURL_MAX);
    return 1;
}

} // namespace

extern "C" {

int CnvTxt(WindowHandle notify, const char* src, const char* dst, int direction)
{
    return etc::runWithQt([&] { return translateText(notify, src, dst, direction); });
}

void CnvTxt_stop(void)
{
    g_stopText = true;
}

int CnvHtm(WindowHandle notify, const char* src, const char* dst, int direction)
{
    return etc::runWithQt([&] { return translateHtml(notify, src, dst, direction); });
}

void CnvHtm_stop(void)
{
    g_stopHtml = true;
}

int GetURL(void*, char* out)
{
    return etc::runWithQt([&] { return browserAddress(out); });
}

} // extern "C"
