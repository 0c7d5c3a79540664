// The exports of SNRCBK32: per-process settings, dispatchers, buffers and null arguments.
#include <SNRCBK32.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Restores every setting a test changes, so that the cases do not depend on their order.
class Snrcbk32Exports : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_charSet = SNRGetActiveCharSet();
        m_autoDetect = SNRGetCharSetAutoDetect();
        m_maxDbcs = SNRGetMaxDBCSChar();
        m_maxSbcs = SNRGetMaxSBCSWords();
        m_sbcCase = SNRGetSBCCaseAbility();
    }
    void TearDown() override
    {
        SNRSetActiveCharSet(m_charSet);
        SNRSetCharSetAutoDetect(m_autoDetect);
        SNRSetMaxDBCSChar(m_maxDbcs);
        SNRSetMaxSBCSWords(m_maxSbcs);
        SNRSetSBCCaseAbility(m_sbcCase);
        SetWordBreakProcW(nullptr);
        SetWordBreakProcA(nullptr);
        SetSentenceBreakProcW(nullptr);
        SetSentenceBreakProcA(nullptr);
    }

private:
    yv::testing::TestHome m_home;  // the dictionary is looked for in the test's own namespace
    int m_charSet = 0;
    int m_autoDetect = 0;
    int m_maxDbcs = 0;
    int m_maxSbcs = 0;
    int m_sbcCase = 0;
};

// Under CTest every case runs in a process of its own, so this sees the initial values.
TEST_F(Snrcbk32Exports, SettingsStartWithTheirInitialValuesAndSettersReturnThePrevious)
{
    if (::testing::UnitTest::GetInstance()->test_to_run_count() > 1)
        GTEST_SKIP() << "initial values are only visible when this case runs alone";
    EXPECT_EQ(SNRGetActiveCharSet(), 0);
    EXPECT_EQ(SNRGetActiveCodePage(), 0);
    EXPECT_EQ(SNRGetCharSetAutoDetect(), 1);
    EXPECT_EQ(SNRGetMaxDBCSChar(), 16);
    EXPECT_EQ(SNRGetMaxSBCSWords(), 8);
    EXPECT_EQ(SNRGetSBCCaseAbility(), 1);
    EXPECT_EQ(SetWordBreakProcW(nullptr), &DefaultWordBreakW);
    EXPECT_EQ(SetSentenceBreakProcA(nullptr), &DefaultSentenceBreakA);
    EXPECT_EQ(SNRSetMaxDBCSChar(4), 16);
    EXPECT_EQ(SNRSetMaxDBCSChar(16), 4);
}

TEST_F(Snrcbk32Exports, CharacterSetsCarryTheirCodePages)
{
    EXPECT_EQ(SNRSetActiveCharSet(0x180), 128);
    EXPECT_EQ(SNRGetActiveCharSet(), 128);
    EXPECT_EQ(SNRGetActiveCodePage(), 932);
    EXPECT_EQ(SNRSetActiveCharSet(77), 77);
    EXPECT_EQ(SNRGetActiveCodePage(), 0);

    SNRSetActiveCharSet(0);
    SNRSetCharSetAutoDetect(0);
    EXPECT_EQ(SNRSetDetectedCharSet(128), 0);
    EXPECT_EQ(SNRGetActiveCharSet(), 0);
    EXPECT_EQ(SNRGetActiveCodePage(), 1252);
    SNRSetCharSetAutoDetect(1);
    EXPECT_EQ(SNRSetDetectedCharSet(128), 128);
    EXPECT_EQ(SNRGetActiveCodePage(), 932);
}

TEST_F(Snrcbk32Exports, ClassificationFunctions)
{
    EXPECT_EQ(SNRIsDBCSCharSetA(128, 0x81), 1);
    EXPECT_EQ(SNRIsDBCSCharSetA(0, 0x81), 0);
    EXPECT_EQ(SNRIsDBCSCharSetA(1, 0x81), 1);  // a set without a code page: the system's
    EXPECT_EQ(SNRIsDBCSCharSetA(134, 0xFE), 1);
    EXPECT_EQ(SNRIsDBCSCharSetW(0, u'\u0100'), 1);
    EXPECT_EQ(SNRIsDBCSCharSetW(128, u'\u00FF'), 0);
    EXPECT_EQ(SNRIsSBCSCharSetA(128, 0xDF), 1);
    EXPECT_EQ(SNRIsSBCSCharSetA(128, 0xE0), 0);
    EXPECT_EQ(SNRIsSBCSCharSetW(128, u'ｱ'), 1);
    EXPECT_EQ(SNRIsSBCSCharSetW(0, u'ｱ'), 0);
    EXPECT_EQ(SNRIsDBCSRegularCharW(128, u'ア'), 1);
    EXPECT_EQ(SNRIsDBCSRegularCharW(129, u'ア'), 0);
}

