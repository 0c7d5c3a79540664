// The engine contract from the caller's side: the link starts the engine program, result
// blocks and their offsets, stops, dictionaries, and the file translation of Etc.
#include <EngineLink.h>
#include <Etc.h>
#include <Messages.h>
#include <engine/translator.h>
#include <SharedBlocks.h>

#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/x11.h>
#include <enginetests.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <dlfcn.h>

namespace {

using yv::testing::serveUntil;

namespace fs = std::filesystem;
using namespace yv;

struct Collected {
    std::vector<std::string> results;
    bool ended = false;
};

int collect(const char* result, void* context)
{
    auto* c = static_cast<Collected*>(context);
    c->results.emplace_back(result);
    c->ended = c->ended || c->results.back() == "$$$" || c->results.back() == "end";
    return 0;
}


std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const auto at = s.find(sep, start);
        out.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return out;
        start = at + 1;
    }
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class EngineContract : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "enginelink_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        yv::testing::useReferenceEngines(ENGINE_CACHE_DIR);
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
    }

    void TearDown() override
    {
        yv::testing::closeEngines();
        blocks::setFlag(blocks::EngineBusy, 0);
    }

    // Runs a whole text through a link and checks the block format against the sent bytes.
    std::vector<std::string> translate(CEngineLink& link, const std::string& cp932)
    {
        Collected c;
        link.Init(nullptr);
        link.SetCallback(collect, &c);
        EXPECT_EQ(link.TransStartSTR3(cp932.c_str()), 1);
        EXPECT_TRUE(serveUntil([&] { return c.ended; }));
        link.DC_TransSTR3();
        EXPECT_FALSE(c.results.empty());
        if (c.results.empty())
            return {};
        EXPECT_EQ(c.results.back(), "$$$");
        for (std::size_t i = 0; i + 1 < c.results.size(); ++i) {
            const std::string& r = c.results[i];
            if (r.rfind("$$$", 0) != 0) {
                EXPECT_EQ(r.back(), '\n') << "neither a block nor an untranslatable sentence: " << r;
                continue;
            }
            const auto lines = split(r, '\n');
            for (std::size_t l = 1; l < lines.size(); ++l) {
                if (lines[l].empty())
                    continue;
                const auto fields = split(lines[l], '\t');
                EXPECT_EQ(fields.size(), 5u) << lines[l];
                if (fields.size() != 5)
                    continue;
                const long offset = std::stol(fields[3]);
                const long length = std::stol(fields[4]);
                if (offset < 0 || length < 0)
                    continue;
                EXPECT_LE(static_cast<std::size_t>(offset + length), cp932.size()) << lines[l];
                if (static_cast<std::size_t>(offset + length) > cp932.size())
                    continue;
                EXPECT_EQ(cp932.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)), fields[2])
                    << "offset and length must cover the source text: " << codec::cp932ToUtf8(lines[l]);
            }
        }
        return c.results;
    }

    yv::testing::TestHome home;
};

TEST_F(EngineContract, EnglishToJapaneseBlocksCoverTheSentBytes)
{
    CEngineLink_EJ link;
    const auto results = translate(link, "This is a pen.\r\nThe children read three books yesterday.\nGood morning!");
    EXPECT_GE(results.size(), 3u);
    EXPECT_TRUE(bus::findWindow(messages::kEngineEjClass));
}

TEST_F(EngineContract, JapaneseToEnglishBlocksCoverTheSentBytes)
{
    CEngineLink_JE link;
    const std::string text = codec::utf8ToCp932("私は学校へ行きます。\r\n今日は天気がいいです。ｶﾀｶﾅも①読む。");
    const auto results = translate(link, text);
    EXPECT_GE(results.size(), 3u);
}

TEST_F(EngineContract, NothingTranslatableComesBackAsTheSourceLine)
{
    CEngineLink_EJ link;
    const auto results = translate(link, "@@@@ #### %%%%.");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], "@@@@ #### %%%%.\n");
}

TEST_F(EngineContract, StoppedRunStillEndsWithTheEndMark)
{
    CEngineLink_EJ link;
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "The quick brown fox jumps over the lazy dog number " + std::to_string(i) + ".\n";
    Collected c;
    link.SetCallback(collect, &c);
    ASSERT_EQ(link.TransStartSTR3(text.c_str()), 1);
    ASSERT_TRUE(serveUntil([&] { return !c.results.empty(); }));
    link.TransStop();
    ASSERT_TRUE(serveUntil([&] { return c.ended; }));
    EXPECT_EQ(c.results.back(), "$$$");
    EXPECT_LT(c.results.size(), 3001u);
}

TEST_F(EngineContract, CloseEndsTheEngine)
{
    CEngineLink_JE link;
    translate(link, codec::utf8ToCp932("本"));
    ASSERT_TRUE(bus::findWindow(messages::kEngineJeClass));
    ResetEngine(0, 2);
    EXPECT_TRUE(serveUntil([] { return !bus::findWindow(messages::kEngineJeClass); }, 5000));
}

