// Block files: the three layouts as written, and reading back what a translator returns.
#include <docmorph/blockfile.h>

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::docmorph;

std::string cp932(std::string_view utf8)
{
    return yv::codec::utf8ToCp932(utf8);
}

TEST(BlockFile, LayoutsAsWrittenInCp932WithCrLf)
{
    BlockWriter word(Layout::Word);
    word.add("日本語\vsecond");
    word.add("plain");
    EXPECT_EQ(word.bytes(), cp932("<PRE->日本語\r\nsecond</PRE->\r\n<PRE->plain</PRE->\r\n"));
    EXPECT_EQ(word.count(), 2u);

    BlockWriter slides(Layout::Slides);
    slides.add("one\rtwo\vthree");
    EXPECT_EQ(slides.bytes(), "<PRE->\r\none\r\n<P>two\r\nthree\r\n</PRE->\r\n");

    BlockWriter cells(Layout::Cells);
    cells.add("a\nb");
    EXPECT_EQ(cells.bytes(), "<PRE->a\r\nb</PRE->\r\n");
}

TEST(BlockFile, EveryLayoutRoundTripsItsUnitsWithTheirBreaks)
{
    const std::vector<std::pair<Layout, std::vector<std::string>>> cases{
        {Layout::Word, {"Before\vafter the manual break", "", "表\tタブ", "ｶﾀｶﾅ"}},
        {Layout::Slides, {"Title", "para one\rpara two\vline two", "\rafter an empty paragraph", ""}},
        {Layout::Cells, {"cell", "two\nlines", "", "「引用」"}},
    };
    for (const auto& [layout, units] : cases) {
        BlockWriter writer(layout);
        for (const auto& unit : units)
            writer.add(unit);
        BlockReader reader(writer.bytes(), layout);
        for (const auto& unit : units)
            EXPECT_EQ(reader.next(), unit) << static_cast<int>(layout);
        EXPECT_FALSE(reader.next()) << "the end of the file is no further block";
    }
}

TEST(BlockFile, EntitiesDecodedOnceWithoutCaseAndNotInsideDoubleByteCharacters)
{
    EXPECT_EQ(decodeEntities("&LT;b&gt; &Amp; &quot;x&QUOT; &amp;lt;"), "<b> & \"x\" &lt;");
    EXPECT_EQ(decodeEntities("&unknown; &#38;"), "&unknown; &#38;");
    // "ー" in CP932 is 0x81 0x5B: the '&' after a lead byte starts no entity when it is a trail.
    const std::string withLead = std::string("\x81") + "&lt;";
    EXPECT_EQ(decodeEntities(withLead), std::string("\x81&") + "lt;");
    BlockReader reader(cp932("<PRE->a &lt; b &amp;&amp; 漢字&gt;</PRE->\r\n"), Layout::Cells);
    EXPECT_EQ(reader.next(), "a < b && 漢字>");
}

TEST(BlockFile, ReaderCopesWithWhatATranslatorMayReturn)
{
    // Lines outside blocks, marks in another case, a missing end mark at the end of the file.
    BlockReader word("<html>\r\n<pre->first</pre->\r\n\r\n<PRE->second\r\nline", Layout::Word);
    EXPECT_EQ(word.next(), "first");
    EXPECT_EQ(word.next(), "second\vline");
    EXPECT_FALSE(word.next());

    // A slide block's mark only counts at the start of a line; the end mark's line gives its
    // text before the mark.
    BlockReader slides("x <PRE->\r\n<PRE->\r\nalpha<P>beta\r\ngamma</PRE->\r\n", Layout::Slides);
    EXPECT_EQ(slides.next(), "alpha\rbeta\vgamma");
    EXPECT_FALSE(slides.next());

    // Empty input, a lone mark, and lines of bare CR stay bounded and never loop.
    EXPECT_FALSE(BlockReader("", Layout::Cells).next());
    EXPECT_EQ(BlockReader("<PRE->", Layout::Cells).next(), "");
    BlockReader bareCr("<PRE->\r\r\r", Layout::Slides);
    EXPECT_TRUE(bareCr.next());
    EXPECT_FALSE(bareCr.next());
}

TEST(BlockFile, ABlockWithoutEndIsCutAtTheBoundNotInsideACharacter)
{
    std::string huge = "<PRE->";
    for (std::size_t i = 0; i < kMaxBlockBytes; ++i)
        huge += "\x88\x9f";  // 亜
    BlockReader reader(huge, Layout::Word);
    const auto text = reader.next();
    ASSERT_TRUE(text);
    EXPECT_EQ(yv::codec::utf8ToCp932(*text).size(), kMaxBlockBytes);
    EXPECT_EQ(text->find("\xEF\xBF\xBD"), std::string::npos) << "no half character at the cut";
}

} // namespace
