// The translate command: result parsing, pairing, spacing, progress and the run's states.
#include "editortest.h"

#include <editorcore/messages.h>
#include <editorcore/translateflow.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::kI;
using testing::pairsOf;
using testing::textOf;

class FakeHost final : public TranslateHost {
public:
    bool engineBusy() const override { return busy; }
    void setEngineBusy(bool b) override
    {
        busy = b;
        events.push_back(b ? "busy" : "free");
    }
    int directionSetting() const override { return direction; }
    bool startEngine(int d, std::string_view text) override
    {
        events.push_back("start" + std::to_string(d));
        sent = std::string(text);
        return engineReachable;
    }
    void stopEngines() override { events.push_back("stop"); }
    void closeEngines() override { events.push_back("close"); }
    void runStarted() override { events.push_back("started"); }
    void progress(int percent) override { percents.push_back(percent); }
    void showTranslationCaret() override {}
    void runEnded() override { events.push_back("ended"); }
    void runStopped() override { events.push_back("stopped"); }
    void readTranslationAloud() override { events.push_back("speak"); }
    void dispatchPendingMessages() override {}

    bool busy = false;
    int direction = 0;
    bool engineReachable = true;
    std::string sent;
    std::vector<std::string> events;
    std::vector<int> percents;
};

class EditorTranslateFlow : public ::testing::Test {
protected:
    void translate(std::string_view source, int direction)
    {
        doc.source().clearAll();
        doc.source().insert(source, 0, 0, false);
        host.direction = direction;
        ASSERT_TRUE(flow.start());
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    TransDoc doc{font, font};
    FakeHost host;
    TranslateFlow flow{doc, host};
};

TEST(EditorResultBlock, KindsAndFields)
{
    EXPECT_EQ(parseCallback("$$$").kind, CallbackKind::EndMark);
    EXPECT_EQ(parseCallback("no line feed").kind, CallbackKind::Ignored);
    const CallbackMessage bad = parseCallback("It failed.\n");
    EXPECT_EQ(bad.kind, CallbackKind::Untranslatable);
    EXPECT_EQ(bad.sourceLength, 10u);

    const CallbackMessage m = parseCallback("$$$ header\nOne\t7\tsrc\t12\t3\n\n$$$\t1\nTwo\nThree\tx\t\tnot\t\r\n");
    ASSERT_EQ(m.kind, CallbackKind::Results);
    ASSERT_EQ(m.lines.size(), 3u);
    EXPECT_EQ(m.lines[0].text, "One");
    EXPECT_EQ(m.lines[0].tag, 7);
    EXPECT_EQ(m.lines[0].sourceLength, 3u);
    EXPECT_EQ(m.lines[0].offset, 12);
    EXPECT_EQ(m.lines[0].length, 3);
    EXPECT_EQ(m.lines[1].offset, -1);  // missing
    EXPECT_EQ(m.lines[1].length, -1);
    EXPECT_EQ(m.lines[2].offset, -1);  // not a number
    EXPECT_EQ(m.lines[2].tag, 0);
    EXPECT_EQ(parseCallback("$$$ header only").lines.size(), 0u);
    EXPECT_EQ(parseCallback("$$$\nA\t300\t\t99999999999999\t1").lines[0].tag, 300 % 256);
}

TEST_F(EditorTranslateFlow, BlankSourceDoesNotTranslateButALineBreakDoes)
{
    doc.source().insert("  \x81\x40 ", 0, 0, false);
    EXPECT_FALSE(flow.canTranslate());
    EXPECT_FALSE(flow.canStop());
    EXPECT_FALSE(flow.start());
    EXPECT_TRUE(host.events.empty());
    doc.source().insert("\n", 0, 0, false);
    EXPECT_TRUE(flow.canTranslate());
    EXPECT_TRUE(flow.start());
}

TEST_F(EditorTranslateFlow, BusyEngineRefusesWithAMessage)
{
    doc.source().insert("Hello.", 0, 0, false);
    host.busy = true;
    EXPECT_FALSE(flow.canTranslate());
    EXPECT_TRUE(flow.canStop());
    EXPECT_FALSE(flow.start());
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "翻訳エンジンがビジーです。翻訳が終了してから再度実行してください。");
    EXPECT_FALSE(doc.run.translating);
}

