// Programs talking to each other: hand-over, posted broadcasts, engine reset, starting by
// name, DDE and the trace channel, with real peer processes on the session bus.
#include "Etc.h"
#include "HandOver.h"
#include "Messages.h"
#include "SharedBlocks.h"

#include "peerprocess.h"

#include <platform/bus.h>
#include <platform/dde.h>
#include <platform/process.h>
#include <platform/x11.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace yv;
using yv::testing::ChildProcess;
using yv::testing::readLines;
using yv::testing::hex;

class Messaging : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "handover_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    // Late deliveries (advise data, posted messages) are handled before the next test, so that
    // nothing is left queued when the process ends.
    void TearDown() override
    {
        bus::waitServingEvents(20);
        QCoreApplication::sendPostedEvents();
    }

    std::string logPath() const { return (home.dir() / "peer.log").string(); }

    std::unique_ptr<ChildProcess> startPeer(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--log", logPath()});
        auto peer = std::make_unique<ChildProcess>(BUS_PEER, args);
        EXPECT_TRUE(waitForLine("ready"));
        return peer;
    }

    // Waits up to `ms` for a log line containing `needle`, serving this thread's events.
    bool waitForLine(const std::string& needle, int ms = 5000)
    {
        for (int waited = 0; waited < ms; waited += 10) {
            const auto lines = readLines(logPath());
            if (std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(needle) != std::string::npos; }))
                return true;
            bus::waitServingEvents(10);
        }
        return false;
    }

    yv::testing::TestHome home;
};

TEST_F(Messaging, HandOverOfExactly65536BytesArrivesWhole)
{
    const auto peer = startPeer({"--class", std::string(messages::kTransClass)});
    std::string text(blocks::kTextBlockSize - 1, 'x');
    text[0] = '\x93';  // a CP932 lead byte at the start, a plain byte at the end
    text[1] = '\xFA';
    EXPECT_EQ(handover::sendText(messages::kTransClass, text, messages::kHandOver, 0x1234),
              handover::Result::Delivered);
    ASSERT_TRUE(waitForLine("text "));
    const auto lines = readLines(logPath());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "QEL_RlyTransWClass 1032 65536 4660"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "text " + hex(text)), lines.end());

    EXPECT_EQ(handover::sendText(messages::kTransClass, text + "y", messages::kHandOverNew, 0),
              handover::Result::TooLong);
    EXPECT_EQ(handover::sendText("QEL_NoSuchWClass", "abc", messages::kHandOver, 0), handover::Result::NoWindow);
}

TEST_F(Messaging, ReceiverNeverTrustsTheLength)
{
    const auto peer = startPeer({"--class", std::string(messages::kTransClass)});
    // No block at all.
    EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kHandOver, 10, 0), -1);
    {
        const auto block = blocks::TextBlockWriter::write("short text");
        ASSERT_TRUE(block);
        EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kHandOver, 70000, 0), -1);
        EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kHandOver, 0, 0), -1);
        // A length beyond the text stops at its NUL; a shorter one takes what it says.
        EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kHandOver, 60000, 0), 10);
        EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kHandOver, 5, 0), 5);
    }
    const auto lines = readLines(logPath());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "refused"), 3);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "text " + hex("short")), lines.end());
}

TEST_F(Messaging, DirectionChangeReachesTheOpenBoxesInOrder)
{
    const auto peer = startPeer({"--class", std::string(messages::kToolboxClass), "--class",
                                 std::string(messages::kFileClass), "--class", std::string(messages::kTransClass)});
    PostDirectionChanged(2);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, nullptr, "翻訳方向", 0), 2u);
    ASSERT_TRUE(waitForLine("QEL_RlyToolboxWClass 1027"));
    std::vector<std::string> order;
    for (const std::string& line : readLines(logPath())) {
        if (line.find(" 1027 0 0") != std::string::npos)
            order.push_back(line.substr(0, line.find(' ')));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"QEL_RlyTransWClass", "QEL_RlyFileWClass", "QEL_RlyToolboxWClass"}));
}

