// The program run headless, as a script runs it, through the reference engines: every kind of
// file into its output, a second run that finds nothing to do, refusals that name the file
// while the others are translated, and a busy flag held by another program.
#include "filetests.h"

#include <Etc.h>
#include <SharedBlocks.h>
#include <docmorph/package.h>
#include <docmorph/sheetmodel.h>
#include <docmorph/slidemodel.h>
#include <docmorph/wordmodel.h>
#include <enginetests.h>
#include <peerprocess.h>
#include <platform/codec.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace yv::filebox {
namespace {

using namespace yv::filebox::testing;

class FileHeadless : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("YORVANE_CACHE_DIR", ENGINE_CACHE_DIR, 1);
        static int argc = 1;
        static char name[] = "filebatch_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
        fs::create_directories(in);
    }

    void TearDown() override
    {
        yv::testing::closeEngines();
        blocks::setFlag(blocks::EngineBusy, 0);
    }

    RunResult run(std::vector<std::string> args, bool withoutOverride = false)
    {
        std::vector<std::string> command;
        if (withoutOverride) {
            // Even the superuser meets the permission bits.
            command = {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"};
        }
        command.push_back((yv::testing::binDir() / "file").string());
        command.push_back("--batch");
        command.insert(command.end(), args.begin(), args.end());
        return runToEnd(command, home.dir() / "stderr.txt");
    }

    yv::testing::TestHome home;
    fs::path in = home.dir() / "入力 files";
};

TEST_F(FileHeadless, EveryKindTranslatedThenASecondRunFindsNothingToDo)
{
    const fs::path english = in / "english note.txt";
    const fs::path japanese = in / "日本語 メモ.txt";
    const fs::path page = in / "page.html";
    writeFile(english, "This is a pen.\r\nI like apples.\r\n");
    writeFile(japanese, codec::utf8ToCp932("私は学生です。\r\n"));
    writeFile(page, "<html><head><title>Cats</title></head><body><p>The cat sat on the mat.</p></body></html>\n");
    const fs::path eucPage = in / "euc page.htm";
    writeFile(eucPage, codec::fromUtf8("<html><body><p>私は学生です。</p></body></html>\n", codec::TextEncoding::EucJp));
    std::vector<std::string> args = {"--direction", "auto", in.string()};
    const bool office = fs::exists(fs::path(DOCMORPH_FIXTURES) / "sample.docx");
    if (office) {
        for (const char* name : {"sample.docx", "sample.xlsx", "sample.pptx"})
            fs::copy_file(fs::path(DOCMORPH_FIXTURES) / name, in / name);
    }

    const RunResult first = run(args);
    ASSERT_EQ(first.status, 0) << first.errors;
    EXPECT_NE(first.errors.find("[1/"), std::string::npos) << "progress on standard error";
    EXPECT_NE(first.errors.find("100%"), std::string::npos) << first.errors;

    const std::string englishOut = readFile(in / "english note_RY.txt");
    EXPECT_TRUE(hasJapanese(englishOut)) << englishOut;
    EXPECT_EQ(codec::detectEncoding(englishOut), codec::TextEncoding::Utf8) << "UTF-8 in, UTF-8 out";
    const std::string japaneseOut = readFile(in / "日本語 メモ_RY.txt");
    EXPECT_NE(japaneseOut.find("student"), std::string::npos) << japaneseOut;
    const std::string pageOut = readFile(in / "page_RY.html");
    EXPECT_TRUE(hasJapanese(pageOut)) << pageOut;
    EXPECT_NE(pageOut.find("<p>"), std::string::npos) << "the markup stays";
    const std::string eucOut = readFile(in / "euc page_RY.htm");
    EXPECT_NE(eucOut.find("student"), std::string::npos) << "an EUC-JP page goes Japanese to English: " << eucOut;
    for (const fs::path& source : {english, japanese, page, eucPage})
        EXPECT_TRUE(outputIsNewer(source, outputPath(source.string()))) << "a re-added row reads 翻訳済: " << source;

    if (office) {
        std::string error;
        auto doc = docmorph::Package::openFile(in / "sample_RY.docx", error);
        ASSERT_TRUE(doc) << error;
        auto words = docmorph::WordDocument::load(*doc, error);
        ASSERT_TRUE(words) << error;
        EXPECT_TRUE(hasJapanese(docmorph::WordDocument::text(words->paragraph(0))));
        auto book = docmorph::Package::openFile(in / "sample_RY.xlsx", error);
        ASSERT_TRUE(book) << error;
        auto cells = docmorph::Workbook::load(*book, error);
        ASSERT_TRUE(cells) << error;
        EXPECT_TRUE(hasJapanese(cells->stringValue(cells->cells(0).at(0)).value_or("")));
        auto deck = docmorph::Package::openFile(in / "sample_RY.pptx", error);
        ASSERT_TRUE(deck) << error;
        auto slides = docmorph::SlideDeck::load(*deck, error);
        ASSERT_TRUE(slides) << error;
        EXPECT_TRUE(hasJapanese(docmorph::SlideDeck::text(slides->textBodies(0).at(0))));
        EXPECT_NE(first.errors.find("書き込み中"), std::string::npos) << "the converter's stages";
    } else {
        std::cerr << "soffice is not installed: the Office kinds were not run\n";
    }

    // Outputs newer than their sources: nothing is translated again, nothing is touched.
    const auto before = fileTime(in / "english note_RY.txt");
    const RunResult second = run(args);
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_NE(second.errors.find("0 translated"), std::string::npos) << second.errors;
    EXPECT_EQ(second.errors.find("[1/"), std::string::npos) << second.errors;
    EXPECT_EQ(fileTime(in / "english note_RY.txt"), before);
}

