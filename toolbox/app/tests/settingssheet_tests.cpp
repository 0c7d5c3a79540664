// The settings sheet as a user works it: keys typed into the key controls, buttons pressed,
// files chosen (through stand-in dialogs), and what the sheet stores and tells the engines.
#include "settingspages.h"
#include "settingssheet.h"

#include <toolboxcore/settingstexts.h>
#include <toolboxcore/toolboxtexts.h>

#include <Etc.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <captureengine/sessionentry.h>
#include <platform/atomicfile.h>
#include <platform/paths.h>
#include <platform/bus.h>

#include "peerprocess.h"
#include <testhome.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace yv;
using namespace yv::toolbox;
using yv::testing::ChildProcess;

template <typename Done>
bool serveUntil(Done done, int ms = 20000)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        QTest::qWait(10);
    }
    return true;
}

std::string engineValue(const char* subkey, const char* name, int direction)
{
    char buffer[1024] = {};
    GetRegStr_Engine(0, subkey, name, buffer, sizeof buffer, "", direction);
    return buffer;
}

class SettingsSheet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!qApp) {
            static int argc = 1;
            static char name[] = "toolboxapp_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        // The engines' keys of this test home.
        home.writeFile("machine/profile/EJRELAY.INI", "[RELAYER/EJ]\nREGPATH=Software\\Test\\EJ\n");
        home.writeFile("machine/profile/JERELAY.INI", "[RELAYER/JE]\nREGPATH=Software\\Test\\JE\n");
        services.openFile = [this](QWidget*, const QString& caption, const QString& filter) {
            asked.push_back((caption + " | " + filter).toStdString());
            return chosenFiles.empty() ? QString() : takeFirst(chosenFiles);
        };
        services.saveFile = services.openFile;
        services.chooseFolder = [this](QWidget*, const QString& caption, const QString&) {
            asked.push_back(caption.toStdString());
            return chosenFiles.empty() ? QString() : takeFirst(chosenFiles);
        };
        services.startProgram = [this](std::string_view program) {
            started.emplace_back(program);
            return false;
        };
        services.showHelp = [this](std::uint64_t topic) { helpTopics.push_back(topic); };
        services.createDictionary = [this](int direction, const std::string& path) {
            created.push_back(std::to_string(direction) + " " + path);
            return engineAnswers;
        };
        services.speechAvailable = [this] {
            ++speechProbes;
            return true;
        };
        services.defaultTextEditor = [] { return QStringLiteral("org.example.editor"); };
        hook = home.dir() / "lib" / capture::session::kHookFile;
        home.writeFile(fs::path("lib") / capture::session::kHookFile, "hook");
        services.captureHook = [this] { return hook; };
    }

    static QString takeFirst(std::vector<QString>& list)
    {
        const QString first = list.front();
        list.erase(list.begin());
        return first;
    }

    std::unique_ptr<CMyPropSheet> openSheet(int page)
    {
        auto sheet = std::make_unique<CMyPropSheet>(page, services);
        sheet->show();
        return sheet;
    }

    template <typename T>
    static T* control(CMyPropSheet& sheet, int page, const char* name)
    {
        T* found = sheet.page(page)->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    static void click(CMyPropSheet& sheet, int page, const char* name)
    {
        if (auto* button = control<QPushButton>(sheet, page, name))
            button->click();
    }

    bool told(std::string_view text) const
    {
        return std::any_of(presenter.messages.begin(), presenter.messages.end(),
                           [&](const yv::testing::RecordedMessage& m) { return m.text == text; });
    }

    std::string logOf(const std::string& name) const { return (home.dir() / (name + ".log")).string(); }
    int countLines(const std::string& name, const std::string& needle) const
    {
        const auto lines = yv::testing::readLines(logOf(name));
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [&](const std::string& l) { return l.find(needle) != std::string::npos; }));
    }
    void startPeer(const std::string& name, const std::string& windowClass)
    {
        peers.push_back(std::make_unique<ChildProcess>(
            BUS_PEER, std::vector<std::string>{"--class", windowClass, "--log", logOf(name)}));
        ASSERT_TRUE(serveUntil([&] { return countLines(name, "ready") > 0; }));
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    SheetServices services;
    std::vector<QString> chosenFiles;
    std::vector<std::string> asked;
    std::vector<std::string> started;
    std::vector<std::uint64_t> helpTopics;
    std::vector<std::string> created;
    bool engineAnswers = true;
    int speechProbes = 0;
    fs::path hook;
    std::vector<std::unique_ptr<ChildProcess>> peers;
};

