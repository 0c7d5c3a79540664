// The add-in and browser-button keys as COfficeEnroll writes and removes them, and its refusal
// without an office that can carry the add-in.
#include "OfficeEnroll.h"
#include "libreoffice.h"

#include <platform/settingsstore.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// Reaches the private members, as the library's own callers would.
struct OfficeEnrollProbe {
    static int runProcess(COfficeEnroll& e, const char* program, char* arguments)
    {
        return e.RunProcess(nullptr, program, arguments);
    }
};

namespace {

using namespace yv::settings;

const std::string kWordKey = "Software\\Microsoft\\Office\\Word\\Addins\\LintrelAddIn.LintrelDlg";
const std::string kButtonKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{E491009E-97C0-411a-81B5-75FF187FC53E}";
const std::string kProductKey = "Software\\Orvikan\\Yorvane5\\1.00.000";

std::string userString(const std::string& key, const std::string& name)
{
    const auto v = Store::instance().value(Hive::CurrentUser, key, name);
    return v ? v->string().value_or("<not a string>") : "<missing>";
}

class OfficeEnroll : public ::testing::Test {
protected:
    yv::testing::TestHome home;
    COfficeEnroll enroll;
};

TEST_F(OfficeEnroll, RegistersTheAddInOncePerApplication)
{
    ASSERT_EQ(enroll.RegistOffice("Word", "Yorvane5"), 1);
    EXPECT_EQ(userString(kWordKey, "FriendlyName"), "Yorvane5ｱﾄﾞｲﾝ");
    const auto load = Store::instance().value(Hive::CurrentUser, kWordKey, "LoadBehavior");
    ASSERT_TRUE(load);
    EXPECT_EQ(load->dword(), 3u);

    // A second registration overwrites the same two values and adds nothing.
    ASSERT_EQ(enroll.RegistOffice("Word", "Other"), 1);
    EXPECT_EQ(userString(kWordKey, "FriendlyName"), "Otherｱﾄﾞｲﾝ");
    EXPECT_EQ(Store::instance().values(Hive::CurrentUser, kWordKey).size(), 2u);

    ASSERT_EQ(enroll.RegistOffice("Excel", "Yorvane5"), 1);
    EXPECT_EQ(enroll.UnRegistOffice("Word"), 1);
    EXPECT_FALSE(Store::instance().keyExists(Hive::CurrentUser, kWordKey));
    EXPECT_TRUE(Store::instance().keyExists(Hive::CurrentUser,
                                            "Software\\Microsoft\\Office\\Excel\\Addins\\LintrelAddIn.LintrelDlg"));
    // Removing what is not there succeeds too.
    EXPECT_EQ(enroll.UnRegistOffice("Word"), 1);
    EXPECT_EQ(enroll.UnRegistOffice("PowerPoint"), 1);
}

TEST_F(OfficeEnroll, TheAddInsClassComesWithTheFirstProgramAndGoesWithTheLast)
{
    Store& store = Store::instance();
    const std::string classKey = "CLSID\\{5DA35E0F-E665-439C-A206-0BD9A922F9B0}";
    const auto classString = [&](const std::string& key, const std::string& name) {
        const auto v = store.value(Hive::ClassesRoot, key, name);
        return v ? v->string().value_or("<not a string>") : "<missing>";
    };
    // The mail program needs no office here, so this registration stands alone.
    ASSERT_EQ(enroll.RegistOffice("Outlook", "Yorvane5"), 1);
    EXPECT_EQ(classString("LintrelAddIn.LintrelDlg\\CurVer", ""), "LintrelAddIn.LintrelDlg.1");
    EXPECT_EQ(classString(classKey + "\\InprocServer32", ""),
              (yv::testing::binDir() / "libLintrelAddIn.so").string());

    // Another program still loads the add-in: the class stays.
    const std::string otherKey = "Software\\Microsoft\\Office\\Access\\Addins\\LintrelAddIn.LintrelDlg";
    store.createKey(Hive::CurrentUser, otherKey);
    EXPECT_EQ(enroll.UnRegistOffice("Outlook"), 1);
    EXPECT_TRUE(store.keyExists(Hive::ClassesRoot, classKey));
    EXPECT_EQ(enroll.UnRegistOffice("Access"), 1);
    EXPECT_FALSE(store.keyExists(Hive::ClassesRoot, classKey));
    EXPECT_FALSE(store.keyExists(Hive::ClassesRoot, "LintrelAddIn.LintrelDlg"));
    EXPECT_FALSE(store.keyExists(Hive::ClassesRoot, "LintrelAddIn.LintrelDlg.1"));
}

TEST_F(OfficeEnroll, BrowserButtonPointsIntoTheInstallation)
{
    Store::instance().setValue(Hive::LocalMachine, kProductKey, "Path", Value::fromString("/opt/yv"));
    enroll.RegisterIEButton("Yorvane5");
    EXPECT_EQ(userString(kButtonKey, "Default Visible"), "Yes");
    EXPECT_EQ(userString(kButtonKey, "MenuText"), "Yorvane5で翻訳");
    EXPECT_EQ(userString(kButtonKey, "ButtonText"), "Yorvane5で翻訳");
    EXPECT_EQ(userString(kButtonKey, "HotIcon"), "/opt/yv\\IE\\TransHotIcon.ico");
    EXPECT_EQ(userString(kButtonKey, "Icon"), "/opt/yv\\IE\\TransIcon.ico");
    EXPECT_EQ(userString(kButtonKey, "CLSID"), "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}");
    EXPECT_EQ(userString(kButtonKey, "Script"), "/opt/yv\\IE\\webtrans.html");

    enroll.UnRegisterIEButton();
    EXPECT_FALSE(Store::instance().keyExists(Hive::CurrentUser, kButtonKey));
    enroll.UnRegisterIEButton();

    // Without an installation path the file paths start with the "IE" folder alone.
    Store::instance().deleteValue(Hive::LocalMachine, kProductKey, "Path");
    enroll.RegisterIEButton("Yorvane5");
    EXPECT_EQ(userString(kButtonKey, "HotIcon"), "\\IE\\TransHotIcon.ico");
    EXPECT_EQ(userString(kButtonKey, "Icon"), "\\IE\\TransIcon.ico");
    EXPECT_EQ(userString(kButtonKey, "Script"), "\\IE\\webtrans.html");
}

TEST_F(OfficeEnroll, RunProcessWaitsForTheProgram)
{
    EXPECT_EQ(OfficeEnrollProbe::runProcess(enroll, "", nullptr), 0);
    EXPECT_EQ(OfficeEnrollProbe::runProcess(enroll, nullptr, nullptr), 0);

    const std::string marker = (home.dir() / "ran").string();
    std::string arguments = "-c 'sleep 0.2; echo \"$0\" > \"$1\"' done " + marker;
    EXPECT_EQ(OfficeEnrollProbe::runProcess(enroll, "/bin/sh", arguments.data()), 1);
    std::ifstream in(marker);
    std::string line;
    ASSERT_TRUE(std::getline(in, line)) << "returned before the program ended";
    EXPECT_EQ(line, "done");

    // A program that cannot be started still counts as run.
    EXPECT_EQ(OfficeEnrollProbe::runProcess(enroll, (home.dir() / "missing").c_str(), nullptr), 1);
}

} // namespace

