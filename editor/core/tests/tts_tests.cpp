// The .tts layout, reading refusals, and the document's file commands.
#include "editortest.h"

#include <editorcore/messages.h>
#include <editorcore/transdoc.h>
#include <editorcore/ttsformat.h>

#include <platform/atomicfile.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <fstream>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::textOf;

class EditorTtsFile : public ::testing::Test {
protected:
    std::string fileBytes(const std::filesystem::path& p) { return files::readWhole(p).value_or(""); }
    void put(const std::filesystem::path& p, std::string_view bytes) { ASSERT_TRUE(files::writeAtomically(p, bytes)); }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    TransDoc doc{font, font};
};

TEST_F(EditorTtsFile, EmptyDocumentIsMagicVersionAndTwoZeroCounts)
{
    const std::string bytes = encodeTts(doc.source().store(), doc.translation().store());
    EXPECT_EQ(bytes, std::string("WAYPOINTS\x03\0\0\0\0", 14));
}

TEST_F(EditorTtsFile, SingleAndDoubleByteCharactersWithPairs)
{
    doc.source().insert(std::string("A") + kA, 1, 0, false);
    const std::string bytes = encodeTts(doc.source().store(), doc.translation().store());
    EXPECT_EQ(bytes, std::string("WAYPOINTS\x03\x00\x02" "A\x82\xA0\x00\x01\x00\x01\x00\x00", 21));
}

TEST_F(EditorTtsFile, RoundTripKeepsCharactersLineBreaksAndPairs)
{
    doc.source().insert(std::string("He said\n") + kA + "\xB1", 0x1234, 7, false);
    doc.translation().insert("x\ny", 0x00FF, 0, false);
    const auto content = decodeTts(encodeTts(doc.source().store(), doc.translation().store()));
    ASSERT_TRUE(content);
    ASSERT_EQ(content->source.size(), 10u);
    EXPECT_EQ(content->source[7].lead, kLineBreak);
    EXPECT_EQ(content->source[8].lead, 0x82);
    EXPECT_EQ(content->source[8].trail, 0xA0);
    EXPECT_EQ(content->source[9].lead, 0xB1);  // half-width kana is one byte
    EXPECT_EQ(content->source[9].pair, 0x1234);
    EXPECT_EQ(content->source[9].tag, 0);      // tags are not stored
    ASSERT_EQ(content->translation.size(), 3u);
    EXPECT_EQ(content->translation[1].lead, kLineBreak);
}

TEST_F(EditorTtsFile, EveryTruncationIsRefusedAndTrailingBytesIgnored)
{
    doc.source().insert(std::string("ab") + kA, 3, 0, false);
    doc.translation().insert(kA, 3, 0, false);
    const std::string whole = encodeTts(doc.source().store(), doc.translation().store());
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(decodeTts(whole.substr(0, n))) << n;
    EXPECT_TRUE(decodeTts(whole + "junk"));
}

TEST_F(EditorTtsFile, LyingContentIsRefusedOrNormalised)
{
    // A NUL character would end the pane early; a lead byte needs a trail.
    EXPECT_FALSE(decodeTts(std::string("WAYPOINTS\x03\x00\x01\x00\x00\x00\x00\x00", 17)));
    EXPECT_FALSE(decodeTts(std::string("WAYPOINTS\x03\x00\x01\x82\x00\x00\x00\x00\x00\x00", 18)));
    const auto content = decodeTts(std::string("WAYPOINTS\x03\x00\x02\t\r\x00\x00\x00\x00\x00\x00", 20));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->source[0].lead, ' ');
    EXPECT_EQ(content->source[1].lead, kLineBreak);
}

TEST_F(EditorTtsFile, OpeningRefusesWrongVersionAndKeepsTheDocument)
{
    doc.source().insert("keep", 0, 0, false);
    doc.modified = false;
    const auto file = home.dir() / "old.tts";
    put(file, std::string("WAYPOINTS\x02\0\0\0\0", 14));
    EXPECT_FALSE(doc.openFile(file));
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, file.string() + "\n文書ﾌｧｲﾙではありません。");
    EXPECT_EQ(presenter.messages[0].style & msgbox::IconMask, msgbox::IconExclamation);
    EXPECT_EQ(textOf(doc.source()), "keep");

    EXPECT_FALSE(doc.openFile(home.dir() / "missing.tts"));
    EXPECT_EQ(presenter.messages.back().text,
              (home.dir() / "missing.tts").string() + "\n\nﾌｧｲﾙがｵｰﾌﾟﾝできません。ﾌｧｲﾙ名を確認してください。");
}

