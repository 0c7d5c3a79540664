// Printing and reading aloud in the editor window, offscreen: pages printed to PDF and read
// back with pdftotext, the stored print settings and the page-layout sheet, and speech into a
// recording sink with the tool-bar buttons swapped while it reads.
#include "mainwindow.h"
#include "transtests.h"
#include "pagelayoutsheet.h"
#include "printtools.h"
#include "speech.h"

#include <Etc.h>
#include <Messages.h>
#include <platform/codec.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>

namespace {

using yv::testing::ensureApplication;

namespace fs = std::filesystem;
using namespace yv;


// The text of each page of a PDF, through pdftotext.
std::vector<std::string> pdfPages(const fs::path& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QString::fromStdString(pdf.string()),
                                             QStringLiteral("-")});
    if (!tool.waitForFinished() || tool.exitCode() != 0)
        return {};
    const std::string text = tool.readAllStandardOutput().toStdString();
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t feed = text.find('\f'); feed != std::string::npos; feed = text.find('\f', start)) {
        pages.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return pages;
}

class EditorPrinting : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override { frame = std::make_unique<trans::CMainFrame>(); }

    // A document titled "report": numbered source lines, translation lines beside them.
    void openReport(int lines)
    {
        std::ofstream(home.dir() / "report.txt") << "";
        ASSERT_TRUE(frame->openPath(home.dir() / "report.txt"));
        std::string source, translation;
        for (int i = 1; i <= lines; ++i) {
            source += "Line " + std::to_string(i) + "\n";
            translation += "訳" + std::to_string(i) + "\n";
        }
        frame->document().source().insert(codec::utf8ToCp932(source), 0, 0, false);
        frame->document().translation().insert(codec::utf8ToCp932(translation), 0, 0, false);
    }

    // Prints through the print command into a PDF; `range` limits the pages (from, to).
    std::vector<std::string> printToPdf(std::pair<int, int> range = {0, 0})
    {
        const fs::path pdf = home.dir() / "out.pdf";
        frame->printTools().printDialog = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            if (range.first > 0)
                printer.setFromTo(range.first, range.second);
            return true;
        };
        frame->action("filePrint")->trigger();
        return pdfPages(pdf);
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    std::unique_ptr<trans::CMainFrame> frame;
};

TEST_F(EditorPrinting, HeaderCodesPageNumbersAndColumnsReachThePdf)
{
    editor::PrintSettings settings = trans::loadPrintSettings();
    settings.header = "&P/&F";
    settings.footer = "end of &F";
    settings.footerAlign = editor::PrintAlign::Right;
    trans::savePrintSettings(settings);
    openReport(200);

    const std::vector<std::string> pages = printToPdf();
    ASSERT_GE(pages.size(), 3u);
    EXPECT_NE(pages[0].find("1/report"), std::string::npos);
    EXPECT_NE(pages[2].find("3/report"), std::string::npos) << pages[2];
    EXPECT_NE(pages[2].find("end of report"), std::string::npos);
    // Side by side: a source line and its translation share a printed line.
    const std::string firstLine = pages[0].substr(pages[0].find("Line 1"));
    EXPECT_LT(firstLine.find("訳1"), firstLine.find('\n'));

    settings.way = editor::PrintWay::TranslationOnly;
    trans::savePrintSettings(settings);
    const std::vector<std::string> alone = printToPdf({2, 3});
    ASSERT_EQ(alone.size(), 2u);
    EXPECT_NE(alone[0].find("2/report"), std::string::npos);
    EXPECT_EQ(alone[0].find("Line"), std::string::npos);
    EXPECT_NE(alone[1].find("3/report"), std::string::npos);
}

TEST_F(EditorPrinting, AnEmptyDocumentPrintsOnePageAndACancelledDialogNothing)
{
    EXPECT_EQ(printToPdf().size(), 1u);
    frame->printTools().printDialog = [](QPrinter&) { return false; };
    EXPECT_FALSE(frame->printTools().print());
}