TEST_F(EngineContract, UserDictionaryRoundTrip)
{
    CEngineLink_EJ link;
    const std::string dic = (home.dir() / "dics" / "ejudic").string();
    fs::create_directories(home.dir() / "dics");
    EXPECT_EQ(link.DicInit(""), 0);
    ASSERT_EQ(link.DicInit(dic.c_str()), 1);
    EXPECT_TRUE(fs::exists(dic + ".dic"));
    EXPECT_TRUE(fs::exists(dic + ".idx"));
    EXPECT_EQ(link.DicEdit("zorblax", ""), 0);

    if (x11::available() && std::system("command -v xdotool >/dev/null") == 0) {
        // The registration runs in the engine's own dialog: fill it in as a user would (the
        // headword comes filled in, the focus waits in the translation field; the dialog gets a
        // moment to take the keyboard after it is activated, or the first key goes astray).
        ASSERT_EQ(link.DicEdit("zorblax", dic.c_str()), 1);
        ASSERT_EQ(std::system("xdotool search --sync --limit 1 --name '単語登録' windowactivate --sync sleep 0.3 "
                              "type --delay 5 zoru >/dev/null 2>&1"), 0);
        ASSERT_EQ(std::system("xdotool key --delay 20 Return"), 0);
    } else {
        ASSERT_TRUE(engine::userdic::add(dic, {"zorblax", "zoru", codec::utf8ToCp932("名詞")}));
    }
    ASSERT_TRUE(serveUntil([&] {
        const auto entries = engine::userdic::read(dic);
        return entries && !entries->empty();
    }, 10000));

    // The engine reads its dictionaries at start: point DIC1 at ours and restart it.
    SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "DIC1", dic.c_str(), 1);
    ResetEngine(0, 1);
    serveUntil([] { return !bus::findWindow(messages::kEngineEjClass); }, 5000);
    Collected c;
    link.SetCallback(collect, &c);
    ASSERT_EQ(link.DicRead("zorblax", "0"), 1);
    ASSERT_TRUE(serveUntil([&] { return !c.results.empty(); }));
    link.DC_DicRead();
    const std::string lookUp = c.results.front();
    EXPECT_EQ(lookUp.rfind("[", 0), 0u) << lookUp;
    EXPECT_NE(lookUp.find("[" + dic), std::string::npos) << codec::cp932ToUtf8(lookUp);
    EXPECT_NE(lookUp.find("zoru"), std::string::npos) << codec::cp932ToUtf8(lookUp);
}

TEST_F(EngineContract, LookUpEndedByTheCallbackOfAnEarlierOne)
{
    // The second look-up serves events while it waits; the first one's entries arrive then and
    // their handler ends the conversation, as a dictionary window does when it has its answer.
    CEngineLink_EJ link;
    struct Ending {
        CEngineLink* link;
        int calls = 0;
    } ending{&link};
    link.SetCallback(
        [](const char*, void* context) {
            auto* e = static_cast<Ending*>(context);
            ++e->calls;
            e->link->DC_DicRead();
            return 0;
        },
        &ending);
    ASSERT_EQ(link.DicRead("book", "0"), 1);
    link.DicRead("pen", "0");
    ASSERT_TRUE(serveUntil([&] { return ending.calls >= 1; }));
    EXPECT_EQ(link.DicRead("read", "0"), 1) << "a new conversation serves the next look-up";
    EXPECT_TRUE(serveUntil([&] { return ending.calls >= 2; }));
}

TEST_F(EngineContract, FileTranslationOfEtc)
{
    // A missing file with a direction to detect: -1, and no engine is started.
    EXPECT_EQ(CnvTxt(0, (home.dir() / "missing.txt").c_str(), (home.dir() / "out.txt").c_str(), 0), -1);
    EXPECT_FALSE(bus::findWindow(messages::kEngineEjClass));

    const fs::path text = home.dir() / "in.txt";
    home.writeFile("in.txt", "Hello world.\nThank you very much.\n");
    const fs::path out = home.dir() / "out.txt";
    EXPECT_EQ(CnvTxt(0, text.c_str(), out.c_str(), 0), 1);
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 1);  // the caller clears it
    blocks::setFlag(blocks::EngineBusy, 0);

    // A frame set goes English to Japanese and reports -1.
    home.writeFile("frames.html", "<html><frameset cols=\"50%,50%\"><frame src=\"a.html\"></frameset>"
                                  "<noframes>Good morning.</noframes></html>\n");
    const fs::path htmlOut = home.dir() / "frames-out.html";
    EXPECT_EQ(CnvHtm(0, (home.dir() / "frames.html").c_str(), htmlOut.c_str(), 0), -1);
    EXPECT_NE(readFile(htmlOut).find("<frameset"), std::string::npos);
}