TEST_F(SettingsSheet, OpensOnThePageAskedForOrTheOneShownLastAndDescribesWhatIsUnderTheMouse)
{
    {
        auto sheet = openSheet(-1);
        EXPECT_EQ(sheet->windowTitle().toStdString(), "環境設定");
        EXPECT_EQ(sheet->currentPage(), CMyPropSheet::KeysPage) << "nothing stored yet";
        sheet->showPage(CMyPropSheet::SoftPage);
    }
    EXPECT_EQ(CMyPropSheet::storedPage(), CMyPropSheet::SoftPage);
    auto sheet = openSheet(-1);
    EXPECT_EQ(sheet->currentPage(), CMyPropSheet::SoftPage);
    auto asked = openSheet(CMyPropSheet::JeDictionaryPage);
    EXPECT_EQ(asked->currentPage(), CMyPropSheet::JeDictionaryPage);

    // Every page describes its controls; a control inside a described group takes the group's.
    const struct {
        int page;
        const char* control;
        std::string_view text;
    } kDescribed[] = {
        {CMyPropSheet::KeysPage, "cdrom", kKeyDescriptions[2]},
        {CMyPropSheet::TransPage, "precision", kPrecisionDescription},
        {CMyPropSheet::EjDictionaryPage, "user", kUserDictionaryDescription},
        {CMyPropSheet::JeDictionaryPage, "converter", kConverterDescription},
        {CMyPropSheet::SoftPage, "delay", kSpyglassDescription},
        {CMyPropSheet::SoftPage, "editorPath", kTextEditorDescription},
        {CMyPropSheet::VoicePage, "transSpeak", kVoiceDescriptions[3]},
    };
    for (const auto& d : kDescribed) {
        SettingsPage* page = sheet->page(d.page);
        page->describeAt(page->findChild<QWidget*>(QString::fromLatin1(d.control)));
        EXPECT_EQ(page->description().toStdString(), d.text) << d.control;
    }
}

TEST_F(SettingsSheet, KeysTakeFunctionKeysAloneRefuseAltAndTheSameKeyTwice)
{
    auto sheet = openSheet(CMyPropSheet::KeysPage);
    auto* translate = control<QLineEdit>(*sheet, CMyPropSheet::KeysPage, "translate");
    auto* example = control<QLineEdit>(*sheet, CMyPropSheet::KeysPage, "example");
    EXPECT_EQ(translate->text().toStdString(), "F11");
    QTest::keyClick(translate, Qt::Key_A);
    EXPECT_EQ(translate->text().toStdString(), "F11") << "a letter alone is no hot key";
    QTest::keyClick(translate, Qt::Key_F6, Qt::AltModifier);
    EXPECT_EQ(translate->text().toStdString(), "F6") << "Alt falls back to no modifier";
    QTest::keyClick(example, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(example->text().toStdString(), "CTRL+SHIFT+Q");

    // F5 for two actions is refused: the sheet stays on the page and nothing is stored.
    QTest::keyClick(translate, Qt::Key_F5);
    QTest::keyClick(example, Qt::Key_F5);
    sheet->showPage(CMyPropSheet::SoftPage);
    sheet->accept();
    EXPECT_TRUE(told(kDuplicateKeys));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->currentPage(), CMyPropSheet::KeysPage);
    KeySettings keys{};
    LoadEnvKeys(&keys);
    EXPECT_EQ(keys.translate, 122);

    QTest::keyClick(example, Qt::Key_Backspace);
    EXPECT_EQ(example->text().toStdString(), "なし");
    sheet->accept();
    EXPECT_FALSE(sheet->isVisible());
    LoadEnvKeys(&keys);
    EXPECT_EQ(keys.translate, 0x74);
    EXPECT_EQ(keys.example, 0);
    EXPECT_EQ(keys.dictionary, 625);
}