TEST_F(EditorPrinting, PrinterSetupHoldsForTheFollowingPrints)
{
    ASSERT_NE(frame->action("filePrintSetup"), nullptr);
    EXPECT_EQ(frame->action("filePrintSetup")->text().toStdString(), "ﾌﾟﾘﾝﾀの設定(&R)...");
    frame->printTools().printerSetupDialog = [](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    frame->action("filePrintSetup")->trigger();
    openReport(3);
    ASSERT_EQ(printToPdf({1, 1}).size(), 1u);

    std::vector<QPageLayout::Orientation> seen;
    std::vector<int> firstPages;
    frame->printTools().printDialog = [&](QPrinter& printer) {
        seen.push_back(printer.pageLayout().orientation());
        firstPages.push_back(printer.fromPage());
        return false;
    };
    frame->printTools().print();
    frame->printTools().print();
    EXPECT_EQ(seen, (std::vector<QPageLayout::Orientation>{QPageLayout::Landscape, QPageLayout::Landscape}));
    EXPECT_EQ(firstPages, (std::vector<int>{0, 0})) << "the page range of one print does not carry over";
}

TEST_F(EditorPrinting, StoredSettingsReadBackSafely)
{
    const editor::PrintSettings defaults = trans::loadPrintSettings();
    EXPECT_EQ(defaults.marginTop, 35);
    EXPECT_EQ(defaults.marginBottom, 25);
    EXPECT_EQ(defaults.way, editor::PrintWay::SideBySide);
    EXPECT_EQ(defaults.fontName, "ＭＳ ゴシック");
    EXPECT_EQ(defaults.fontSize, 10);

    SetRegStr(HKEY_CURRENT_USER, trans::kPrintSettingsKey, "PrintTop", "-7");
    SetRegStr(HKEY_CURRENT_USER, trans::kPrintSettingsKey, "PrintLeft", "wide");
    SetRegStr(HKEY_CURRENT_USER, trans::kPrintSettingsKey, "FontSize", "99999999999");
    SetRegDWORD(HKEY_CURRENT_USER, trans::kPrintSettingsKey, "PrintWay", 7);
    SetRegDWORD(HKEY_CURRENT_USER, trans::kPrintSettingsKey, "PrintHpos", 82);
    SetRegDWORD(HKEY_CURRENT_USER, trans::kPrintSettingsKey, "PrintFpos", 1);
    const editor::PrintSettings read = trans::loadPrintSettings();
    EXPECT_EQ(read.marginTop, 0);
    EXPECT_EQ(read.marginLeft, 15);
    EXPECT_EQ(read.fontSize, editor::kMaxFontPoints);
    EXPECT_EQ(read.way, editor::PrintWay::SideBySide);
    EXPECT_EQ(read.headerAlign, editor::PrintAlign::Right);
    EXPECT_EQ(read.footerAlign, editor::PrintAlign::Centre);

    editor::PrintSettings negative = read;
    negative.marginBottom = -3;
    trans::savePrintSettings(negative);
    char stored[16];
    GetRegStr(0, trans::kPrintSettingsKey, "PrintDown", stored, sizeof stored, "");
    EXPECT_STREQ(stored, "0");
}

TEST_F(EditorPrinting, PageLayoutSheetAppliesItsPagesAndAsksForPrinting)
{
    trans::PageLayoutSheet sheet(trans::loadPrintSettings(), frame.get());
    EXPECT_EQ(sheet.windowTitle().toStdString(), "ﾍﾟｰｼﾞﾚｲｱｳﾄの設定");
    auto* top = sheet.findChild<QSpinBox*>(QStringLiteral("marginTop"));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->text().toStdString(), "35 mm");
    top->setValue(12);
    sheet.findChild<QRadioButton*>(QStringLiteral("wayTranslation"))->setChecked(true);
    auto* header = sheet.findChild<QLineEdit*>(QStringLiteral("header"));
    header->setText(QStringLiteral("p"));
    // The code menu appends: ﾍﾟｰｼﾞ番号, then ﾌｧｲﾙ名.
    const QList<QAction*> codes = sheet.findChild<QToolButton*>(QStringLiteral("headerCodes"))->menu()->actions();
    ASSERT_EQ(codes.size(), 4);
    codes[1]->trigger();
    codes[0]->trigger();
    EXPECT_EQ(header->text().toStdString(), "p&P&F");

    QSignalSpy printAsked(&sheet, &trans::PageLayoutSheet::printRequested);
    const QList<QPushButton*> printButtons = sheet.findChildren<QPushButton*>(QStringLiteral("printNow"));
    ASSERT_EQ(printButtons.size(), 3);
    printButtons[2]->click();
    EXPECT_EQ(printAsked.count(), 1);
    // Nothing is stored before 適用.
    EXPECT_EQ(trans::loadPrintSettings().marginTop, 35);

    QObject::connect(&sheet, &trans::PageLayoutSheet::applied, &sheet,
                     [](const editor::PrintSettings& s) { trans::savePrintSettings(s); });
    sheet.findChild<QPushButton*>(QStringLiteral("apply"))->click();
    const editor::PrintSettings stored = trans::loadPrintSettings();
    EXPECT_EQ(stored.marginTop, 12);
    EXPECT_EQ(stored.way, editor::PrintWay::TranslationOnly);
    EXPECT_EQ(stored.header, "p&P&F");
}

