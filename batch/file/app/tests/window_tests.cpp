// The window as the user drives it (offscreen): adding, a run through the reference engine
// with rows that fail and say why while the window keeps serving events, a translate-all that
// finds nothing to do, the busy flag, stop, the direction button, the converter's messages,
// showing a result, and the stored column widths.
#include "enginehost.h"
#include "filetests.h"
#include "mainframe.h"

#include <Etc.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <enginetests.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QProgressBar>
#include <QTimer>
#include <QTreeView>

namespace yv::filebox {
namespace {

using namespace yv::filebox::testing;

class FileWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("YORVANE_CACHE_DIR", ENGINE_CACHE_DIR, 1);
        static int argc = 1;
        static char name[] = "filewindow_tests";
        static char* argv[] = {name, nullptr};
        static QApplication* const app = new QApplication(argc, argv);
        Q_UNUSED(app);
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
        fs::create_directories(dir);
    }

    void TearDown() override
    {
        frame.reset();
        endpoint.reset();
        yv::testing::closeEngines();
        blocks::setFlag(blocks::EngineBusy, 0);
    }

    void open()
    {
        frame = std::make_unique<CMainFrame>(messages);
        endpoint = bus::WindowEndpoint::registerWindow(
            messages::kFileClass, 0, [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
                return frame->handleMessage(message, wParam, lParam);
            });
        ASSERT_TRUE(endpoint);
        frame->setWindowHandle(endpoint->handle());
        frame->show();
    }

    QString cell(int row, int column) const
    {
        return frame->model().data(frame->model().index(row, column), Qt::DisplayRole).toString();
    }

    int rowOf(const std::string& name) const
    {
        for (int row = 0; row < frame->model().rowCount(); ++row) {
            if (cell(row, 0).toStdString() == name)
                return row;
        }
        return -1;
    }

    bool idle() const { return frame->runMode() == RunMode::Idle && !frame->working(); }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;  // before the job messages, which hand on to it
    JobMessages messages;
    fs::path dir = home.dir() / "文書 files";
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<bus::WindowEndpoint> endpoint;
};

TEST_F(FileWindow, PreloadAddingDuplicatesAndRefusedExtensions)
{
    for (const char* name : {"a.txt", "a_RY.txt", "b.docx", "c.pdf"})
        writeFile(dir / name, "x");
    fs::create_directories(dir / "sub.txt");
    SetRegStr(HKEY_CURRENT_USER, kSettingsKey, "フォルダ", (dir.string() + "/").c_str());
    open();
    frame->preload();
    ASSERT_EQ(frame->model().rowCount(), 2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("a.txt"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("a_RY.txt"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("未翻訳"));
    EXPECT_EQ(cell(0, 3).toStdString(), (dir / "a.txt").string());
    EXPECT_EQ(frame->model().headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("状態"));

    frame->addFiles({QString::fromStdString((dir / "A.TXT").string()), QString::fromStdString((dir / "c.pdf").string())});
    EXPECT_EQ(frame->model().rowCount(), 2) << "the same path in another case";
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, (dir / "c.pdf").string() + "\n\nこの拡張子のﾌｧｲﾙは翻訳できません。");
    EXPECT_EQ(presenter.messages[0].style & 0xF0, 0x10u);

    frame->translateSelection();
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[1].text, "翻訳するファイルを指定してください。");
    frame->selectRows({0});
    frame->removeSelected();
    EXPECT_EQ(frame->model().rowCount(), 1);
}

TEST_F(FileWindow, RunMarksEachRowAndStaysResponsiveThenFindsNothingToDo)
{
    const fs::path english = dir / "english note.txt";
    const fs::path japanese = dir / "日本語 メモ.txt";
    const fs::path vanished = dir / "vanished.txt";
    writeFile(english, "This is a pen.\nI like apples.\n");
    writeFile(japanese, codec::utf8ToCp932("私は学生です。\r\n"));
    writeFile(vanished, "Soon gone.\n");
    fs::create_directories(dir / "folder.txt");
    open();
    frame->addFiles({QString::fromStdString(english.string()), QString::fromStdString(japanese.string()),
                     QString::fromStdString(vanished.string()), QString::fromStdString((dir / "folder.txt").string())});
    fs::remove(vanished);

    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
    heartbeat.start(20);
    bool barSeen = false;
    frame->translateAll();
    ASSERT_TRUE(yv::testing::serveUntil([&] {
        barSeen = barSeen || frame->progressBar().isVisible();
        return idle();
    }));
    EXPECT_TRUE(barSeen);
    EXPECT_GT(ticks, 3) << "the window served its events during the run";
    EXPECT_FALSE(frame->progressBar().isVisible());

    EXPECT_EQ(cell(rowOf("english note.txt"), 2), QStringLiteral("翻訳済"));
    EXPECT_EQ(cell(rowOf("日本語 メモ.txt"), 2), QStringLiteral("翻訳済"));
    EXPECT_EQ(cell(rowOf("vanished.txt"), 2), QStringLiteral("指定のファイルは既に存在しません。"));
    EXPECT_EQ(cell(rowOf("folder.txt"), 2), QStringLiteral("オープンできません。"));
    EXPECT_TRUE(presenter.messages.empty()) << "failures are told in their rows, not in boxes";
    EXPECT_TRUE(hasJapanese(readFile(dir / "english note_RY.txt")));
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0);

    const auto before = fileTime(dir / "english note_RY.txt");
    frame->selectRows({rowOf("vanished.txt"), rowOf("folder.txt")});
    frame->removeSelected();
    frame->translateAll();
    EXPECT_TRUE(idle()) << "over translated rows the run ends at once";
    EXPECT_EQ(fileTime(dir / "english note_RY.txt"), before);

    // Added again, the row's state comes from the output's time.
    frame->selectRows({rowOf("english note.txt")});
    frame->removeSelected();
    frame->addFiles({QString::fromStdString(english.string())});
    EXPECT_EQ(cell(rowOf("english note.txt"), 2), QStringLiteral("翻訳済"));
}

