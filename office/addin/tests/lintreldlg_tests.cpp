// The add-in class's registration in the classes hive as a registry tool would list it, the
// server exports' fixed answers, and the connection's trace line.
#include <lintreldlg.h>
#include <mytrans.h>

#include <Messages.h>

#include <peerprocess.h>
#include <testhome.h>

#include <platform/bus.h>
#include <platform/settingsstore.h>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

namespace {

using namespace yv;
using namespace yv::settings;

const std::string kClassKey = "CLSID\\{5DA35E0F-E665-439C-A206-0BD9A922F9B0}";
const std::string kTypeLibKey = "TypeLib\\{B4F9738F-7EFD-4395-B785-B1FCF33A512A}";

// Every key under `key` with its values, one line each: "key" for a key, "key|name=text" for a
// string value, in the store's order.
void dump(const std::string& key, std::vector<std::string>& out)
{
    Store& store = Store::instance();
    if (!store.keyExists(Hive::ClassesRoot, key))
        return;
    out.push_back(key);
    for (const NamedValue& v : store.values(Hive::ClassesRoot, key))
        out.push_back(key + "|" + v.name + "=" + v.value.string().value_or("<not a string>"));
    for (const std::string& sub : store.subkeys(Hive::ClassesRoot, key))
        dump(key + "\\" + sub, out);
}

std::vector<std::string> registration()
{
    std::vector<std::string> out;
    for (const std::string& root :
         std::vector<std::string>{"LintrelAddIn.LintrelDlg", "LintrelAddIn.LintrelDlg.1", kClassKey, kTypeLibKey})
        dump(root, out);
    return out;
}

// The line carries its own line end, which the trace window may print as an empty line.
std::vector<std::string> nonEmptyLines(const std::string& path)
{
    std::vector<std::string> lines = yv::testing::readLines(path);
    std::erase(lines, std::string());
    return lines;
}

class ClassRegistration : public ::testing::Test {
protected:
    yv::testing::TestHome home;
};

TEST_F(ClassRegistration, WritesTheClassItsProgIdsAndTypeLibraryAndRemovesExactlyThem)
{
    Store& store = Store::instance();
    // Someone else's class, and a leftover in ours from an older registration.
    store.setValue(Hive::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32", "",
                   Value::fromString("/other/lib.so"));
    store.createKey(Hive::ClassesRoot, kClassKey + "\\LocalServer32");

    ASSERT_EQ(DllRegisterServer(), addin::S_OK);
    const std::string server = (addin::addInDir() / "libLintrelAddIn.so").string();
    const std::vector<std::string> expected{
        "LintrelAddIn.LintrelDlg",
        "LintrelAddIn.LintrelDlg|=LintrelDlg Class",
        "LintrelAddIn.LintrelDlg\\CLSID",
        "LintrelAddIn.LintrelDlg\\CLSID|={5DA35E0F-E665-439C-A206-0BD9A922F9B0}",
        "LintrelAddIn.LintrelDlg\\CurVer",
        "LintrelAddIn.LintrelDlg\\CurVer|=LintrelAddIn.LintrelDlg.1",
        "LintrelAddIn.LintrelDlg.1",
        "LintrelAddIn.LintrelDlg.1|=LintrelDlg Class",
        "LintrelAddIn.LintrelDlg.1\\CLSID",
        "LintrelAddIn.LintrelDlg.1\\CLSID|={5DA35E0F-E665-439C-A206-0BD9A922F9B0}",
        kClassKey,
        kClassKey + "|=LintrelDlg Class",
        kClassKey + "\\InprocServer32",
        kClassKey + "\\InprocServer32|=" + server,
        kClassKey + "\\InprocServer32|ThreadingModel=Apartment",
        kClassKey + "\\ProgID",
        kClassKey + "\\ProgID|=LintrelAddIn.LintrelDlg.1",
        kClassKey + "\\Programmable",
        kClassKey + "\\TypeLib",
        kClassKey + "\\TypeLib|={B4F9738F-7EFD-4395-B785-B1FCF33A512A}",
        kClassKey + "\\VersionIndependentProgID",
        kClassKey + "\\VersionIndependentProgID|=LintrelAddIn.LintrelDlg",
        kTypeLibKey,
        kTypeLibKey + "\\1.0",
        kTypeLibKey + "\\1.0|=LintrelAddIn 1.0 ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ",
        kTypeLibKey + "\\1.0\\0",
        kTypeLibKey + "\\1.0\\0\\win32",
        kTypeLibKey + "\\1.0\\0\\win32|=" + server,
        kTypeLibKey + "\\1.0\\FLAGS",
        kTypeLibKey + "\\1.0\\FLAGS|=0",
        kTypeLibKey + "\\1.0\\HELPDIR",
        kTypeLibKey + "\\1.0\\HELPDIR|=" + addin::addInDir().string(),
    };
    EXPECT_EQ(registration(), expected);
    EXPECT_TRUE(std::filesystem::exists(server)) << "the server is this library's own file";

    // Registering again changes nothing.
    ASSERT_EQ(DllRegisterServer(), addin::S_OK);
    EXPECT_EQ(registration(), expected);

    // Another version of the type library keeps the library's key.
    store.setValue(Hive::ClassesRoot, kTypeLibKey + "\\2.0", "", Value::fromString("later"));
    EXPECT_EQ(DllUnregisterServer(), addin::S_OK);
    EXPECT_EQ(registration(), (std::vector<std::string>{kTypeLibKey, kTypeLibKey + "\\2.0", kTypeLibKey + "\\2.0|=later"}));
    EXPECT_TRUE(store.keyExists(Hive::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32"));

    store.deleteKey(Hive::ClassesRoot, kTypeLibKey + "\\2.0");
    ASSERT_EQ(DllRegisterServer(), addin::S_OK);
    EXPECT_EQ(DllUnregisterServer(), addin::S_OK);
    EXPECT_TRUE(registration().empty());
    EXPECT_EQ(DllUnregisterServer(), addin::S_OK) << "removing what is not there succeeds";
}

TEST(ClassObject, NoneIsHandedOutAndTheLibraryCanAlwaysGo)
{
    void* object = &object;
    EXPECT_EQ(DllGetClassObject(nullptr, nullptr, &object), addin::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(DllGetClassObject(nullptr, nullptr, nullptr), addin::E_POINTER);
    EXPECT_EQ(DllCanUnloadNow(), addin::S_OK);
}

TEST(Connection, ItsTraceLineReachesTheTraceWindow)
{
    yv::testing::TestHome home;
    static int argc = 1;
    static char name[] = "lintreldlg_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    const std::string program = (yv::testing::binDir() / "lintreladdin").string();

    // Without a trace window the program just ends.
    yv::testing::ChildProcess quiet(program, {"--connection"});
    EXPECT_TRUE(quiet.waitForExit(20000));

    const std::string out = (home.dir() / "trace.out").string();
    yv::testing::ChildProcess tracer("/bin/sh", {"-c", "exec '" + (yv::testing::binDir() / "yvtrace").string() +
                                                           "' > '" + out + "'"});
    for (int i = 0; i < 1000 && !bus::findWindow(messages::kTraceClass); ++i)
        bus::waitServingEvents(10);
    ASSERT_TRUE(bus::findWindow(messages::kTraceClass));
    yv::testing::ChildProcess connected(program, {"--connection"});
    EXPECT_TRUE(connected.waitForExit(20000));
    EXPECT_TRUE(bus::postMessage(messages::kTraceClass, messages::kWmClose, 0, 0));
    EXPECT_TRUE(tracer.waitForExit(5000));
    EXPECT_EQ(nonEmptyLines(out), (std::vector<std::string>{"OnConnection"}));
}

} // namespace
