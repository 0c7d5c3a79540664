// The first-run dialog and check over a test home: the folder checks and messages, the user
// dictionaries and their settings, the example data, and the one-time add-in registration.
#include "firstrun.h"
#include "firstrundialog.h"

#include <Etc.h>
#include <platform/settingsstore.h>
#include <testhome.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace yv;
using settings::Hive;
using settings::Store;
using settings::Value;

const std::string kProductKey = "Software\\Orvikan\\Yorvane5\\1.00.000";
const std::string kFileExistsTail = "」は既に存在します。\n別なﾌｫﾙﾀﾞを指定してください。";

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string engineValue(const char* name, int direction)
{
    char buffer[1024];
    const char* subkey = direction == DIRECTION_EJ ? "RELAYER/EJ" : "RELAYER/JE";
    GetRegStr_Engine(HKEY_CURRENT_USER, subkey, name, buffer, sizeof buffer, "<unset>", direction);
    return buffer;
}

std::string userSamplePath()
{
    char buffer[1024];
    GetRegStr(HKEY_CURRENT_USER, "例文", "Path", buffer, sizeof buffer, "<unset>");
    return buffer;
}

class FirstRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "firstrun_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);  // lives for the whole test program
    }

    void SetUp() override
    {
        home.writeFile("machine/profile/EJRELAY.INI",
                       "[RELAYER/EJ]\r\nREGPATH=Software\\Test\\EJ\r\nKEJ=" + engineDir(1).string() + "\r\n");
        home.writeFile("machine/profile/JERELAY.INI",
                       "[RELAYER/JE]\r\nREGPATH=Software\\Test\\JE\r\nKJE=" + engineDir(2).string() + "\r\n");
        home.writeFile("engine/ej/ejudic.dic", "ej template");
        home.writeFile("engine/ej/ejudic.idx", "ej index");
        home.writeFile("engine/je/jeudic.dic", "je template");
        home.writeFile("engine/je/jeudic.idx", "je index");
        home.writeFile("engine/je/kihon2je.dic", "basic");  // no kihon2ej.dic
        home.writeFile("shipped/例文/base.dat", "(\"top\"=fd001)\n");
        home.writeFile("shipped/例文/fd001/00000001.sam", "title\n\nexample\n");
        home.writeFile("shipped/例文/Search.idx", std::string(4096, 'i'));
        setInstalledSampleData(home.dir() / "shipped" / "例文");
    }

    fs::path engineDir(int direction) const { return home.dir() / "engine" / (direction == 1 ? "ej" : "je"); }
    fs::path docs() const { return home.dir() / "docs"; }

    static void setInstalledSampleData(const fs::path& path)
    {
        Store::instance().setValue(Hive::LocalMachine, kProductKey + "\\例文", "Path", Value::fromString(path.string()));
    }

    std::unique_ptr<toolbox::FirstRunDialog> dialogFor(const fs::path& folder)
    {
        auto dialog = std::make_unique<toolbox::FirstRunDialog>(nullptr, docs());
        dialog->folderEdit()->setText(QString::fromStdString(folder.string()));
        return dialog;
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
};

TEST_F(FirstRun, AnExistingFolderIsReusedAndTheDataSetUp)
{
    const fs::path folder = home.dir() / "mydata";
    home.writeFile("mydata/ejudic.dic", "words the user registered");
    home.writeFile("mydata/notes.txt", "mine");
    auto dialog = dialogFor(folder);
    ASSERT_TRUE(dialog->applyFolder());
    EXPECT_TRUE(presenter.messages.empty()) << presenter.messages.front().text;
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    EXPECT_EQ(readFile(folder / "ejudic.dic"), "words the user registered");
    EXPECT_EQ(readFile(folder / "ejudic.idx"), "ej index");
    EXPECT_EQ(readFile(folder / "jeudic.dic"), "je template");
    EXPECT_EQ(readFile(folder / "notes.txt"), "mine");
    EXPECT_EQ(engineValue("DIC1", DIRECTION_EJ), (folder / "ejudic").string());
    EXPECT_EQ(engineValue("DIC1", DIRECTION_JE), (folder / "jeudic").string());
    EXPECT_EQ(engineValue("DIC2", DIRECTION_EJ), "<unset>") << "no kihon2ej.dic in the engine's directory";
    EXPECT_EQ(engineValue("DIC2", DIRECTION_JE), (engineDir(2) / "kihon2je").string());

    EXPECT_EQ(userSamplePath(), (folder / "例文").string());
    EXPECT_EQ(readFile(folder / "例文" / "fd001" / "00000001.sam"), "title\n\nexample\n");
    EXPECT_EQ(fs::file_size(folder / "例文" / "Search.idx"), 4096u);
    EXPECT_EQ(dialog->progressBar()->value(), 100);
}

