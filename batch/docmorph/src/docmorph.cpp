// The library's exports: the conversion core served by Etc's translation, temporary files,
// message box and trace, with the stages and progress posted to the caller's window.
#include "docmorph.h"

#include "Etc.h"
#include "Messages.h"

#include <docmorph/conversion.h>
#include <platform/bus.h>

#include <QCoreApplication>

#include <atomic>

namespace {

using namespace yv;

std::atomic<int> g_stop{0};

void serveCallerEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

class EtcHost final : public docmorph::Host {
public:
    explicit EtcHost(WindowHandle window) : m_window(window) {}

    void postStage(docmorph::Stage stage) override { post(static_cast<std::uint64_t>(stage), 0); }
    void postProgress(int percent) override { post(0, percent); }
    bool stopRequested() override { return g_stop.load() != 0; }
    void setStop(bool stop) override { g_stop = stop ? 1 : 0; }

    std::optional<std::filesystem::path> tempFile(const char* extension) override
    {
        char name[ETC_MAX_PATH];
        if (!TempFileName(extension, name))
            return std::nullopt;
        return std::filesystem::path(name);
    }

    int translate(const std::filesystem::path& blocks, const std::filesystem::path& translated,
                  int direction) override
    {
        return CnvHtm(m_window, blocks.c_str(), translated.c_str(), direction);
    }

    void message(const std::string& text) override { PrintBox(m_window, 0x30, "%s", text.c_str()); }
    void trace(const std::string& line) override { TraceLine("%s", line.c_str()); }
    void serveEvents() override { serveCallerEvents(); }

private:
    void post(std::uint64_t wParam, std::int64_t lParam)
    {
        if (m_window)
            bus::postMessageToHandle(m_window, messages::kProgress, wParam, lParam);
        serveCallerEvents();
    }

    WindowHandle m_window;
};

} // namespace

extern "C" {

int docmorph(uint64_t window, const char* source, const char* output, int direction, int, int, int)
{
    if (!source || !output)
        return 0;
    EtcHost host(window);
    return docmorph::convertDocument(host, source, output, direction);
}

int docmorph_stop(int flag)
{
    g_stop = flag;
    return flag;
}

int MyOleInitialize(void)
{
    return 1;
}

} // extern "C"