int fixedWordBreakW(const char16_t*, int, char16_t* out, int, int* start, int* end)
{
    out[0] = u'!';
    out[1] = u'\0';
    *start = *end = 7;
    return 1;
}

int refusingSentenceBreakA(const char*, int* position, int)
{
    *position = 42;
    return 0;
}

TEST_F(Snrcbk32Exports, DispatchersCallTheInstalledProcedures)
{
    char16_t out[256] = {};
    int start = -1;
    int end = -1;
    EXPECT_EQ(SetWordBreakProcW(fixedWordBreakW), &DefaultWordBreakW);
    EXPECT_EQ(WordBreakProcW(u"one two", 1, out, 256, &start, &end), 1);
    EXPECT_EQ(std::u16string(out), u"!");
    EXPECT_EQ(start, 7);
    EXPECT_EQ(SetWordBreakProcW(nullptr), &fixedWordBreakW);  // null puts the built-in back
    EXPECT_EQ(WordBreakProcW(u"one two", 1, out, 256, &start, &end), 1);
    EXPECT_EQ(std::u16string(out), u"one two");

    int position = 0;
    SetSentenceBreakProcA(refusingSentenceBreakA);
    EXPECT_EQ(SentenceBreakProcA("A. B.", &position, 2), 0);
    EXPECT_EQ(position, 42);
    SetSentenceBreakProcA(nullptr);
    position = -1;
    EXPECT_EQ(SentenceBreakProcA("Hello. Bye", &position, 2), 1);
    EXPECT_EQ(position, 5);
    position = -1;
    EXPECT_EQ(SentenceBreakProcW(u"Hello. Bye", &position, 1), 1);
    EXPECT_EQ(position, 6);
}

TEST_F(Snrcbk32Exports, WordBreaksWriteNoMoreThanTheirBuffersHold)
{
    SNRSetActiveCharSet(128);
    char16_t wide[8];
    std::fill(std::begin(wide), std::end(wide), u'#');
    int start = -1;
    int end = -1;
    EXPECT_EQ(DefaultWordBreakW(u"日本語の文章", 0, wide, 4, &start, &end), 1);
    EXPECT_EQ(std::u16string(wide), u"日本語");
    EXPECT_EQ(wide[4], u'#');

    // 漢字仮名 in CP932; five bytes hold two characters and the zero.
    char narrow[8];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(DefaultWordBreakA("\x8A\xBF\x8E\x9A\x89\xBC\x96\xBC", 2, narrow, 5, &start, &end), 1);
    EXPECT_EQ(std::string(narrow), "\x8E\x9A\x89\xBC");
    EXPECT_EQ(narrow[5], '#');
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 3);

    // Output and positions are optional.
    EXPECT_EQ(DefaultWordBreakA("word", 1, nullptr, 0, nullptr, nullptr), 1);
    EXPECT_EQ(DefaultWordBreakW(nullptr, 0, wide, 8, &start, &end), 0);
}

TEST_F(Snrcbk32Exports, WidthNormalisationInPlace)
{
    char16_t wide[] = u"Ｆｕｌｌ ｶﾅ";
    EXPECT_EQ(SBC2DBCCaseW(wide), 1);
    EXPECT_EQ(std::u16string(wide), u"Full カナ");

    SNRSetActiveCharSet(128);
    char narrow[512] = "\xB6\xC5 \x82\x60";  // ｶﾅ Ａ
    EXPECT_EQ(SBC2DBCCaseA(narrow), 7);
    EXPECT_EQ(std::string(narrow), "\x83\x4A\x83\x69 A");
    EXPECT_EQ(SBC2DBCCaseA(nullptr), 0);
    EXPECT_EQ(SBC2DBCCaseW(nullptr), 0);
}

TEST_F(Snrcbk32Exports, NullArgumentsAreRefused)
{
    int position = 3;
    EXPECT_EQ(DefaultSentenceBreakW(nullptr, &position, 1), 0);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(DefaultSentenceBreakA("text", nullptr, 1), 0);
    EXPECT_EQ(IsSingleLineRecommend(nullptr, 0xFFFFFFFF), 0);
    EXPECT_EQ(TranslateFilterProc(nullptr, 0), 0);
    EXPECT_EQ(IsSingleLineRecommend("ListBox", 1), 1);
    EXPECT_EQ(TranslateFilterProc("Edit", 0x800), 0);

    char out[4] = "abc";
    int outLength = 4;
    EXPECT_EQ(TranslateProcA(nullptr, 3, out, &outLength), 0);
    EXPECT_EQ(TranslateProcA("abc", -1, out, &outLength), 0);
    EXPECT_EQ(std::string(out), "abc");
}

} // namespace