TEST_F(FirstRun, RefusalsKeepTheDialogOpen)
{
    auto dialog = dialogFor("  ");
    EXPECT_FALSE(dialog->applyFolder());
    home.writeFile("afile", "x");
    dialog->folderEdit()->setText(QString::fromStdString((home.dir() / "afile").string()));
    EXPECT_FALSE(dialog->applyFolder());
    dialog->folderEdit()->setText(QString::fromStdString((home.dir() / "afile" / "sub").string()));
    EXPECT_FALSE(dialog->applyFolder());

    ASSERT_EQ(presenter.messages.size(), 3u);
    EXPECT_EQ(presenter.messages[0].text, "ﾌｫﾙﾀﾞを指定してください。");
    EXPECT_EQ(presenter.messages[1].text, "「" + (home.dir() / "afile").string() + kFileExistsTail);
    EXPECT_EQ(presenter.messages[2].text, "ﾌｫﾙﾀﾞを作成できませんでした。");
    EXPECT_EQ(presenter.messages[2].style, 0x30u);
    EXPECT_EQ(presenter.messages[2].caption, "Yorvane5");

    // The installed data is not a copy of its own.
    dialog->folderEdit()->setText(QString::fromStdString((home.dir() / "shipped").string()));
    EXPECT_FALSE(dialog->applyFolder());
    EXPECT_EQ(presenter.messages.back().text.rfind("ｲﾝｽﾄｰﾙされたｻﾝﾌﾟﾙﾃﾞｰﾀのﾌｫﾙﾀﾞは指定できません。", 0), 0u);
    EXPECT_FALSE(fs::exists(home.dir() / "shipped" / "ejudic.dic")) << "nothing is written into a refused folder";

    // Without installed example data: the dictionaries are set up, the first run is not done.
    Store::instance().deleteValue(Hive::LocalMachine, kProductKey + "\\例文", "Path");
    dialog->folderEdit()->setText(QString::fromStdString((home.dir() / "d").string()));
    EXPECT_FALSE(dialog->applyFolder());
    EXPECT_EQ(presenter.messages.back().text, "ｻﾝﾌﾟﾙﾃﾞｰﾀが見つかりません。再ｲﾝｽﾄｰﾙしてください。");
    EXPECT_EQ(userSamplePath(), "<unset>");
    EXPECT_EQ(engineValue("DIC1", DIRECTION_EJ), (home.dir() / "d" / "ejudic").string());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST_F(FirstRun, TheProposedFolderLiesInTheDocumentsFolder)
{
    toolbox::FirstRunDialog dialog(nullptr, docs());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "初期ﾃﾞｰﾀ設定");
    EXPECT_EQ(dialog.folderEdit()->text().toStdString(), "ドキュメント/Yorvane5 data");
    EXPECT_EQ(dialog.browseButton()->text().toStdString(), "ﾌｫﾙﾀﾞの指定");

    QString offered;
    dialog.chooseFolder = [&](QWidget*, const QString& start) {
        offered = start;
        return QString::fromStdString((docs() / "other").string());
    };
    dialog.browseButton()->click();
    EXPECT_EQ(offered.toStdString(), home.dir().string()) << "the nearest folder that exists";
    EXPECT_EQ(dialog.folderEdit()->text().toStdString(), "ドキュメント/other");

    dialog.folderEdit()->setText(QStringLiteral("ドキュメント/Yorvane5 data"));
    ASSERT_TRUE(dialog.applyFolder());
    EXPECT_EQ(userSamplePath(), (docs() / "Yorvane5 data" / "例文").string());
}