TEST_F(SettingsSheet, TranslationOptionsResetOnlyTheEngineWhoseOptionChangedAndTheDirectionIsPosted)
{
    startPeer("ej", std::string(messages::kEngineEjClass));
    startPeer("je", std::string(messages::kEngineJeClass));
    startPeer("trans", std::string(messages::kTransClass));
    auto sheet = openSheet(CMyPropSheet::TransPage);
    control<QButtonGroup>(*sheet, CMyPropSheet::TransPage, "subject")->button(3)->click();  // we
    control<QButtonGroup>(*sheet, CMyPropSheet::TransPage, "direction")->button(3)->click();  // JE
    ASSERT_TRUE(sheet->apply());
    EXPECT_EQ(engineValue("RELAYER/JE", "SUBJ", DIRECTION_JE), "we");
    EXPECT_EQ(GetRegDWORD(0, nullptr, "翻訳方向", 0), 2u);
    EXPECT_TRUE(serveUntil([&] { return countLines("je", "HINGE/JE 16 0 0") == 1; }));
    EXPECT_TRUE(serveUntil([&] { return countLines("trans", "QEL_RlyTransWClass 1027 0 0") == 1; }))
        << "the boxes re-read the direction";
    QTest::qWait(200);
    EXPECT_EQ(countLines("ej", "HINGE/EJ 16"), 0) << "only the JE engine is reset";

    // The precision is an EJ option: position 8 is stored as 80000.
    control<QSlider>(*sheet, CMyPropSheet::TransPage, "precision")->setValue(8);
    ASSERT_TRUE(sheet->apply());
    EXPECT_EQ(GetRegDWORD(0, "RELAYER/EJ", "ParLimit", 0), 80000u);
    EXPECT_TRUE(serveUntil([&] { return countLines("ej", "HINGE/EJ 16 0 0") == 1; }));
    EXPECT_EQ(countLines("je", "HINGE/JE 16"), 1);

    // A direction changed elsewhere is followed.
    PostDirectionChanged(DIRECTION_EJ);
    sheet->directionChanged();
    EXPECT_TRUE(control<QButtonGroup>(*sheet, CMyPropSheet::TransPage, "direction")->button(2)->isChecked());
}

TEST_F(SettingsSheet, DictionaryPagesCheckWhatIsChosenAndStoreTheListInOrder)
{
    SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "DIC1", "/d/ejudic", DIRECTION_EJ);
    SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "DIC3", "/d/medical", DIRECTION_EJ);
    auto sheet = openSheet(CMyPropSheet::EjDictionaryPage);
    const int page = CMyPropSheet::EjDictionaryPage;
    auto* user = control<QLineEdit>(*sheet, page, "user");
    auto* others = control<QListWidget>(*sheet, page, "others");
    EXPECT_EQ(user->text().toStdString(), "/d/ejudic");
    ASSERT_EQ(others->count(), 1);

    chosenFiles = {QStringLiteral("/d/words.txt")};
    click(*sheet, page, "add");
    EXPECT_TRUE(told(kNotDictionaryExtension));
    EXPECT_EQ(others->count(), 1);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), "辞書ﾌｧｲﾙの指定 | 辞書(*.dic)");

    chosenFiles = {QStringLiteral("/d/a.dic"), QStringLiteral("/d/b.DIC"), QStringLiteral("/d/c.dic"),
                   QStringLiteral("/d/d.dic"), QStringLiteral("/d/e.dic")};
    for (int i = 0; i < 5; ++i)
        click(*sheet, page, "add");
    EXPECT_EQ(others->count(), 5);
    EXPECT_TRUE(told(kTooManyDictionaries)) << "a sixth is refused";
    EXPECT_EQ(chosenFiles.size(), 1u) << "without asking for a file";

    // The last added moves up above the one before it; the order is what is stored.
    click(*sheet, page, "up");
    ASSERT_TRUE(sheet->apply());
    EXPECT_EQ(engineValue("RELAYER/EJ", "DIC2", DIRECTION_EJ), "/d/medical");
    EXPECT_EQ(engineValue("RELAYER/EJ", "DIC5", DIRECTION_EJ), "/d/d");
    EXPECT_EQ(engineValue("RELAYER/EJ", "DIC6", DIRECTION_EJ), "/d/c");
    EXPECT_EQ(engineValue("RELAYER/EJ", "DIC3", DIRECTION_EJ), "/d/a");

    // Every other dictionary removed: DIC2 to DIC6 are cleared.
    while (others->count() > 0) {
        others->setCurrentRow(0);
        click(*sheet, page, "remove");
    }
    ASSERT_TRUE(sheet->apply());
    for (const char* name : {"DIC2", "DIC3", "DIC4", "DIC5", "DIC6"})
        EXPECT_EQ(engineValue("RELAYER/EJ", name, DIRECTION_EJ), "") << name;
    EXPECT_EQ(engineValue("RELAYER/EJ", "DIC1", DIRECTION_EJ), "/d/ejudic");

    // No user dictionary: refused on apply, nothing stored, the page shown.
    user->clear();
    QTest::keyClick(user, Qt::Key_Space);
    QTest::keyClick(user, Qt::Key_Backspace);
    sheet->showPage(CMyPropSheet::KeysPage);
    EXPECT_FALSE(sheet->apply());
    EXPECT_TRUE(told(kUserDictionaryRequired));
    EXPECT_EQ(presenter.messages.back().style & 0xF0u, 0x10u) << "error icon";
    EXPECT_EQ(sheet->currentPage(), page);
    EXPECT_EQ(engineValue("RELAYER/EJ", "DIC1", DIRECTION_EJ), "/d/ejudic");
}

