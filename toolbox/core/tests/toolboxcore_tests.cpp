// The toolbox's core: key names, placement, hand-over texts, the command line and the
// cursor-capture decision.
#include <toolboxcore/capturetext.h>
#include <toolboxcore/commandline.h>
#include <toolboxcore/keynames.h>
#include <toolboxcore/placement.h>
#include <toolboxcore/spyglass.h>
#include <toolboxcore/toolboxtexts.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace yv::toolbox;

TEST(KeyNames, ModifiersInOrderThenTheKey)
{
    EXPECT_EQ(keyName(0x271), "CTRL+F2");
    EXPECT_EQ(keyName(0x47A), "ALT+F11");
    EXPECT_EQ(keyName(0x130), "SHIFT+") << "digits have no key name";
    EXPECT_EQ(keyName(122), "F11");
    EXPECT_EQ(keyName(634), "CTRL+F11");
    EXPECT_EQ(keyName(635), "CTRL+F12");
    EXPECT_EQ(keyName(0x741), "CTRL+SHIFT+ALT+A");
    EXPECT_EQ(keyName(0x5A), "Z");
    EXPECT_EQ(keyName(0x86), "F23");
    EXPECT_EQ(keyName(0x87), "") << "F24 is not in the table";
    EXPECT_EQ(keyName(0x2D), "INSERT");
    EXPECT_EQ(keyName(0xFE), "OEM_CLEAR");
    EXPECT_EQ(keyName(0x61), "") << "lower-case codes are not letters";
    EXPECT_EQ(keyName(0), "");
}

TEST(Placement, StaysInsideTheWorkArea)
{
    const WorkArea area{0, 24, 1280, 1000};
    const Position beyondRight = placeToolbox(5000, 100, 270, 80, area);
    EXPECT_EQ(beyondRight.left, 1280 - 270) << "flush with the right edge";
    EXPECT_EQ(beyondRight.top, 100);

    const auto never = static_cast<int>(0x80000000u);
    const Position unplaced = placeToolbox(never, never, 270, 80, area);
    EXPECT_EQ(unplaced.left, 0);
    EXPECT_EQ(unplaced.top, 24) << "below a panel at the top";

    const Position low = placeToolbox(-40, 990, 270, 80, area);
    EXPECT_EQ(low.left, 0);
    EXPECT_EQ(low.top, 1000 - 80);

    const Position huge = placeToolbox(INT_MAX, INT_MAX, 270, 80, area);
    EXPECT_EQ(huge.left, 1280 - 270);
    EXPECT_EQ(huge.top, 1000 - 80);
}

TEST(SearchKey, LimitCountsTheNulAndThePokeNamesTheSource)
{
    EXPECT_EQ(searchKeyPoke("library", 0x3a0000f), "library\t3a0000f");
    EXPECT_TRUE(searchKeyPoke(std::string(127, 'a'), 1));
    EXPECT_FALSE(searchKeyPoke(std::string(128, 'a'), 1));
    EXPECT_FALSE(searchKeyPoke(std::string(129, 'a'), 1));
    EXPECT_TRUE(fitsHandOver(std::string(65535, 'a')));
    EXPECT_FALSE(fitsHandOver(std::string(65536, 'a')));
}

TEST(CapturedText, SentenceIsCleanedByteByByte)
{
    // "日本" in CP932, a TAB, CR LF, a lone CR and a lead byte cut off at the end.
    const std::string text = "\x93\xfa\x96\x7b\tA\r\nB\rC\x01\x7f\x93";
    EXPECT_EQ(cleanCapturedSentence(text), "\x93\xfa\x96\x7b A\r\nB\rC   ") << "line ends as captured";
    // A trail byte that looks like a backslash or a control range stays with its lead byte.
    EXPECT_EQ(cleanCapturedSentence("\x83\x5c"), "\x83\x5c");
}