TEST_F(EditorTranslateFlow, StartClearsOldPairsAndSendsTheText)
{
    doc.source().insert(std::string("Hi\n") + kA, 4, 0, false);
    doc.translation().insert("old", 4, 0, false);
    host.direction = 0;  // automatic: decided by the text
    ASSERT_TRUE(flow.start());
    EXPECT_EQ(host.sent, std::string("Hi\n") + kA);
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "started", "start1"}));
    EXPECT_EQ(pairsOf(doc.source()), (std::vector<std::uint16_t>{0, 0, 0, 0}));
    EXPECT_EQ(doc.translation().length(), 0u);
    EXPECT_TRUE(doc.run.translating);
    EXPECT_EQ(doc.run.sourceBytes, 5u);
    EXPECT_FALSE(flow.canTranslate());
}

TEST_F(EditorTranslateFlow, UnreachableEngineEndsTheRun)
{
    doc.source().insert(kA, 0, 0, false);
    host.engineReachable = false;
    host.direction = 2;
    EXPECT_FALSE(flow.start());
    EXPECT_EQ(presenter.messages.back().text, "日英翻訳エンジンに接続できません。");
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "started", "start2", "ended", "free", "close", "speak"}));
    EXPECT_FALSE(doc.run.translating);
    EXPECT_FALSE(host.busy);
}

TEST_F(EditorTranslateFlow, LinksSentencesByByteOffset)
{
    // Offsets count CP932 bytes; a line break inside a sentence is marked, not counted.
    translate(std::string("One.") + kA + "\nB two.", 1);
    flow.onCallback("$$$\nUNO\t5\tOne.\t0\t4\n" "X\t6\t\x82\xA0\t4\t3\n" "DOS\t2\tB two.\t8\t5");
    const auto& src = doc.source().store();
    EXPECT_EQ(pairsOf(doc.source()), (std::vector<std::uint16_t>{1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3}));
    EXPECT_EQ(src[0].tag, 5);
    EXPECT_EQ(src[5].tag, 6);
    EXPECT_EQ(src[7].tag, 2);
    EXPECT_EQ(textOf(doc.translation()), "UNOXDOS\n");
    EXPECT_EQ(pairsOf(doc.translation()), (std::vector<std::uint16_t>{1, 1, 1, 2, 3, 3, 3, 0}));
    EXPECT_EQ(doc.translation().caret(), doc.translation().length());
    EXPECT_EQ(host.percents, (std::vector<int>{12 * 100 / 13}));
    EXPECT_TRUE(doc.modified);
}

TEST_F(EditorTranslateFlow, LineBreaksBeforeTheFirstMarkedCharacterStayUnlinked)
{
    translate("\r\n\r\nab", 1);
    flow.onCallback("$$$\nAB\t0\tab\t0\t2");
    EXPECT_EQ(pairsOf(doc.source()), (std::vector<std::uint16_t>{0, 0, 1, 1}));
}