// Forwards speech into a recorder the test keeps; optionally holds each write until stopped.
class TestSink final : public speech::PcmSink {
public:
    TestSink(speech::PcmRecorder& recorder, const std::atomic<bool>& stop, bool holdUntilStopped)
        : m_recorder(recorder), m_stop(stop), m_hold(holdUntilStopped)
    {
    }
    bool begin(int rate) override { return m_recorder.begin(rate); }
    bool write(const std::int16_t* samples, std::size_t count) override
    {
        while (m_hold && !m_stop.load())
            std::this_thread::yield();
        return m_recorder.write(samples, count);
    }
    void end(bool complete) override { m_recorder.end(complete); }

private:
    speech::PcmRecorder& m_recorder;
    const std::atomic<bool>& m_stop;
    bool m_hold;
};

class EditorSpeech : public EditorPrinting {
protected:
    void SetUp() override
    {
        VoiceSettings voice{0, 0, 1, 1};
        SaveEnvVoice(&voice);
        EditorPrinting::SetUp();
        useSink(false);
    }

    void useSink(bool hold)
    {
        frame->speech().makeSink = [this, hold](const std::atomic<bool>& stop) {
            return std::make_unique<TestSink>(recorder, stop, hold);
        };
    }

    void setTranslation(const char* utf8)
    {
        frame->document().translation().insert(codec::utf8ToCp932(utf8), 0, 0, false);
    }

    bool hasSound() const
    {
        const auto& samples = recorder.samples();
        return std::any_of(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 1000; });
    }

    speech::PcmRecorder recorder;
};

TEST_F(EditorSpeech, ReadsTheTranslationAloudInEnglishAndJapanese)
{
    QAction* read = frame->action("readAloud");
    QAction* stop = frame->action("stopReading");
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(stop->isVisible());
    // No recognizer on this platform: voice input stays off.
    EXPECT_FALSE(frame->action("voiceInput")->isEnabled());

    for (const char* text : {"It is fine today.\nSee you tomorrow.", "今日は晴れです。\n明日会いましょう。"}) {
        frame->document().newDocument();
        setTranslation(text);
        QSignalSpy ended(&frame->speech(), &trans::Speech::readingEnded);
        read->trigger();
        EXPECT_TRUE(frame->speech().reading());
        EXPECT_FALSE(read->isVisible());
        EXPECT_TRUE(stop->isVisible() && stop->isEnabled());
        ASSERT_TRUE(ended.wait(20000)) << text;
        EXPECT_TRUE(recorder.complete());
        EXPECT_GT(recorder.samples().size(), static_cast<std::size_t>(recorder.sampleRate())) << text;
        EXPECT_TRUE(hasSound()) << text;
        EXPECT_TRUE(read->isVisible());
        EXPECT_FALSE(stop->isVisible());
    }
}

TEST_F(EditorSpeech, StopEndsTheReadingAndAnEmptyPaneReadsNothing)
{
    useSink(true);
    setTranslation("A long text that would take a while to say.");
    frame->action("readAloud")->trigger();
    ASSERT_TRUE(frame->speech().reading());
    frame->action("stopReading")->trigger();
    EXPECT_FALSE(frame->speech().reading());
    EXPECT_FALSE(recorder.complete());
    EXPECT_TRUE(frame->action("readAloud")->isVisible());
    // The late end event of the stopped reading changes nothing.
    QApplication::processEvents();
    EXPECT_FALSE(frame->speech().reading());

    frame->document().newDocument();
    frame->action("readAloud")->trigger();
    EXPECT_FALSE(frame->speech().reading());
}

TEST_F(EditorSpeech, SettingsDecideTheVoiceAndReadingAfterTranslation)
{
    setTranslation("Hello.");
    VoiceSettings voice{0, 0, 1, 0};
    SaveEnvVoice(&voice);
    frame->handleMessage(messages::kSpeechSetup, 3, 0);
    frame->speech().readAfterTranslation();
    EXPECT_FALSE(frame->speech().reading());

    voice.useSpeak = 0;
    SaveEnvVoice(&voice);
    // Microphone set-up and training need a recognizer: nothing happens.
    frame->handleMessage(messages::kSpeechSetup, 1, 0);
    EXPECT_TRUE(frame->action("readAloud")->isEnabled());
    frame->handleMessage(messages::kSpeechSetup, 3, 0);
    EXPECT_FALSE(frame->action("readAloud")->isEnabled());
    frame->action("readAloud")->trigger();
    EXPECT_FALSE(frame->speech().reading());
}

TEST_F(EditorSpeech, TheSoundDeviceEndsTheReadingEvenWithoutACard)
{
    // A window of its own: the sound device is its sink.
    frame = std::make_unique<trans::CMainFrame>();
    frame->document().translation().insert("Hi.", 0, 0, false);
    QSignalSpy ended(&frame->speech(), &trans::Speech::readingEnded);
    frame->action("readAloud")->trigger();
    // Played or refused: either way the reading ends by itself.
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_FALSE(frame->speech().reading());
}

} // namespace