TEST(HandOverTexts, WindowHandlesAndArguments)
{
    EXPECT_EQ(handover::formatWindowHandle(0x1e00007), "1e00007");
    EXPECT_EQ(handover::parseWindowHandle("1E00007"), 0x1e00007u);
    EXPECT_EQ(handover::parseWindowHandle("ffffffffffffffff"), 0xffffffffffffffffu);
    for (const char* bad : {"", "0x10", "12 ", "-1", "g", "12345678901234567", "1\n"})
        EXPECT_FALSE(handover::parseWindowHandle(bad)) << bad;

    using Args = std::vector<std::string>;
    EXPECT_EQ(process::splitArguments(R"(  a "b c"  'd e' f\ g "h\"i" )"), (Args{"a", "b c", "d e", "f g", "h\"i"}));
    EXPECT_EQ(process::splitArguments(R"("" x)"), (Args{"", "x"}));
    EXPECT_EQ(process::splitArguments("\"unterminated"), Args{"unterminated"});
    EXPECT_TRUE(process::splitArguments("   ").empty());
}

TEST_F(Messaging, ResetEngineClosesTheEngineWindow)
{
    auto engine = startPeer({"--class", std::string(messages::kEngineJeClass)});
    ResetEngine(0, 1);  // the other engine: nothing happens
    ResetEngine(0, 2);
    EXPECT_TRUE(engine->waitForExit(5000));
    EXPECT_FALSE(bus::findWindow(messages::kEngineJeClass));
}

TEST_F(Messaging, ProgramsStartByNameFromTheCallersDirectory)
{
    EXPECT_EQ(process::programFileName("Trans.exe"), "trans");
    EXPECT_FALSE(process::startProgram("NoSuchProgram.exe"));
    EXPECT_FALSE(process::startProgram("../bin/yvreg"));
    const handover::Target missing = handover::locate("QEL_NoSuchWClass", "NoSuchProgram.exe");
    EXPECT_TRUE(missing.programMissing);
    EXPECT_EQ(handover::startFailureMessage(missing, "NoSuchProgram.exe"),
              "nosuchprogramがみつかりません。インストール状態を確認してください。");
    // Started without arguments the peer ends at once: its window never shows up.
    const handover::Target windowless = handover::locate("QEL_NoSuchWClass", "Bus_Peer.exe");
    EXPECT_FALSE(windowless.window);
    EXPECT_FALSE(windowless.programMissing);
    EXPECT_EQ(handover::startFailureMessage(windowless, "Bus_Peer.exe"), "bus_peerの画面を開けませんでした。");

    // The peer lives beside this test program; started by name, it shows up within 2 s.
    ASSERT_TRUE(process::startProgram("Bus_Peer.exe", {"--class", "QEL_RlyPeerWClass", "--log", logPath()}));
    const auto started = std::chrono::steady_clock::now();
    std::optional<bus::WindowHandle> window;
    while (!window && std::chrono::steady_clock::now() - started < std::chrono::seconds(2)) {
        window = bus::findWindow("QEL_RlyPeerWClass");
        bus::waitServingEvents(20);
    }
    ASSERT_TRUE(window);
    EXPECT_TRUE(bus::windowExists(*window));
    EXPECT_TRUE(bus::postMessage("QEL_RlyPeerWClass", messages::kWmClose, 0, 0));
    for (int i = 0; i < 200 && bus::windowExists(*window); ++i)
        bus::waitServingEvents(10);
    EXPECT_FALSE(bus::windowExists(*window));
    EXPECT_FALSE(bus::postMessage("QEL_RlyPeerWClass", messages::kWmClose, 0, 0));
}

TEST_F(Messaging, ComeToFrontActivatesTheWindow)
{
    if (!x11::available())
        GTEST_SKIP() << "needs an X display with a window manager";
    const auto peer = startPeer({"--class", std::string(messages::kSampleClass), "--window"});
    const auto window = handover::findOrStart(messages::kSampleClass, "Sample.exe");
    ASSERT_TRUE(window);
    EXPECT_TRUE(handover::bringToFront(messages::kSampleClass, *window));
    EXPECT_EQ(x11::activeWindow(), *window);
    EXPECT_TRUE(bus::windowExists(*window));
    // By handle, as a return window is reached.
    EXPECT_EQ(bus::sendMessageToHandle(*window, messages::kComeToFront, 0, 0), 1);
}

