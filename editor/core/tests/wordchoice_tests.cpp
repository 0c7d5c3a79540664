// Word choice and registration: the unit and its replacement, the
// headword cut from a list row, and the registration's checks.
#include "editortest.h"

#include <editorcore/messages.h>
#include <editorcore/translateflow.h>
#include <editorcore/wordchoice.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::textOf;

TEST(WordChoice, HeadwordIsTheFirstPieceBetweenAngleBrackets)
{
    EXPECT_EQ(headwordToRegister("<run>"), "run");
    EXPECT_EQ(headwordToRegister("run"), "run");
    EXPECT_EQ(headwordToRegister("\x91\x96\x82\xE9<x>"), "\x91\x96\x82\xE9");
    EXPECT_EQ(headwordToRegister("<<a>b"), "a");
    EXPECT_EQ(headwordToRegister("<>"), "");
    EXPECT_EQ(headwordToRegister(""), "");
    EXPECT_EQ(wordDirection("run"), 1);
    EXPECT_EQ(wordDirection(std::string("a") + kA), 2);
    EXPECT_EQ(wordDirection("\xB1\xB2"), 1) << "half-width kana hold no lead byte";
}

class WordChoiceDocument : public ::testing::Test {
protected:
    void SetUp() override
    {
        // "I run." with "run" as unit 7 (tag 3) and "Go" typed after the translation.
        doc.source().insert("I ", 0, 0, false);
        doc.source().insert("run", 7, 3, false);
        doc.source().insert(". Go", 0, 0, false);
        doc.translation().insert("watashi ", 6, 0, false);
        doc.translation().insert("hashiru", 7, 0, false);
        doc.translation().insert("\n", 0, 0, false);
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    TransDoc doc{font, font};
};

TEST_F(WordChoiceDocument, CharacterWithoutUnitIsRefused)
{
    doc.source().setCaret(7);  // "G"
    EXPECT_FALSE(selectWordChoiceUnit(doc, Side::Source));
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, messages::kNoWordChoice);
    EXPECT_FALSE(doc.translation().hasSelection());
}

TEST_F(WordChoiceDocument, UnitFromEitherPaneIsSelectedInBoth)
{
    doc.translation().setCaret(10);  // inside "hashiru"
    const auto unit = selectWordChoiceUnit(doc, Side::Translation);
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->pair, 7);
    EXPECT_EQ(unit->tag, 3);
    EXPECT_EQ(unit->source, "run");
    EXPECT_EQ(unit->translation, "hashiru");
    EXPECT_EQ(doc.source().selFirst(), 2);
    EXPECT_EQ(doc.source().selLast(), 4);

    // The first selected character decides, not the caret.
    doc.source().select(2, 6);
    EXPECT_EQ(selectWordChoiceUnit(doc, Side::Source)->source, "run");
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(WordChoiceDocument, ChoiceKeepsPairAndSourceTagAndUndoes)
{
    doc.source().setCaret(3);
    const auto unit = selectWordChoiceUnit(doc, Side::Source);
    ASSERT_TRUE(unit);
    doc.modified = false;
    ASSERT_TRUE(applyWordChoice(doc, *unit, "kakeru"));
    const EditPane& translation = doc.translation();
    EXPECT_EQ(textOf(translation), "watashi kakeru\n");
    EXPECT_EQ(translation.selFirst(), 8);
    EXPECT_EQ(translation.selLast(), 13);
    for (std::size_t i = 8; i <= 13; ++i) {
        EXPECT_EQ(translation.store()[i].pair, 7);
        EXPECT_EQ(translation.store()[i].tag, 3);
    }
    EXPECT_EQ(translation.store()[14].pair, 0);
    EXPECT_TRUE(doc.modified);

    ASSERT_TRUE(doc.translation().undo());
    EXPECT_EQ(textOf(doc.translation()), "watashi hashiru\n");
    EXPECT_EQ(doc.translation().store()[8].tag, 0);
}

class FakeRegistrationHost final : public RegistrationHost {
public:
    bool engineBusy() const override { return busy; }
    int askDictionaryDirection() override
    {
        ++asked;
        return answer;
    }
    std::optional<std::string> userDictionary(int direction) override
    {
        readDirection = direction;
        return dictionary;
    }
    bool openRegistration(int direction, std::string_view word, std::string_view dic) override
    {
        opened.push_back({direction, std::string(word), std::string(dic)});
        return reachable;
    }
    void registrationFailed() override { ++failures; }

