// The word tools of the editor window: find and replace dialogs with their settings, word
// choice and registration offscreen, and word choice through the reference engine.
#include "findreplace.h"
#include "mainwindow.h"
#include "transtests.h"
#include "wordchoicedialog.h"
#include "wordtools.h"

#include <Etc.h>
#include <Messages.h>
#include <editorcore/messages.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <enginetests.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <cstdlib>

namespace {

using yv::testing::ensureApplication;
using yv::testing::paneText;

using yv::testing::serveUntil;

using namespace yv;
using editor::Side;


std::string readSetting(const char* name)
{
    std::string value(4096, '\0');
    GetRegStr(0, trans::kSettingsKey, name, value.data(), static_cast<std::uint32_t>(value.size()), "");
    value.resize(value.find('\0'));
    return value;
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

std::vector<std::string> shownMessages(const yv::testing::RecordingPresenter& presenter)
{
    std::vector<std::string> texts;
    for (const auto& m : presenter.messages)
        texts.push_back(m.text);
    return texts;
}


class WordWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        frame = std::make_unique<trans::CMainFrame>();
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        frame->view(Side::Source).setFocus();
    }

    void type(const char* text) { QTest::keyClicks(&frame->view(Side::Source), QString::fromLatin1(text)); }
    editor::EditPane& source() { return frame->document().source(); }
    trans::WordTools& tools() { return frame->wordTools(); }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    std::unique_ptr<trans::CMainFrame> frame;
};

TEST_F(WordWindow, FindDialogSearchesAndStoresHistoryAndFlags)
{
    SetRegStr(HKEY_CURRENT_USER, trans::kSettingsKey, "search_keys", "old;abc;older");
    SetRegDWORD(HKEY_CURRENT_USER, trans::kSettingsKey, "search_direction", 1);
    type("abc ABC abc");
    source().setCaret(0);
    frame->updateCommandStates();
    EXPECT_FALSE(frame->action("editFindNext")->isEnabled());
    EXPECT_FALSE(frame->action("editFindPrevious")->isEnabled());

    frame->action("editFind")->trigger();
    trans::FindDialog* dialog = tools().findReplace().findDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "文字列の検索");
    EXPECT_EQ(comboItems(dialog->searchText()), (QStringList{"old", "abc", "older"}));
    EXPECT_FALSE(dialog->matchCase()->isChecked());
    EXPECT_TRUE(dialog->up()->isChecked());

    dialog->searchText()->setCurrentText(QStringLiteral("abc"));
    dialog->matchCase()->setChecked(true);
    dialog->down()->setChecked(true);
    dialog->find();
    EXPECT_EQ(source().selFirst(), 0);
    dialog->find();
    EXPECT_EQ(source().selFirst(), 8) << "match case skips ABC";
    EXPECT_TRUE(presenter.messages.empty());
    dialog->find();
    EXPECT_EQ(shownMessages(presenter), std::vector<std::string>{std::string(editor::messages::kSearchDone)});

    EXPECT_EQ(readSetting("search_keys"), "abc;old;older");
    EXPECT_EQ(comboItems(dialog->searchText()), (QStringList{"abc", "old", "older"}));
    EXPECT_EQ(GetRegDWORD(0, trans::kSettingsKey, "search_uplow", 9), 1u);
    EXPECT_EQ(GetRegDWORD(0, trans::kSettingsKey, "search_direction", 9), 0u);

    // F3 and Shift+F3 go on with the last text and case flag.
    EXPECT_TRUE(frame->action("editFindNext")->isEnabled());
    source().clearSelection();
    source().setCaret(source().length());
    frame->action("editFindPrevious")->trigger();
    EXPECT_EQ(source().selFirst(), 8);
    frame->action("editFindPrevious")->trigger();
    EXPECT_EQ(source().selFirst(), 0);

    // The command brings the open dialog back rather than a second one.
    frame->action("editFind")->trigger();
    EXPECT_EQ(tools().findReplace().findDialog(), dialog);
    EXPECT_EQ(frame->findChildren<trans::FindDialog*>().size(), 1);
}

