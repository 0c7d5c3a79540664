// Test peer: a small program that other processes hand texts to, post messages to and poke.
//
// bus_peer --class C [--class C2 ...] --log FILE [--dde SERVICE] [--window] [--quiet]
//          [--hand-over CLASS TEXT]
// Every message is appended to FILE as "<class> <message> <wParam> <lParam>"; a hand-over
// (+8, +9) adds "text <hex bytes>" (with --quiet only the length) or "refused". WM_CLOSE ends the program. With --dde it
// serves SERVICE, topic "SEARCH": a poke of "busy" is answered busy, "advise N" pushes N
// advise lines on item "stream", others are acknowledged; item "last" requests the last poke.
// A hand-over with kPeerSelectMessage makes its (UTF-8) text the peer's PRIMARY selection.
// With --hand-over, once ready it hands TEXT to CLASS with +8 and its own window as the window
// to return to, and logs "handed <result>".
#include "HandOver.h"
#include "Messages.h"
#include "peerprocess.h"

#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/qtwindow.h>

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using yv::testing::hex;

std::FILE* g_log = nullptr;

void logLine(const std::string& line)
{
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::vector<std::string> classes;
    std::string logPath;
    std::string ddeService;
    bool withWindow = false;
    bool quiet = false;
    std::string handOverClass;
    std::string handOverText;
    std::size_t browserAddressLength = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--class" && i + 1 < argc)
            classes.emplace_back(argv[++i]);
        else if (arg == "--log" && i + 1 < argc)
            logPath = argv[++i];
        else if (arg == "--dde" && i + 1 < argc)
            ddeService = argv[++i];
        else if (arg == "--window")
            withWindow = true;
        else if (arg == "--quiet")
            quiet = true;
        else if (arg == "--browser" && i + 1 < argc)
            browserAddressLength = static_cast<std::size_t>(std::atol(argv[++i]));
        else if (arg == "--hand-over" && i + 2 < argc) {
            handOverClass = argv[++i];
            handOverText = argv[++i];
        }
    }
    g_log = std::fopen(logPath.c_str(), "a");
    if (!g_log || classes.empty())
        return 2;

    QWidget window;
    window.setWindowTitle(QStringLiteral("bus peer"));
    window.resize(200, 100);
    if (withWindow)
        window.show();
    const std::uint64_t handle = withWindow && QGuiApplication::platformName() == QLatin1String("xcb")
                                     ? static_cast<std::uint64_t>(window.winId())
                                     : 0;

    std::vector<std::unique_ptr<yv::bus::WindowEndpoint>> endpoints;
    for (const std::string& windowClass : classes) {
        auto endpoint = yv::bus::WindowEndpoint::registerWindow(
            windowClass, endpoints.empty() ? handle : 0,
            [windowClass, &window, quiet](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) -> std::int64_t {
                logLine(windowClass + " " + std::to_string(message) + " " + std::to_string(wParam) + " " +
                        std::to_string(lParam));
                if (message == yv::messages::kHandOver || message == yv::messages::kHandOverNew) {
                    const auto text = yv::handover::receiveText(wParam);
                    if (!text)
                        logLine("refused");
                    else
                        logLine("text " + (quiet ? std::to_string(text->size()) : hex(*text)));
                    return text ? static_cast<std::int64_t>(text->size()) : -1;
                }
                if (message == yv::testing::kPeerSelectMessage) {
                    const auto text = yv::handover::receiveText(wParam);
                    if (text)
                        QGuiApplication::clipboard()->setText(QString::fromStdString(*text), QClipboard::Selection);
                    return text ? 1 : 0;
                }
                if (message == yv::messages::kComeToFront)
                    yv::window::comeToFront(&window);
                if (message == yv::messages::kWmClose)
                    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                return 1;
            });
        if (!endpoint) {
            logLine("cannot register " + windowClass);
            return 3;
        }
        endpoints.push_back(std::move(endpoint));
    }

    std::string lastPoke;
    std::unique_ptr<yv::dde::Server> server;
    if (!ddeService.empty()) {
        yv::dde::Server::Callbacks callbacks;
        callbacks.topics = {"SEARCH"};
        callbacks.connect = [](yv::dde::ConversationId, const std::string& topic) { return topic == "SEARCH"; };
        callbacks.poke = [&](yv::dde::ConversationId, const std::string& item, const std::string& data) {
            const std::string text(yv::dde::textOf(data));
            logLine("poke " + item + " " + hex(data));
            if (text == "busy")
                return yv::dde::Status::Busy;
            lastPoke = text;
            if (text.rfind("advise ", 0) == 0) {
                const int count = std::atoi(text.c_str() + 7);
                QTimer::singleShot(0, [&server, count, &lastPoke] {
                    for (int i = 1; i <= count; ++i) {
                        lastPoke = "tick " + std::to_string(i);
                        server->postAdvise("SEARCH", "stream");
                    }
                });
            }
            return yv::dde::Status::Ack;
        };
        callbacks.request = [&](yv::dde::ConversationId, const std::string& item) -> std::optional<std::string> {
            if (item != "last")
                return std::nullopt;
            return lastPoke;
        };
        callbacks.adviseStart = [](yv::dde::ConversationId, const std::string& item) { return item == "stream"; };
        callbacks.adviseRequest = [&](yv::dde::ConversationId, const std::string&) -> std::optional<std::string> {
            return lastPoke + std::string(1, '\0');
        };
        server = yv::dde::Server::registerService(ddeService, std::move(callbacks));
        if (!server) {
            logLine("cannot serve " + ddeService);
            return 3;
        }
    }
    // A web browser's window-information service: the address is "http://example.org/" and
    // as many "a" as asked for, then the title.
    std::unique_ptr<yv::dde::Server> browser;
    if (browserAddressLength > 0) {
        yv::dde::Server::Callbacks callbacks;
        callbacks.connect = [](yv::dde::ConversationId, const std::string& topic) { return topic == "WWW_GetWindowInfo"; };
        callbacks.request = [browserAddressLength](yv::dde::ConversationId, const std::string& item) -> std::optional<std::string> {
            if (item != "0xFFFFFFFF")
                return std::nullopt;
            return "\"http://example.org/" + std::string(browserAddressLength, 'a') + "\",\"Title\"" + std::string(1, '\0');
        };
        browser = yv::dde::Server::registerService("IEXPLORE", std::move(callbacks));
        if (!browser) {
            logLine("cannot serve IEXPLORE");
            return 3;
        }
    }
    logLine("ready");
    if (!handOverClass.empty()) {
        QTimer::singleShot(0, [&] {
            const auto result = yv::handover::sendText(handOverClass, handOverText, yv::messages::kHandOver,
                                                       static_cast<std::int64_t>(endpoints.front()->handle()));
            logLine("handed " + std::to_string(static_cast<int>(result)));
        });
    }
    return app.exec();
}