TEST_F(EditorTranslateFlow, ArticlesSameOffsetsAndOffsetsPastTheText)
{
    translate("The cat. A dog.", 1);
    flow.onCallback("$$$\nThe\t0\t\t0\t3\nneko\t0\tcat.\t4\t4\nx\t0\t\t4\t4\n");
    flow.onCallback("$$$\nA\t0\t\t9\t1\nfar\t0\t\t400\t2\nneg\t0\t\t-1\t2\n");
    const auto tr = pairsOf(doc.translation());
    // "The" unlinked (pair 0), "neko" pair 2, "x" same offset as the line before it: pair 0.
    EXPECT_EQ(textOf(doc.translation()), "Thenekox\nAfarneg\n");
    EXPECT_EQ(tr, (std::vector<std::uint16_t>{0, 0, 0, 2, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(doc.source().store()[4].pair, 2);
    EXPECT_EQ(doc.source().store()[0].pair, 0);
    EXPECT_EQ(doc.run.nextPair, 6);
}

TEST_F(EditorTranslateFlow, ReusesThePairOfAlreadyLinkedSource)
{
    translate("Hello there.", 1);
    flow.onCallback("$$$\nkonnichiwa\t0\t\t0\t12\n");
    flow.onCallback("$$$\nsoko\t0\t\t6\t6\n");
    EXPECT_EQ(pairsOf(doc.translation()),
              (std::vector<std::uint16_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0}));
    EXPECT_EQ(doc.run.nextPair, 2);
}

TEST_F(EditorTranslateFlow, JapaneseToEnglishSpacing)
{
    translate(std::string(kA) + kI, 2);
    // The editor's first block starts without the block-start flag.
    flow.onCallback("$$$\nFirst\t0\nsecond\t0\n");
    EXPECT_EQ(textOf(doc.translation()), "First second\n");
    // A later block: no space before its first line, one before a letter, none before a comma.
    flow.onCallback("$$$\nThird\t0\nfourth\t0\n, fifth\t0\n");
    EXPECT_EQ(textOf(doc.translation()), "First second\nThird fourth, fifth\n");
    EXPECT_EQ(doc.translation().store()[5].pair, 0);  // the space has no pair

    // Pair numbers are never reset, so a new run's first line gets no space only by the flag.
    flow.onCallback("$$$");
    translate(kA, 2);
    flow.onCallback("$$$\nAgain\t0\nmore\t0\n");
    EXPECT_EQ(textOf(doc.translation()), "Again more\n");
    EXPECT_GT(doc.run.nextPair, 5);
}

TEST_F(EditorTranslateFlow, UntranslatableSentenceUsesUpAPairNumber)
{
    translate("Bad one. Good.", 1);
    flow.onCallback("Bad one.\n");
    flow.onCallback("$$$\nYoi\t0\tGood.\t9\t5\n");
    EXPECT_EQ(textOf(doc.translation()), "\x81\x79\x96\x7C\x96\xF3\x95\x73\x94\x5C\x95\xB6\x81\x7A\nYoi\n");
    EXPECT_EQ(doc.source().store()[9].pair, 2);
    EXPECT_EQ(host.percents, (std::vector<int>{57, 92}));  // 8 of 14 bytes, then 13 of 14
}

TEST_F(EditorTranslateFlow, EmptyBlockInsertsNothingAndEndMarkEnds)
{
    translate("Hello.", 1);
    flow.onCallback("$$$\n$$$\t1\n");
    EXPECT_EQ(doc.translation().length(), 0u);
    host.events.clear();
    flow.onCallback("$$$");
    EXPECT_EQ(host.events, (std::vector<std::string>{"ended", "free", "close"}));
    EXPECT_FALSE(doc.run.translating);
    EXPECT_TRUE(flow.canTranslate());
}

TEST_F(EditorTranslateFlow, StopReleasesOnlyTheFlagThisEditorSet)
{
    translate("Hello.", 1);
    host.events.clear();
    flow.stop();
    EXPECT_EQ(host.events, (std::vector<std::string>{"stop", "stopped", "free"}));
    EXPECT_FALSE(doc.run.translating);

    // Another program's job now holds the flag: neither a late end mark nor stop clears it.
    host.busy = true;
    host.events.clear();
    flow.onCallback("$$$");
    flow.stop();
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(host.events, (std::vector<std::string>{"ended", "close", "stop", "stopped"}));
}

TEST_F(EditorTranslateFlow, AFullPaneStopsTheRunOnceAndKeepsWhatFits)
{
    translate("One. Two. Three.", 1);
    // Leave room for the first result line and its line break only.
    doc.translation().insert(std::string(kMaxCharacters - 6, 'x'), 0, 0, false);
    host.events.clear();
    flow.onCallback("$$$\nIchi\t0\tOne.\t0\t4\n");
    ASSERT_TRUE(presenter.messages.empty());
    flow.onCallback("$$$\nNi\t0\tTwo.\t5\t4\nSan\t0\tThree.\t10\t6\n");
    flow.onCallback("It failed.\n");
    flow.onCallback("$$$\nMore\t0\tMore\t0\t4\n");
    ASSERT_EQ(presenter.messages.size(), 1u) << "one message for the whole run";
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kStoreFull);
    EXPECT_EQ(textOf(doc.translation()).substr(kMaxCharacters - 6), "Ichi\n");
    EXPECT_FALSE(doc.run.translating);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.events, (std::vector<std::string>{"stop", "stopped", "free"}));

    // The end mark still arrives and ends the run as usual; the next run starts afresh.
    host.events.clear();
    flow.onCallback("$$$");
    EXPECT_EQ(host.events, (std::vector<std::string>{"ended", "close"}));
    doc.translation().clearAll();
    translate("Four.", 1);
    flow.onCallback("$$$\nYon\t0\tFour.\t0\t5\n");
    EXPECT_EQ(textOf(doc.translation()), "Yon\n");
}

TEST_F(EditorTranslateFlow, FirstBlockOfTheEditorsLifeDropsTheTranslationUndo)
{
    doc.translation().insert("typed", 0, 0, true);
    doc.translation().insert("more", 0, 0, true);
    translate("Hello.", 1);
    EXPECT_TRUE(doc.translation().store().canUndo());
    flow.onCallback("$$$\nKonnichiwa\t0\t\t0\t6\n");
    EXPECT_FALSE(doc.translation().store().canUndo());
}

} // namespace
} // namespace yv::editor