TEST_F(FileHeadless, RefusedFilesAreNamedAndTheOthersTranslated)
{
    if (!fs::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "setpriv is missing: permission bits cannot be made to count for the superuser";
    const fs::path good = in / "good.txt";
    const fs::path vanished = in / "vanished.txt";
    const fs::path unreadable = in / "secret.txt";
    const fs::path locked = home.dir() / "locked";
    const fs::path lockedSource = locked / "inside.txt";
    writeFile(good, "Good morning.\n");
    writeFile(unreadable, "Secret.\n");
    fs::permissions(unreadable, fs::perms::none);
    fs::create_directories(locked);
    writeFile(lockedSource, "Read only folder.\n");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);

    const fs::path broken = in / "broken.docx";
    writeFile(broken, "not a document");
    const RunResult result = run({good.string(), vanished.string(), unreadable.string(), lockedSource.string(),
                                  (in / "notes.pdf").string(), broken.string()},
                                 true);
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(result.status, 1) << "not every file was translated";
    EXPECT_NE(result.errors.find(vanished.string() + ": 指定のファイルは既に存在しません。"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find(unreadable.string() + ": オープンできません。"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find(lockedSource.string() + ": 出力ファイルを作成できません。"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("notes.pdf: この拡張子のﾌｧｲﾙは翻訳できません。"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("\n" + broken.string() + ": オープンできません。"), std::string::npos)
        << "the converter's own message: " << result.errors;
    EXPECT_TRUE(hasJapanese(readFile(in / "good_RY.txt"))) << "the other file is translated";
    EXPECT_FALSE(fs::exists(in / "secret_RY.txt"));
    EXPECT_FALSE(fs::exists(locked / "inside_RY.txt"));
}

TEST_F(FileHeadless, BusyFlagOfAnotherProgramRefusesEveryFile)
{
    writeFile(in / "a.txt", "One.\n");
    writeFile(in / "b.txt", "Two.\n");
    blocks::setFlag(blocks::EngineBusy, 1);  // this test is the other program
    const RunResult result = run({in.string()});
    EXPECT_EQ(result.status, 1);
    std::size_t refusals = 0;
    for (std::size_t at = 0; (at = result.errors.find("翻訳エンジンがビジーです。", at)) != std::string::npos; ++at)
        ++refusals;
    EXPECT_EQ(refusals, 2u) << result.errors;
    EXPECT_FALSE(fs::exists(in / "a_RY.txt"));
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 1) << "another program's flag is left alone";
}

TEST_F(FileHeadless, RunWritesItsTraceLines)
{
    const std::string traceFile = (home.dir() / "trace.txt").string();
    yv::testing::ChildProcess tracer(
        "/bin/sh", {"-c", "exec '" + (yv::testing::binDir() / "yvtrace").string() + "' > '" + traceFile + "'"});
    ASSERT_TRUE(yv::testing::serveUntil([] { return bus::findWindow(messages::kTraceClass).has_value(); }, 20000));
    EXPECT_EQ(run({(in / "gone.txt").string()}).status, 1);
    const std::vector<std::string> expected = {"OnTransAll()", " No. 0 file trans", "TransOneFile()", "OnTransAll() END"};
    EXPECT_TRUE(yv::testing::serveUntil([&] { return yv::testing::readLines(traceFile) == expected; }, 10000))
        << readFile(traceFile);
}

TEST_F(FileHeadless, CommandLineMistakesAreExplained)
{
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--direction", "sideways", in.string()}).status, 2);
    EXPECT_NE(readFile(home.dir() / "stderr.txt").find("usage: file --batch"), std::string::npos);
}

} // namespace
} // namespace yv::filebox