TEST_F(FirstRun, ACopyThatFailsIsReportedAndARetryCompletes)
{
    const fs::path folder = home.dir() / "data";
    fs::create_directories(folder / "例文" / "Search.idx");  // in the way of a file
    auto dialog = dialogFor(folder);
    EXPECT_FALSE(dialog->applyFolder());
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text.rfind("ﾃﾞｰﾀをｺﾋﾟｰできませんでした。\n「" + (folder / "例文" / "Search.idx").string(), 0), 0u)
        << presenter.messages[0].text;
    EXPECT_EQ(userSamplePath(), "<unset>");
    EXPECT_TRUE(dialog->okButton()->isEnabled());
    EXPECT_TRUE(dialog->cancelButton()->isEnabled());

    fs::remove(folder / "例文" / "Search.idx");
    ASSERT_TRUE(dialog->applyFolder());
    EXPECT_EQ(userSamplePath(), (folder / "例文").string());
    EXPECT_EQ(fs::file_size(folder / "例文" / "Search.idx"), 4096u);
}

// Answers the modal dialog that ensureFirstRunData shows, once it is up.
void whenModal(const std::function<void(toolbox::FirstRunDialog&)>& act, bool* seen)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act, seen] {
        if (auto* dialog = qobject_cast<toolbox::FirstRunDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *seen = true;
            act(*dialog);
        }
    });
    timer->start(10);
}

TEST_F(FirstRun, TheDialogShowsOnlyUntilTheDataIsInPlace)
{
    bool seen = false;
    whenModal([](toolbox::FirstRunDialog& d) { d.cancelButton()->click(); }, &seen);
    EXPECT_FALSE(toolbox::ensureFirstRunData(nullptr));
    EXPECT_TRUE(seen);

    seen = false;
    const fs::path folder = home.dir() / "chosen";
    whenModal([&](toolbox::FirstRunDialog& d) {
        d.folderEdit()->setText(QString::fromStdString(folder.string()));
        d.okButton()->click();
    }, &seen);
    EXPECT_TRUE(toolbox::ensureFirstRunData(nullptr));
    EXPECT_TRUE(seen);
    EXPECT_EQ(userSamplePath(), (folder / "例文").string());

    // Second start: no dialog at all.
    seen = false;
    auto* watch = new QTimer;
    QObject::connect(watch, &QTimer::timeout, [&seen] {
        if (QApplication::activeModalWidget())
            seen = true;
    });
    watch->start(5);
    EXPECT_TRUE(toolbox::ensureFirstRunData(nullptr));
    QApplication::processEvents();
    EXPECT_FALSE(seen);
    delete watch;
}

TEST_F(FirstRun, TheAddInIsRegisteredOnce)
{
    const auto addInKey = [](const char* application) {
        return std::string("Software\\Microsoft\\Office\\") + application + "\\Addins\\LintrelAddIn.LintrelDlg";
    };
    const std::string buttonKey =
        "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{E491009E-97C0-411a-81B5-75FF187FC53E}";
    toolbox::registerAddInOnce();
    for (const char* application : {"Word", "Excel", "PowerPoint", "Outlook"}) {
        const auto name = Store::instance().value(Hive::CurrentUser, addInKey(application), "FriendlyName");
        ASSERT_TRUE(name) << application;
        EXPECT_EQ(name->string(), "Yorvane5ｱﾄﾞｲﾝ");
    }
    EXPECT_TRUE(Store::instance().keyExists(Hive::CurrentUser, buttonKey));
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, nullptr, "initaddin", 0), 1u);

    // The user removed it since: a later start leaves it removed.
    Store::instance().deleteKey(Hive::CurrentUser, addInKey("Word"));
    toolbox::registerAddInOnce();
    EXPECT_FALSE(Store::instance().keyExists(Hive::CurrentUser, addInKey("Word")));
}

} // namespace