TEST_F(WordWindow, ReplaceDialogReplacesAndKeepsItsOwnCaseBox)
{
    SetRegDWORD(HKEY_CURRENT_USER, trans::kSettingsKey, "replace_uplow", 1);
    SetRegStr(HKEY_CURRENT_USER, trans::kSettingsKey, "replace_keys", "zz");
    type("a-A-a-a");
    source().setCaret(0);
    frame->action("editReplace")->trigger();
    trans::ReplaceDialog* dialog = tools().findReplace().replaceDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "文字列の置換");
    EXPECT_TRUE(dialog->matchCase()->isChecked());
    EXPECT_EQ(comboItems(dialog->replacementText()), QStringList{"zz"});
    dialog->searchText()->setCurrentText(QStringLiteral("a"));
    dialog->replacementText()->setCurrentText(QStringLiteral("bb"));

    // Not selected as a match: only finds.
    dialog->replace();
    EXPECT_EQ(paneText(*frame, Side::Source), "a-A-a-a");
    EXPECT_EQ(source().selFirst(), 0);
    dialog->replace();
    EXPECT_EQ(paneText(*frame, Side::Source), "bb-A-a-a");
    EXPECT_EQ(source().selFirst(), 5) << "the case box skips A";

    dialog->matchCase()->setChecked(false);
    dialog->replaceAll();
    EXPECT_EQ(paneText(*frame, Side::Source), "bb-bb-bb-bb");
    EXPECT_TRUE(presenter.messages.empty()) << "replace-all says nothing";
    EXPECT_TRUE(frame->document().modified);
    frame->action("editUndo")->trigger();
    EXPECT_EQ(paneText(*frame, Side::Source), "bb-bb-bb-a") << "undo takes back the last replacement only";

    EXPECT_EQ(readSetting("search_keys"), "a");
    EXPECT_EQ(readSetting("replace_keys"), "bb;zz");
    EXPECT_EQ(GetRegDWORD(0, trans::kSettingsKey, "replace_uplow", 9), 0u);
    EXPECT_EQ(GetRegDWORD(0, trans::kSettingsKey, "search_uplow", 9), 9u) << "the find dialog's box is its own";

    // While a translation runs into the panes, nothing is replaced.
    frame->view(Side::Source).setEnabled(false);
    frame->updateCommandStates();
    EXPECT_FALSE(frame->action("editReplace")->isEnabled());
    dialog->replaceAll();
    EXPECT_EQ(paneText(*frame, Side::Source), "bb-bb-bb-a");
}

TEST_F(WordWindow, WordChoiceNeedsAUnitAndTheRegistrationItsChecks)
{
    type("x");
    source().setCaret(0);
    frame->updateCommandStates();
    EXPECT_FALSE(frame->action("wordChoice")->isEnabled());
    EXPECT_FALSE(tools().wordChoice());
    EXPECT_EQ(shownMessages(presenter), std::vector<std::string>{std::string(editor::messages::kNoWordChoice)});

    // 126 bytes selected in the source pane are refused before any engine is asked.
    source().insert(std::string(125, 'w'), 0, 0, false);
    source().select(0, 125);
    EXPECT_EQ(tools().registerSelection(), editor::Registration::TooLong);

    // Nothing selected: the direction is asked first.
    source().clearSelection();
    tools().askDirection = [] { return 0; };
    EXPECT_EQ(tools().registerSelection(), editor::Registration::Cancelled);
    EXPECT_EQ(shownMessages(presenter),
              (std::vector<std::string>{std::string(editor::messages::kNoWordChoice),
                                        std::string(editor::messages::kHeadwordTooLong)}));
}

TEST_F(WordWindow, WordChoiceDialogChoosesARowAndAddsTheBracketedHeadword)
{
    SetRegDWORD(HKEY_CURRENT_USER, trans::kWordChoiceKey, "LV_COL0", 150);
    source().insert("I ", 0, 0, false);
    source().insert("run", 4, 2, false);
    frame->document().translation().insert("hashiru", 4, 0, false);
    frame->document().translation().insert("\n", 0, 0, false);
    source().setCaret(3);
    frame->updateCommandStates();
    EXPECT_TRUE(frame->action("wordChoice")->isEnabled());

    const std::string lookUp = codec::utf8ToCp932("[C:\\dic\\user.dic]\n<run>\t\t\n動詞\tはしる\t走る\n(x)\t\ty\n");
    std::vector<std::string> registered;
    tools().runWordChoiceDialog = [&](trans::WordChoiceDialog& dialog) {
        dialog.showEntries(lookUp);
        QTreeWidget* list = dialog.list();
        EXPECT_EQ(list->columnWidth(0), 150);
        EXPECT_EQ(list->columnWidth(1), 100);
        EXPECT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), "<run>");
        EXPECT_EQ(list->topLevelItem(1)->text(0).toStdString(), "走る");
        EXPECT_EQ(list->topLevelItem(1)->text(1).toStdString(), "動詞");
        EXPECT_EQ(list->topLevelItem(1)->text(2).toStdString(), "user");
        dialog.choose();
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << "no row selected yet";
        list->setColumnWidth(1, 120);
        list->topLevelItem(1)->setSelected(true);
        dialog.choose();
        return dialog.result();
    };
    ASSERT_TRUE(tools().wordChoice());
    EXPECT_EQ(shownMessages(presenter), std::vector<std::string>{std::string(editor::messages::kChooseTranslation)});
    EXPECT_EQ(paneText(*frame, Side::Translation), "走る\n");
    EXPECT_EQ(frame->document().translation().store()[0].pair, 4);
    EXPECT_EQ(GetRegDWORD(0, trans::kWordChoiceKey, "LV_COL1", 0), 120u);

    // "訳語追加" registers the first row's text cut at its angle brackets.
    const editor::WordChoiceUnit unit{4, 2, "run", "hashiru"};
    trans::WordChoiceDialog dialog(unit, [&](const std::string& word) { registered.push_back(word); }, frame.get());

    // A row whose translation is empty is refused: choosing it would delete the unit.
    dialog.showEntries(codec::utf8ToCp932("[C:\\dic\\user.dic]\n名詞\tx\t\n"));
    ASSERT_EQ(dialog.list()->topLevelItemCount(), 1);
    dialog.list()->topLevelItem(0)->setSelected(true);
    const std::size_t shown = presenter.messages.size();
    dialog.choose();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.chosenTranslation().empty());
    ASSERT_EQ(presenter.messages.size(), shown + 1);
    EXPECT_EQ(presenter.messages.back().text, editor::messages::kChooseTranslation);

    dialog.addWord();
    dialog.showEntries(lookUp);
    dialog.addWord();
    EXPECT_EQ(registered, (std::vector<std::string>{"", "run"}));

    dialog.showEntries("");
    EXPECT_EQ(dialog.list()->topLevelItemCount(), 0);
    EXPECT_EQ(presenter.messages.back().text, editor::messages::kNotInDictionary);
}