    struct Opened {
        int direction;
        std::string word;
        std::string dictionary;
    };
    bool busy = false;
    int answer = 0;
    int asked = 0;
    int readDirection = 0;
    std::optional<std::string> dictionary = "/dic/ejudic";
    bool reachable = true;
    std::vector<Opened> opened;
    int failures = 0;
};

class WordRegistration : public ::testing::Test {
protected:
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FakeRegistrationHost host;
};

TEST_F(WordRegistration, HeadwordOf125BytesRegistersAnd126IsRefused)
{
    const std::string longest(kMaxHeadwordBytes, 'w');
    EXPECT_EQ(registerWord(host, longest), Registration::Opened);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0].direction, 1);
    EXPECT_EQ(host.opened[0].word, longest);
    EXPECT_EQ(host.opened[0].dictionary, "/dic/ejudic");
    EXPECT_TRUE(presenter.messages.empty());

    EXPECT_EQ(registerWord(host, longest + "w"), Registration::TooLong);
    EXPECT_EQ(host.opened.size(), 1u);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, messages::kHeadwordTooLong);

    // Bytes, not characters: 63 double-byte characters are 126 bytes.
    std::string japanese;
    for (int i = 0; i < 63; ++i)
        japanese += kA;
    EXPECT_EQ(registerWord(host, japanese), Registration::TooLong);
    EXPECT_EQ(registerWord(host, japanese.substr(2)), Registration::Opened);
    EXPECT_EQ(host.readDirection, 2);
}

TEST_F(WordRegistration, WithoutAWordTheDirectionIsAsked)
{
    host.answer = 0;
    EXPECT_EQ(registerWord(host, ""), Registration::Cancelled);
    EXPECT_TRUE(host.opened.empty());
    host.answer = 2;
    EXPECT_EQ(registerWord(host, ""), Registration::Opened);
    EXPECT_EQ(host.asked, 2);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0].direction, 2);
    EXPECT_EQ(host.opened[0].word, "");
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(WordRegistration, EachFailureShowsItsMessageAndStops)
{
    host.busy = true;
    EXPECT_EQ(registerWord(host, std::string(200, 'x')), Registration::EngineBusy);
    host.busy = false;

    host.dictionary.reset();
    EXPECT_EQ(registerWord(host, "word"), Registration::NoDictionary);
    host.dictionary = "";
    EXPECT_EQ(registerWord(host, kA), Registration::NoDictionary);
    EXPECT_TRUE(host.opened.empty());

    host.dictionary = "/dic/jeudic";
    host.reachable = false;
    EXPECT_EQ(registerWord(host, kA), Registration::NotConnected);
    EXPECT_EQ(host.failures, 1);

    std::vector<std::string> shown;
    for (const auto& m : presenter.messages)
        shown.push_back(m.text);
    EXPECT_EQ(shown, (std::vector<std::string>{std::string(messages::kEngineBusy),
                                               std::string(messages::kNoUserDictionaryEJ),
                                               std::string(messages::kNoUserDictionaryJE),
                                               std::string(messages::kCannotConnectJE)}));
}

class CountingHost final : public TranslateHost {
public:
    bool engineBusy() const override { return busy; }
    void setEngineBusy(bool b) override { busy = b; }
    int directionSetting() const override { return 0; }
    bool startEngine(int, std::string_view) override { return true; }
    void stopEngines() override {}
    void closeEngines() override { ++closed; }
    void runStarted() override {}
    void progress(int) override {}
    void showTranslationCaret() override {}
    void runEnded() override { ++ended; }
    void runStopped() override {}
    void readTranslationAloud() override { ++readAloud; }
    void dispatchPendingMessages() override {}
    bool busy = false;
    int closed = 0;
    int ended = 0;
    int readAloud = 0;
};

TEST_F(WordRegistration, UnreachedEngineEndsWithoutReadingTheLastRunAloud)
{
    FixedMetrics font;
    TransDoc doc(font, font);
    CountingHost flowHost;
    TranslateFlow flow(doc, flowHost);
    doc.run.runDirection = 2;  // the last run was JE
    flowHost.busy = true;      // held by another program
    flow.endWithoutRun();
    EXPECT_EQ(flowHost.ended, 1);
    EXPECT_EQ(flowHost.closed, 1);
    EXPECT_EQ(flowHost.readAloud, 0);
    EXPECT_TRUE(flowHost.busy) << "another program's busy flag stays";
}

} // namespace
} // namespace yv::editor