TEST_F(EditorTtsFile, UpperCaseExtensionReadsAsDocumentAndSetsPathAndTitle)
{
    doc.source().insert(std::string("A") + kA, 1, 0, false);
    doc.translation().insert("x", 1, 0, false);
    const auto file = home.dir() / "notes.TTS";
    put(file, encodeTts(doc.source().store(), doc.translation().store()));
    TransDoc other(font, font);
    std::filesystem::path entered;
    other.onPathSet = [&](const std::filesystem::path& p) { entered = p; };
    ASSERT_TRUE(other.openFile(file));
    EXPECT_EQ(textOf(other.source()), std::string("A") + kA);
    EXPECT_EQ(other.source().store()[1].width, 16);  // measured in the pane's font
    EXPECT_EQ(other.translation().store()[0].pair, 1);
    EXPECT_FALSE(other.modified);
    EXPECT_EQ(other.title(), "notes");
    EXPECT_EQ(other.caption(), "notes - Yorvane5");
    EXPECT_EQ(other.path(), file);
    EXPECT_EQ(other.lastFile(), file);
    EXPECT_EQ(entered, file);
}

TEST_F(EditorTtsFile, SaveGoesToTheDocumentOrAsksWhereAfterATextImport)
{
    int dialogs = 0;
    const auto docFile = home.dir() / "doc.tts";
    SaveAsDialog dialog = [&]() -> std::optional<SaveAsChoice> {
        ++dialogs;
        return SaveAsChoice{docFile, false};
    };
    doc.source().insert("one", 0, 0, false);
    ASSERT_TRUE(doc.save(dialog));  // no path yet: Save As
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(doc.modified);

    doc.source().insert("two", 0, 0, false);
    ASSERT_TRUE(doc.save(dialog));  // its own file: written in place
    EXPECT_EQ(dialogs, 1);

    const auto txt = home.dir() / "notes.txt";
    put(txt, "imported");
    ASSERT_TRUE(doc.openFile(txt));
    EXPECT_EQ(doc.path(), docFile);  // the import leaves the document path alone
    EXPECT_EQ(doc.title(), "notes");
    ASSERT_TRUE(doc.save(dialog));  // the path is another existing file: Save As
    EXPECT_EQ(dialogs, 2);

    const SaveAsDialog cancel = [] { return std::optional<SaveAsChoice>(); };
    doc.source().insert("x", 0, 0, false);
    EXPECT_FALSE(doc.saveAs(cancel));
    EXPECT_TRUE(doc.modified);
}

TEST_F(EditorTtsFile, FailedWriteKeepsThePreviousFileAndTheModifiedFlag)
{
    const auto file = home.dir() / "kept.tts";
    doc.source().insert("first", 0, 0, false);
    ASSERT_TRUE(doc.writeTts(file));
    const std::string before = fileBytes(file);

    doc.source().insert("more", 0, 0, false);
    const auto bad = home.dir() / "no-such-dir" / "x.tts";
    EXPECT_FALSE(doc.writeTts(bad));
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(presenter.messages.back().text, bad.string() + "\n\nﾌｧｲﾙを作成できません。ﾌｧｲﾙ名を確認してください。");
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_EQ(doc.path(), file);
}

TEST_F(EditorTtsFile, WritesAreBracketedForTheWaitCursorAndMessagesComeAfter)
{
    std::vector<std::string> events;
    doc.onWriting = [&](bool writing) {
        events.push_back(std::string(writing ? "start" : "end") + std::to_string(presenter.messages.size()));
    };
    doc.source().insert("text", 0, 0, false);
    ASSERT_TRUE(doc.writeTts(home.dir() / "a.tts"));
    ASSERT_TRUE(doc.exportText(home.dir() / "a.txt", false));
    EXPECT_FALSE(doc.writeTts(home.dir() / "missing" / "b.tts"));
    EXPECT_FALSE(doc.exportText(home.dir() / "missing" / "b.txt", true));
    EXPECT_EQ(events, (std::vector<std::string>{"start0", "end0", "start0", "end0", "start0", "end0", "start1", "end1"}));
    EXPECT_EQ(presenter.messages.size(), 2u);
}

TEST_F(EditorTtsFile, SavePromptAnswers)
{
    int dialogs = 0;
    const SaveAsDialog dialog = [&]() -> std::optional<SaveAsChoice> {
        ++dialogs;
        return SaveAsChoice{home.dir() / "p.tts", false};
    };
    EXPECT_TRUE(doc.promptToSave(dialog, false));  // not modified: no question
    EXPECT_TRUE(presenter.messages.empty());

    doc.source().insert("x", 0, 0, false);
    presenter.answers = {msgbox::IdCancel, msgbox::IdNo, msgbox::IdYes};
    EXPECT_FALSE(doc.promptToSave(dialog, false));
    EXPECT_EQ(presenter.messages[0].text, "内容が変更されています。保存しますか？");
    EXPECT_EQ(presenter.messages[0].style, unsigned(msgbox::YesNoCancel | msgbox::IconQuestion));
    EXPECT_TRUE(doc.promptToSave(dialog, false));
    EXPECT_TRUE(doc.promptToSave(dialog, true));
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(doc.modified);

    doc.newDocument();
    EXPECT_EQ(doc.caption(), "無題 - Yorvane5");
    EXPECT_TRUE(doc.path().empty());
}

} // namespace
} // namespace yv::editor