// Through the reference engine.
class WordEngine : public WordWindow {
protected:
    static void SetUpTestSuite()
    {
        yv::testing::useReferenceEngines(ENGINE_CACHE_DIR);
        ensureApplication();
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
        WordWindow::SetUp();
    }

    void TearDown() override
    {
        frame.reset();
        yv::testing::closeEngines();
    }


    void translate(const char* text)
    {
        type(text);
        ASSERT_TRUE(frame->translate());
        ASSERT_TRUE(serveUntil([&] { return !frame->document().run.translating; }));
        source().setCaret(0);
        frame->updateCommandStates();
    }
};

TEST_F(WordEngine, WordChoiceListsTheEngineEntriesAndReplacesTheUnit)
{
    translate("book");
    ASSERT_TRUE(frame->action("wordChoice")->isEnabled());
    if (std::getenv("YV_WORDCHOICE_SCREENSHOT"))
        frame->setGeometry(20, 40, 860, 520);
    tools().runWordChoiceDialog = [&](trans::WordChoiceDialog& dialog) {
        dialog.move(300, 280);
        dialog.show();
        EXPECT_TRUE(serveUntil([&] { return dialog.lookUpDone(); }));
        QTreeWidget* list = dialog.list();
        EXPECT_GT(list->topLevelItemCount(), 2);
        if (list->topLevelItemCount() < 3)
            return int(QDialog::Rejected);
        EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), "<book>");
        EXPECT_EQ(list->topLevelItem(1)->text(1).toStdString(), "名詞");
        EXPECT_EQ(list->topLevelItem(1)->text(2).toStdString(), "edict");
        list->topLevelItem(2)->setSelected(true);
        // A picture for the documentation: the editor with the dialog over it.
        if (const char* shot = std::getenv("YV_WORDCHOICE_SCREENSHOT")) {
            QTest::qWait(1000);
            QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 900, 640).save(QString::fromLocal8Bit(shot));
        }
        dialog.choose();
        return dialog.result();
    };
    const std::string before = paneText(*frame, Side::Translation);
    ASSERT_TRUE(tools().wordChoice());
    EXPECT_TRUE(presenter.messages.empty());
    const std::string after = paneText(*frame, Side::Translation);
    EXPECT_NE(after, before);
    const editor::EditPane& translation = frame->document().translation();
    EXPECT_EQ(translation.store()[static_cast<std::size_t>(translation.selFirst())].pair, source().store()[0].pair);
    ASSERT_TRUE(frame->document().translation().undo());
    EXPECT_EQ(paneText(*frame, Side::Translation), before);
}

TEST_F(WordEngine, AddWordOpensTheEngineRegistrationForTheHeadword)
{
    translate("book");
    ASSERT_EQ(SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "DIC1", (home.dir() / "ejudic").c_str(), 1), 0);
    std::vector<editor::Registration> results;
    tools().runWordChoiceDialog = [&](trans::WordChoiceDialog& dialog) {
        dialog.show();
        EXPECT_TRUE(serveUntil([&] { return dialog.lookUpDone(); }));
        dialog.addWord();
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(tools().wordChoice());
    EXPECT_TRUE(presenter.messages.empty()) << "the registration reached the engine";
    EXPECT_EQ(tools().registerHeadword("book"), editor::Registration::Opened);
}

} // namespace