TEST_F(Messaging, DdePokeRequestBusyAndAdvise)
{
    const auto peer = startPeer({"--class", "QEL_RlyPeerWClass", "--dde", "LEXDISC"});
    EXPECT_FALSE(dde::Conversation::connect("LEXDISC", "OTHER"));
    EXPECT_FALSE(dde::Conversation::connectWithRetries("NOSERVICE", "SEARCH", 2, 50));

    const auto pairs = dde::wildConnect();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].service, "LEXDISC");
    EXPECT_EQ(pairs[0].topic, "SEARCH");

    auto conv = dde::Conversation::connectWithRetries("LEXDISC", "SEARCH", 10, 500);
    ASSERT_TRUE(conv);
    const std::string term = std::string("a  \t1f2e") + '\0';
    EXPECT_EQ(conv->poke("SEARCH", term, 3000), dde::Status::Ack);
    EXPECT_TRUE(waitForLine("poke SEARCH " + hex(term)));
    EXPECT_EQ(conv->poke("SEARCH", std::string("busy") + '\0', 3000), dde::Status::Busy);
    EXPECT_EQ(conv->request("last", 3000), "a  \t1f2e");
    dde::Status status = dde::Status::Ack;
    EXPECT_FALSE(conv->request("unknown", 3000, &status));
    EXPECT_EQ(status, dde::Status::NotProcessed);

    std::vector<std::string> received;
    EXPECT_FALSE(conv->startAdvise("other", {}, 3000));
    ASSERT_TRUE(conv->startAdvise("stream", [&](const std::string&, const std::string& data) {
        received.emplace_back(dde::textOf(data));
        return true;
    }, 3000));
    EXPECT_EQ(conv->poke("SEARCH", "advise 5", 3000), dde::Status::Ack);
    for (int i = 0; i < 500 && received.size() < 5; ++i)
        bus::waitServingEvents(10);
    EXPECT_EQ(received, (std::vector<std::string>{"tick 1", "tick 2", "tick 3", "tick 4", "tick 5"}));
    conv->stopAdvise("stream", 3000);
}

TEST_F(Messaging, MalformedCallsLeaveThePeerStanding)
{
    const auto peer = startPeer({"--class", std::string(messages::kTransClass), "--dde", "LEXDISC"});
    // A Send with the wrong argument types is refused by the peer, which stays up.
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromStdString(bus::classBusName(messages::kTransClass)),
                                                       QStringLiteral("/windows/QEL_RlyTransWClass"),
                                                       QStringLiteral("com.orvikan.Yorvane5.Window"), QStringLiteral("Send"));
    call << QStringLiteral("not a number");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kComeToFront, 0, 0), 1);

    // A poke without a terminating NUL, and one of raw bytes, are taken as given.
    auto conv = dde::Conversation::connect("LEXDISC", "SEARCH");
    ASSERT_TRUE(conv);
    EXPECT_EQ(conv->poke("SEARCH", "no terminator", 3000), dde::Status::Ack);
    EXPECT_EQ(conv->poke("SEARCH", std::string("\xFF\x00\x81", 3), 3000), dde::Status::Ack);
    EXPECT_EQ(conv->request("last", 3000), std::string("\xFF"));
}

TEST_F(Messaging, TraceLinesReachTheTraceWindow)
{
    TraceLine("nobody listens %d", 1);  // without a trace window nothing happens
    const std::string out = (home.dir() / "trace.out").string();
    ChildProcess tracer("/bin/sh", {"-c", std::string("exec '") + YVTRACE + "' > '" + out + "'"});
    for (int i = 0; i < 500 && !bus::findWindow(messages::kTraceClass); ++i)
        bus::waitServingEvents(10);
    ASSERT_TRUE(bus::findWindow(messages::kTraceClass));
    for (int i = 0; i < 150; ++i)
        TraceLine("line %d of %s", i, "日本語");
    TraceLine("OnConnection\n");  // a text with its own line end shows as one line
    EXPECT_TRUE(bus::postMessage(messages::kTraceClass, messages::kWmClose, 0, 0));
    EXPECT_TRUE(tracer.waitForExit(5000));
    const auto lines = readLines(out);
    ASSERT_EQ(lines.size(), 151u);
    EXPECT_EQ(lines.front(), "line 0 of 日本語");
    EXPECT_EQ(lines[149], "line 149 of 日本語");
    EXPECT_EQ(lines.back(), "OnConnection");
}

TEST_F(Messaging, OtherUsersCannotReachTheSessionBus)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const char* argv[] = {"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                              "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer.Ping", nullptr};
        ::execvp("dbus-send", const_cast<char* const*>(argv));
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(WEXITSTATUS(status), 3);
    EXPECT_NE(WEXITSTATUS(status), 4);
}

} // namespace
