// Test peer: an engine that takes a job and never finishes it (a file job gets one progress
// number, a text job nothing), so that a test can stop it or end it mid-job.
//
//   addin_fake_engine --log FILE
// Serves the English-to-Japanese engine's window class and DDE service; WM_CLOSE ends it. Logs
// "ready", then "job <topic>" for each request and "stop" for each stop request.
#include <EngineProtocol.h>

#include <platform/bus.h>
#include <platform/dde.h>

#include <QCoreApplication>

#include <cstdio>
#include <string>

namespace {

namespace proto = yv::engineprotocol;

std::FILE* g_log = nullptr;

void logLine(const std::string& line)
{
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3 || std::string(argv[1]) != "--log")
        return 2;
    g_log = std::fopen(argv[2], "a");
    if (!g_log)
        return 2;

    auto window = yv::bus::WindowEndpoint::registerWindow(proto::kWindowClassEJ, 0,
                                                          [](std::uint32_t message, std::uint64_t, std::int64_t) {
                                                              if (message == yv::bus::kWmClose)
                                                                  QCoreApplication::quit();
                                                              return 0;
                                                          });
    yv::dde::Server::Callbacks callbacks;
    const std::vector<std::string> topics{std::string(proto::kTopicText), std::string(proto::kTopicTextFile),
                                          std::string(proto::kTopicHtmlFile), std::string(proto::kTopicStop)};
    callbacks.topics = topics;
    callbacks.connect = [&](yv::dde::ConversationId, const std::string& topic) {
        for (const auto& t : topics) {
            if (t == topic)
                return true;
        }
        return false;
    };
    callbacks.adviseStart = [](yv::dde::ConversationId, const std::string& item) { return item == proto::kItemExec; };
    callbacks.adviseRequest = [](yv::dde::ConversationId, const std::string&) -> std::optional<std::string> {
        return std::string("10") + '\0';
    };
    std::unique_ptr<yv::dde::Server> server;
    callbacks.poke = [&](yv::dde::ConversationId id, const std::string& item, const std::string&) {
        const std::string topic = server->topicOf(id);
        if (topic == proto::kTopicStop) {
            logLine("stop");
            return yv::dde::Status::Ack;
        }
        if (item != proto::kItemExec)
            return yv::dde::Status::NotProcessed;
        logLine("job " + topic);
        if (topic == proto::kTopicText)
            return yv::dde::Status::Ack;
        QMetaObject::invokeMethod(
            &app, [&server, topic] { server->postAdvise(topic, proto::kItemExec); }, Qt::QueuedConnection);
        return yv::dde::Status::Ack;
    };
    server = yv::dde::Server::registerService(proto::kServiceEJ, std::move(callbacks));
    if (!window || !server) {
        logLine("cannot serve");
        return 3;
    }
    logLine("ready");
    return app.exec();
}