namespace {

namespace fs = std::filesystem;

// PATH narrowed to one directory of stand-in office programs for the lifetime of the object.
class OfficePath final {
public:
    explicit OfficePath(const fs::path& dir)
        : m_old(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        fs::create_directories(dir);
        ::setenv("PATH", dir.c_str(), 1);
    }
    ~OfficePath() { ::setenv("PATH", m_old.c_str(), 1); }
    OfficePath(const OfficePath&) = delete;
    OfficePath& operator=(const OfficePath&) = delete;

private:
    std::string m_old;
};

void writeScript(const fs::path& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

TEST(OfficeVersion, ReadFromTheVersionLine)
{
    using yv::officeenroll::parseVersion;
    using yv::officeenroll::Version;
    EXPECT_EQ(parseVersion("LibreOffice 7.4.7.2 40(Build:2)\n"), (Version{7, 4}));
    EXPECT_EQ(parseVersion("LibreOffice 24.2.1.2 420(Build:2)"), (Version{24, 2}));
    EXPECT_EQ(parseVersion("LibreOffice 6"), (Version{6, 0}));
    EXPECT_FALSE(parseVersion("no version here\n7.0"));
    EXPECT_FALSE(parseVersion(""));
    EXPECT_LT((Version{6, 4}), yv::officeenroll::kMinimumVersion);
    EXPECT_FALSE((Version{24, 2}) < yv::officeenroll::kMinimumVersion);
}

TEST_F(OfficeEnroll, WithoutASuitableOfficeTheRegistrationIsRefusedOnceWithAMessage)
{
    yv::testing::RecordingPresenter messages;
    {
        const OfficePath path(home.dir() / "no-office");
        EXPECT_EQ(enroll.RegistOffice("Word", "Yorvane5"), 0);
        EXPECT_EQ(enroll.RegistOffice("Excel", "Yorvane5"), 0);
        EXPECT_FALSE(Store::instance().keyExists(Hive::CurrentUser, kWordKey));
        // The mail program has no office counterpart: its key is written as before.
        EXPECT_EQ(enroll.RegistOffice("Outlook", "Yorvane5"), 1);
    }
    ASSERT_EQ(messages.messages.size(), 1u) << "one message for the whole first run";
    EXPECT_EQ(messages.messages[0].text, yv::officeenroll::missingMessage());
    EXPECT_NE(messages.messages[0].text.find("LibreOffice 7.0"), std::string::npos);
    EXPECT_EQ(messages.messages[0].caption, "Yorvane5");

    const fs::path old = home.dir() / "old-office";
    {
        const OfficePath path(old);
        writeScript(old / "soffice", "echo 'LibreOffice 6.4.7.2 40(Build:2)'");
        writeScript(old / "unopkg", "exit 0");
        EXPECT_EQ(enroll.RegistOffice("PowerPoint", "Yorvane5"), 0);
    }
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].text, yv::officeenroll::tooOldMessage({6, 4}));
    EXPECT_NE(messages.messages[1].text.find("6.4"), std::string::npos);
}

TEST_F(OfficeEnroll, AFailingInstallationIsReported)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the office does not install extensions per user for root";
    yv::testing::RecordingPresenter messages;
    const fs::path office = home.dir() / "broken-office";
    const OfficePath path(office);
    writeScript(office / "soffice", "echo 'LibreOffice 7.4.7.2 40(Build:2)'");
    writeScript(office / "unopkg", "echo 'ERROR: the profile is locked' >&2; exit 1");
    EXPECT_EQ(enroll.RegistOffice("Word", "Yorvane5"), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, yv::officeenroll::installFailedMessage("ERROR: the profile is locked"));
}

} // namespace