TEST_F(SettingsSheet, NewUserDictionaryGoesThroughTheEngineAndToolsThatAreMissingAreNamed)
{
    auto sheet = openSheet(CMyPropSheet::JeDictionaryPage);
    const int page = CMyPropSheet::JeDictionaryPage;
    blocks::setFlag(blocks::EngineBusy, 1);
    click(*sheet, page, "create");
    EXPECT_TRUE(told(kEngineBusy));
    EXPECT_TRUE(asked.empty()) << "refused before the file dialog";
    blocks::setFlag(blocks::EngineBusy, 0);

    engineAnswers = false;
    chosenFiles = {QStringLiteral("/d/mine.dic")};
    click(*sheet, page, "create");
    EXPECT_TRUE(told(kCannotConnectJe));
    EXPECT_EQ(asked.back(), "新規辞書作成 - 日英 | 辞書(*.dic)");
    EXPECT_EQ(control<QLineEdit>(*sheet, page, "user")->text(), QString());

    engineAnswers = true;
    chosenFiles = {QStringLiteral("/d/mine.dic")};
    click(*sheet, page, "create");
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created.back(), "2 /d/mine") << "created without its extension";
    EXPECT_EQ(control<QLineEdit>(*sheet, page, "user")->text().toStdString(), "/d/mine");

    click(*sheet, page, "tool");
    click(*sheet, page, "converter");
    EXPECT_EQ(started, (std::vector<std::string>{"Rytoolje.exe", "UPFConvJE.exe"}));
    EXPECT_TRUE(told("rytoolje" + std::string("がみつかりません。インストール状態を確認してください。")));
    EXPECT_TRUE(told("upfconvje" + std::string("がみつかりません。インストール状態を確認してください。")));
}

TEST_F(SettingsSheet, BatchFolderProgramsAndCursorCaptureAreStored)
{
    auto sheet = openSheet(CMyPropSheet::BatchPage);
    chosenFiles = {QString::fromStdString((home.dir() / "batch").string())};
    click(*sheet, CMyPropSheet::BatchPage, "browse");
    EXPECT_EQ(asked.back(), "一括翻訳のﾌｫﾙﾀﾞを指定");
    click(*sheet, CMyPropSheet::BatchPage, "help");
    EXPECT_EQ(helpTopics, std::vector<std::uint64_t>{6});

    const int soft = CMyPropSheet::SoftPage;
    EXPECT_EQ(control<QComboBox>(*sheet, soft, "editor")->itemText(0).toStdString(), "ﾒﾓ帳 (org.example.editor)");
    control<QCheckBox>(*sheet, soft, "spyglass")->setChecked(true);
    control<QSlider>(*sheet, soft, "delay")->setValue(25);
    control<QButtonGroup>(*sheet, soft, "mode")->button(3)->click();
    control<QCheckBox>(*sheet, soft, "autoExcel")->setChecked(false);
    control<QComboBox>(*sheet, soft, "versionExcel")->setCurrentIndex(2);

    // A text editor of the user's own must be a program.
    auto* editor = control<QComboBox>(*sheet, soft, "editor");
    editor->setCurrentIndex(1);
    emit editor->activated(1);
    home.writeFile("notes.txt", "text");
    chosenFiles = {QString::fromStdString((home.dir() / "notes.txt").string())};
    click(*sheet, soft, "editorBrowse");
    EXPECT_FALSE(sheet->apply());
    EXPECT_TRUE(told(withValue(kNotExecutable, (home.dir() / "notes.txt").string())));
    EXPECT_EQ(sheet->currentPage(), soft);
    char folder[512] = {};
    GetRegStr(0, "diZAV", "フォルダ", folder, sizeof folder, "");
    EXPECT_STREQ(folder, "") << "nothing stored from a refused apply";

    chosenFiles = {QStringLiteral("/bin/sh")};
    click(*sheet, soft, "editorBrowse");
    ASSERT_TRUE(sheet->apply());
    GetRegStr(0, "diZAV", "フォルダ", folder, sizeof folder, "");
    EXPECT_EQ(folder, (home.dir() / "batch").string());
    SoftSettings settings{};
    LoadEnvSoft(&settings);
    EXPECT_EQ(settings.spyglass, 1u);
    EXPECT_EQ(settings.spyglassTime, 500u);
    EXPECT_EQ(settings.spyglassExec, 3);
    EXPECT_EQ(settings.txtAuto, 0u);
    EXPECT_STREQ(settings.txtExe, "/bin/sh");
    EXPECT_EQ(settings.xlsAuto, 0u);
    EXPECT_EQ(settings.xlsId, 3) << "Excel2003";
}