TEST(CapturedText, HandOverStartsAtTheDisplayedWholeWord)
{
    EXPECT_EQ(wordHandOverText("the library of books", "library"), "library of books");
    EXPECT_EQ(wordHandOverText("libraryX library", "library"), "library");
    EXPECT_EQ(wordHandOverText("a libraryX", "library"), "a libraryX") << "not a whole word";
    EXPECT_EQ(wordHandOverText("words", ""), "words");
}

TEST(CapturedText, TerminalsAreKnownByTheirWindowClass)
{
    EXPECT_TRUE(isTerminalClass("XTerm"));
    EXPECT_TRUE(isTerminalClass("Gnome-terminal"));
    EXPECT_TRUE(isTerminalClass("kitty"));
    EXPECT_FALSE(isTerminalClass("trans"));
    EXPECT_FALSE(isTerminalClass("Firefox"));
    EXPECT_FALSE(isTerminalClass(""));
}

TEST(CommandLine, ArgumentsSurviveTheTripAndDamageIsRefused)
{
    const std::vector<std::string> arguments{"/tmp/a b.txt", "line\nbreak\\and\rreturn", ""};
    const auto decoded = decodeArguments(encodeArguments(arguments));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, arguments);

    EXPECT_FALSE(decodeArguments("unterminated"));
    EXPECT_FALSE(decodeArguments("bad\\x\n"));
    EXPECT_FALSE(decodeArguments("trailing\\"));
    EXPECT_EQ(decodeArguments(""), std::vector<std::string>{});
    EXPECT_FALSE(decodeArguments(std::string(kMaxPassedArguments + 1, '\n')));
}

TEST(CommandLine, FileIsReadIntoCp932WithinTheHandOverLimit)
{
    yv::testing::TestHome home;
    home.writeFile("fits.txt", std::string(65535, 'x'));
    home.writeFile("long.txt", std::string(70000, 'x'));
    home.writeFile("edge.txt", std::string(65536, 'x'));
    home.writeFile("utf8.txt", "日本語の文\n");

    const CommandLineText fits = readCommandLineFile(home.dir() / "fits.txt");
    EXPECT_EQ(fits.status, CommandLineText::Status::Ok);
    EXPECT_EQ(fits.cp932.size(), 65535u);
    EXPECT_EQ(readCommandLineFile(home.dir() / "long.txt").status, CommandLineText::Status::TooLong);
    EXPECT_EQ(readCommandLineFile(home.dir() / "edge.txt").status, CommandLineText::Status::TooLong);

    const CommandLineText utf8 = readCommandLineFile(home.dir() / "utf8.txt");
    EXPECT_EQ(utf8.status, CommandLineText::Status::Ok);
    EXPECT_EQ(utf8.cp932, "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\n");

    EXPECT_EQ(readCommandLineFile(home.dir() / "missing.txt").status, CommandLineText::Status::Unreadable);
    EXPECT_EQ(readCommandLineFile(home.dir()).status, CommandLineText::Status::Unreadable);
}

TEST(Spyglass, CapturesOnceAfterTheCursorRests)
{
    SpyglassTracker tracker;
    EXPECT_FALSE(tracker.tick({10, 10})) << "just arrived";
    EXPECT_TRUE(tracker.tick({10, 10})) << "rested one tick";
    EXPECT_FALSE(tracker.tick({10, 10})) << "the same place is not captured again";
    EXPECT_FALSE(tracker.tick({10, 10}));

    tracker.setWordRect({0, 0, 50, 20});
    EXPECT_FALSE(tracker.tick({30, 12}));
    EXPECT_FALSE(tracker.tick({30, 12})) << "inside the captured word";

    EXPECT_FALSE(tracker.tick({50, 12}));
    EXPECT_TRUE(tracker.tick({50, 12})) << "the rectangle's right edge is outside";
}

TEST(Texts, ValuesAndHelpPages)
{
    EXPECT_EQ(withValue(kKeyRefused, "F11").rfind("F11\nこのｷｰは", 0), 0u);
    EXPECT_EQ(helpPage(1), "TransBOX.htm");
    EXPECT_EQ(helpPage(6), "SetEnv.htm");
    EXPECT_EQ(helpPage(0), "");
    EXPECT_EQ(helpPage(7), "");
}

} // namespace