TEST_F(EngineContract, StopDuringAFileJobEndsIt)
{
    std::string big;
    for (int i = 0; i < 4000; ++i)
        big += "This sentence number " + std::to_string(i) + " is here to keep the engine busy.\n";
    home.writeFile("big.txt", big);
    // The first progress message asks for the stop; the job still ends with "end", and a
    // stopped job writes no output.
    struct Notify {
        std::unique_ptr<bus::WindowEndpoint> endpoint;
        std::vector<std::int64_t> percents;
    } notify;
    notify.endpoint = bus::WindowEndpoint::registerWindow("QEL_RlyTestNotifyWClass", 0,
        [&](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) -> std::int64_t {
            if (message == messages::kProgress && wParam == 0) {
                notify.percents.push_back(lParam);
                if (notify.percents.size() == 1)
                    CnvTxt_stop();
            }
            return 0;
        });
    ASSERT_TRUE(notify.endpoint);
    const fs::path out = home.dir() / "big-out.txt";
    EXPECT_EQ(CnvTxt(notify.endpoint->handle(), (home.dir() / "big.txt").c_str(), out.c_str(), 1), 1);
    ASSERT_FALSE(notify.percents.empty());
    EXPECT_FALSE(fs::exists(out)) << "the job ran to its end although it was stopped";
    EXPECT_LT(notify.percents.back(), 100);
    for (const std::int64_t percent : notify.percents)
        EXPECT_TRUE(percent >= 0 && percent <= 100) << percent;
}

TEST_F(EngineContract, FileJobsOnWorkerThreadsEndOnceHoweverTheyAreStopped)
{
    // As a batch box does: each file job runs on a worker thread that owns its link and serves
    // its own events, and a later worker is a new thread. Stopped at once, after the first
    // progress or not at all, every job ends with exactly one "end", and its last call.
    std::string big;
    for (int i = 0; i < 4000; ++i)
        big += "This sentence number " + std::to_string(i) + " is here to keep the engine busy.\n";
    home.writeFile("big.txt", big);
    home.writeFile("small.txt", "Good morning.\nThank you very much.\n");
    enum class Stop { Never, AtOnce, AfterProgress };
    for (int round = 0; round < 9; ++round) {
        const Stop stop = static_cast<Stop>(round % 3);
        const fs::path source = home.dir() / (stop == Stop::Never ? "small.txt" : "big.txt");
        const fs::path out = home.dir() / ("out" + std::to_string(round) + ".txt");
        Collected c;
        std::atomic<bool> finished{false};
        QThread thread;
        QObject worker;
        worker.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(&worker, [&] {
            CEngineLink_EJ link;
            link.SetCallback(collect, &c);
            if (link.TransStartTEXT(source.c_str(), out.c_str())) {
                QEventLoop loop;
                QTimer tick;
                tick.start(20);
                QElapsedTimer waited;
                waited.start();
                bool told = false;
                // After the end mark a little longer, so that a second one would be seen.
                QElapsedTimer sinceEnd;
                while (waited.elapsed() < 30000 && !(c.ended && sinceEnd.elapsed() >= 100)) {
                    if (!told && (stop == Stop::AtOnce || (stop == Stop::AfterProgress && !c.results.empty()))) {
                        link.TransStop();
                        told = true;
                    }
                    loop.processEvents(QEventLoop::WaitForMoreEvents);
                    if (c.ended && !sinceEnd.isValid())
                        sinceEnd.start();
                }
            }
            finished = true;
        }, Qt::QueuedConnection);
        ASSERT_TRUE(serveUntil([&] { return finished.load(); }, 40000)) << round;
        thread.quit();
        thread.wait();
        ASSERT_FALSE(c.results.empty()) << "round " << round << " has no answer at all";
        EXPECT_EQ(std::count(c.results.begin(), c.results.end(), "end"), 1) << round;
        EXPECT_EQ(c.results.back(), "end") << round;
        EXPECT_EQ(fs::exists(out), stop == Stop::Never) << round;
    }
}

TEST(Kanaconv, WritesACp932Copy)
{
    yv::testing::TestHome home;
    const std::string utf8 = "日本語のテキスト\n";
    home.writeFile("eucjp.txt", codec::fromUtf8(utf8, codec::TextEncoding::EucJp));
    home.writeFile("utf8.txt", utf8);
    void* handle = ::dlopen(KANACONV, RTLD_NOW);
    ASSERT_TRUE(handle);
    auto convert = reinterpret_cast<int (*)(const char*, const char*)>(::dlsym(handle, "JisEucToSjis"));
    ASSERT_TRUE(convert);
    for (const char* name : {"eucjp.txt", "utf8.txt"}) {
        const fs::path out = home.dir() / (std::string(name) + ".sjis");
        EXPECT_EQ(convert((home.dir() / name).c_str(), out.c_str()), 1);
        EXPECT_EQ(readFile(out), codec::utf8ToCp932(utf8));
    }
    EXPECT_EQ(convert((home.dir() / "missing").c_str(), (home.dir() / "x").c_str()), 0);
    EXPECT_FALSE(fs::exists(home.dir() / "x"));
    ::dlclose(handle);
}

} // namespace