TEST_F(SettingsSheet, TheCaptureHookEntersTheSessionStartFileOnApplyAndLeavesItWhenUnticked)
{
    namespace session = capture::session;
    const fs::path file = paths::sessionStartFile();
    const std::string original = "export LANG=ja_JP.UTF-8\n";
    home.writeFile("xsessionrc", original);
    const int soft = CMyPropSheet::SoftPage;
    {
        auto sheet = openSheet(soft);
        auto* box = control<QCheckBox>(*sheet, soft, "sessionHook");
        auto* note = control<QLabel>(*sheet, soft, "sessionHookNote");
        EXPECT_FALSE(box->isChecked());
        EXPECT_EQ(note->text().toStdString(), kSessionHookAbsent);
        box->setChecked(true);
        EXPECT_EQ(session::installedState(file, hook), session::EntryState::Absent) << "only on apply";
        ASSERT_TRUE(sheet->apply());
        EXPECT_EQ(session::installedState(file, hook), session::EntryState::Present);
        EXPECT_TRUE(told(withValue(kSessionHookInstalled, file.string())));
        EXPECT_EQ(note->text().toStdString(), kSessionHookNextLogin) << "this session was started without it";
        presenter.messages.clear();
        ASSERT_TRUE(sheet->apply());
        EXPECT_TRUE(presenter.messages.empty()) << "an apply that changes nothing says nothing";
    }
    {
        auto sheet = openSheet(soft);
        auto* box = control<QCheckBox>(*sheet, soft, "sessionHook");
        EXPECT_TRUE(box->isChecked());
        box->setChecked(false);
        sheet->accept();
        EXPECT_EQ(files::readWhole(file).value_or(""), original);
        EXPECT_TRUE(told(withValue(kSessionHookRemoved, file.string())));
    }
    // A suite without its hook library says so and the box shows the file as it is.
    hook = home.dir() / "gone" / session::kHookFile;
    auto sheet = openSheet(soft);
    auto* box = control<QCheckBox>(*sheet, soft, "sessionHook");
    box->setChecked(true);
    ASSERT_TRUE(sheet->apply());
    EXPECT_TRUE(told(withValue(kSessionHookMissing, hook.string())));
    EXPECT_EQ(presenter.messages.back().style & 0xF0u, 0x10u) << "error icon";
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(files::readWhole(file).value_or(""), original);
}

TEST_F(SettingsSheet, SpeechIsProbedOnceAndItsDependentChoicesFollowTheirMain)
{
    {
        auto sheet = openSheet(CMyPropSheet::VoicePage);
        const int voice = CMyPropSheet::VoicePage;
        EXPECT_FALSE(control<QCheckBox>(*sheet, voice, "useReg")->isEnabled()) << "no recognizer here";
        EXPECT_FALSE(control<QPushButton>(*sheet, voice, "microphone")->isEnabled());
        EXPECT_EQ(control<QLabel>(*sheet, voice, "recognizerNote")->text().toStdString(), kNoRecognizer);
        auto* useSpeak = control<QCheckBox>(*sheet, voice, "useSpeak");
        auto* transSpeak = control<QCheckBox>(*sheet, voice, "transSpeak");
        EXPECT_FALSE(transSpeak->isEnabled());
        useSpeak->setChecked(true);
        EXPECT_TRUE(transSpeak->isEnabled());
        transSpeak->setChecked(true);
        ASSERT_TRUE(sheet->apply());
    }
    VoiceSettings settings{};
    LoadEnvVoice(&settings);
    EXPECT_EQ(settings.useSpeak, 1u);
    EXPECT_EQ(settings.transSpeak, 1u);
    auto again = openSheet(CMyPropSheet::VoicePage);
    EXPECT_EQ(speechProbes, 1) << "cached in the flag block";
    EXPECT_EQ(blocks::readFlag(blocks::VoiceProbed), 1);
    EXPECT_EQ(blocks::readFlag(blocks::VoiceAvailable), 1);
}

} // namespace
