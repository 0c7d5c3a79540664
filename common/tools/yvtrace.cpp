// yvtrace: owns the trace window class and prints the diagnostic lines of the suite's
// programs as they come, until interrupted or closed (WM_CLOSE).
#include "Messages.h"

#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/sharedmemory.h>

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1) {
        std::fprintf(stderr, "usage: yvtrace\nPrints the trace lines of the suite's programs until interrupted.\n");
        return argc == 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 1;
    }
    const auto endpoint = yv::bus::WindowEndpoint::registerWindow(
        yv::messages::kTraceClass, 0, [](std::uint32_t message, std::uint64_t length, std::int64_t) -> std::int64_t {
            if (message == yv::messages::kWmClose) {
                QCoreApplication::quit();
                return 0;
            }
            if (message != yv::messages::kTraceLine)
                return 0;
            const auto block = yv::shm::SharedBlock::open("PSERVER_DATA", yv::shm::SharedBlock::Access::ReadOnly);
            if (!block)
                return 0;
            const std::size_t limit = std::min<std::size_t>(length, block->size());
            const auto* data = reinterpret_cast<const char*>(block->data());
            std::string_view line(data, strnlen(data, limit));
            // Many trace texts end in their own line end: one is enough on the terminal.
            if (line.ends_with('\n'))
                line.remove_suffix(line.ends_with("\r\n") ? 2 : 1);
            // Lines carry UTF-8 names or CP932 document text: show both readably.
            const auto encoding = yv::codec::detectEncoding(line);
            const bool utf8 = encoding == yv::codec::TextEncoding::Ascii || encoding == yv::codec::TextEncoding::Utf8;
            std::printf("%s\n", utf8 ? std::string(line).c_str() : yv::codec::cp932ToUtf8(line).c_str());
            std::fflush(stdout);
            return 1;
        });
    if (!endpoint) {
        std::fprintf(stderr, "yvtrace: another trace window is running, or the session bus cannot be reached\n");
        return 1;
    }
    return app.exec();
}
