// The add-in and browser-button keys as COfficeEnroll writes and removes them.
#include "OfficeEnroll.h"

#include <platform/settingsstore.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

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