TEST_F(FileWindow, BusyFlagRefusesEveryRowAndStopLeavesNoOutput)
{
    writeFile(dir / "a.txt", "One.\n");
    writeFile(dir / "b.txt", "Two.\n");
    open();
    frame->addFiles({QString::fromStdString((dir / "a.txt").string()), QString::fromStdString((dir / "b.txt").string())});
    blocks::setFlag(blocks::EngineBusy, 1);
    frame->translateAll();
    ASSERT_TRUE(yv::testing::serveUntil([&] { return idle(); }));
    EXPECT_EQ(cell(0, 2), QStringLiteral("翻訳エンジンがビジーです。翻訳が終了してから再度実行してください。"));
    EXPECT_EQ(cell(1, 2), cell(0, 2));
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 1);
    blocks::setFlag(blocks::EngineBusy, 0);

    std::string big;
    for (int i = 0; i < 400; ++i)
        big += "The quick brown fox jumps over the lazy dog near the river bank.\n";
    writeFile(dir / "a.txt", big);
    frame->selectRows({0});
    frame->translateSelection();
    EXPECT_EQ(frame->runMode(), RunMode::Selection);
    frame->stop();
    EXPECT_EQ(frame->runMode(), RunMode::Idle);
    EXPECT_EQ(cell(0, 2), QStringLiteral("未翻訳"));
    ASSERT_TRUE(yv::testing::serveUntil([&] { return !frame->working(); }));
    EXPECT_FALSE(fs::exists(dir / "a_RY.txt")) << "a stopped file leaves no output";
    EXPECT_EQ(cell(0, 2), QStringLiteral("未翻訳"));
}

TEST_F(FileWindow, DirectionButtonConverterMessagesResultAndWidths)
{
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LV_COL0", 1000);
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LV_COL1", 10);
    SetRegDWORD(HKEY_CURRENT_USER, nullptr, "翻訳方向", 0);
    open();
    EXPECT_EQ(frame->view().header()->sectionSize(0), 800);
    EXPECT_EQ(frame->view().header()->sectionSize(1), 50);
    EXPECT_EQ(frame->view().header()->sectionSize(2), 200);

    for (const char* expected : {"方向(英日)", "方向(日英)", "方向(自動)"}) {
        frame->cycleDirection();
        EXPECT_TRUE(yv::testing::serveUntil(
            [&] { return frame->directionButton()->text() == QString::fromUtf8(expected); }, 5000))
            << expected;
    }

    bus::postMessage(messages::kFileClass, messages::kProgress, 4, 0);
    bus::postMessage(messages::kFileClass, messages::kProgress, 0, 42);
    EXPECT_TRUE(yv::testing::serveUntil([&] { return frame->progressBar().value() == 42; }, 5000));
    EXPECT_EQ(frame->statusText(1), QStringLiteral("書き込み中"));

    // A translated upper-case .TXT opens in the chosen text editor.
    writeFile(dir / "NOTE.TXT", "x");
    writeFile(dir / "NOTE_RY.TXT", "y");
    fs::last_write_time(dir / "NOTE_RY.TXT", fs::last_write_time(dir / "NOTE.TXT") + std::chrono::seconds(5));
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    std::strcpy(soft.txtExe, "/usr/bin/mousepad");
    SaveEnvSoft(&soft);
    frame->addFiles({QString::fromStdString((dir / "NOTE.TXT").string())});
    QString program;
    QString output;
    frame->openResult = [&](const QString& p, const QString& o) {
        program = p;
        output = o;
        return true;
    };
    frame->selectRows({0});
    frame->showResult();
    EXPECT_EQ(program, QStringLiteral("/usr/bin/mousepad"));
    EXPECT_EQ(output.toStdString(), (dir / "NOTE_RY.TXT").string());

    frame->view().header()->resizeSection(3, 333);
    frame->close();
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LV_COL3", 0), 333u);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LV_COL0", 0), 800u);
    EXPECT_NE(GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "WIDTH", 0), 0u);
}

} // namespace
} // namespace yv::filebox
