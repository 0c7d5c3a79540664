// Plain-text import with encoding detection and export in the text's own encoding.
#include "editortest.h"

#include <editorcore/transdoc.h>

#include <platform/atomicfile.h>
#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::textOf;

class EditorTextFiles : public ::testing::Test {
protected:
    std::filesystem::path put(const std::string& name, std::string_view bytes)
    {
        const auto p = home.dir() / name;
        EXPECT_TRUE(files::writeAtomically(p, bytes));
        return p;
    }
    std::string read(const std::filesystem::path& p) { return files::readWhole(p).value_or("<none>"); }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    TransDoc doc{font, font};
};

TEST_F(EditorTextFiles, ImportDetectsUtf8AndNormalisesLineEndsAndTabs)
{
    doc.translation().insert("old", 0, 0, false);
    const auto file = put("in.txt", "a\tb\r\n\xE3\x81\x82\n\nc");
    ASSERT_TRUE(doc.openFile(file));
    EXPECT_EQ(textOf(doc.source()), std::string("a b\n") + kA + "\nc");
    EXPECT_EQ(doc.source().store()[1].width, 8);  // the TAB became a measured space
    EXPECT_EQ(doc.translation().length(), 0u);
    EXPECT_EQ(doc.source().caret(), 0u);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.title(), "in");
    EXPECT_EQ(doc.lastFile(), file);
    EXPECT_EQ(doc.textEncoding(), codec::TextEncoding::Utf8);
}

TEST_F(EditorTextFiles, TooLongTextIsRefusedAndTheDocumentKept)
{
    doc.source().insert("keep", 0, 0, false);
    EXPECT_FALSE(doc.importText(put("big.txt", std::string(65536, 'x'))));
    // One byte less is accepted as a whole, and fits the store with its terminator.
    ASSERT_TRUE(doc.importText(put("fits.txt", std::string(65535, 'x'))));
    EXPECT_EQ(doc.source().length(), 65535u);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "挿入文字列が長すぎます。文中に挿入する場合は 64K バイト未満にしてください。");

    EXPECT_FALSE(doc.importText(put("huge.txt", std::string(1 << 20, 'x'))));
    EXPECT_FALSE(doc.importText(home.dir() / "absent.txt"));
    EXPECT_EQ(doc.source().length(), 65535u);  // a failed import changes nothing
}

TEST_F(EditorTextFiles, ExportWritesBothPanesAsUtf8WithCrLf)
{
    doc.source().insert(std::string("src\n") + kA, 0, 0, false);
    doc.translation().insert("tr", 0, 0, false);
    const auto file = home.dir() / "out.txt";
    ASSERT_TRUE(doc.exportText(file, false));
    EXPECT_EQ(read(file), "src\r\n\xE3\x81\x82\r\ntr\r\n\r\n");
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(doc.path().empty());
    EXPECT_TRUE(doc.lastFile().empty());

    ASSERT_TRUE(doc.exportText(file, true));  // "訳文のみ保存"
    EXPECT_EQ(read(file), "tr\r\n");

    const SaveAsDialog asText = [&] { return std::optional<SaveAsChoice>(SaveAsChoice{file, true}); };
    doc.translation().insert("!", 0, 0, false);
    ASSERT_TRUE(doc.saveAs(asText));
    EXPECT_EQ(read(file), "tr!\r\n");
    EXPECT_TRUE(doc.path().empty());
}

TEST_F(EditorTextFiles, ExportKeepsTheEncodingTheTextCameIn)
{
    ASSERT_TRUE(doc.importText(put("sjis.txt", std::string("\x93\xFA\x96\x7B") + "\r\n")));
    EXPECT_EQ(doc.textEncoding(), codec::TextEncoding::Cp932);
    const auto out = home.dir() / "back.txt";
    ASSERT_TRUE(doc.exportText(out, false));
    EXPECT_EQ(read(out), "\x93\xFA\x96\x7B\r\n\r\n\r\n\r\n");

    ASSERT_TRUE(doc.importText(put("ascii.txt", "plain")));
    doc.translation().insert(kA, 0, 0, false);
    ASSERT_TRUE(doc.exportText(out, true));
    EXPECT_EQ(read(out), "\xE3\x81\x82\r\n");  // gained a non-ASCII character: UTF-8

    doc.newDocument();
    EXPECT_EQ(doc.textEncoding(), codec::TextEncoding::Utf8);
}

TEST_F(EditorTextFiles, ExportFailureKeepsModified)
{
    doc.source().insert("x", 0, 0, false);
    EXPECT_FALSE(doc.exportText(home.dir() / "nope" / "out.txt", false));
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(presenter.messages.back().text, "ﾌｧｲﾙを作成できません。ﾃﾞｨｽｸが一杯でないか確認してください。");
}

} // namespace
} // namespace yv::editor
