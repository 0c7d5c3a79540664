#include <platform/paths.h>
#include <platform/settingsstore.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace yv::settings;
namespace fs = std::filesystem;
using yv::testing::TestHome;

constexpr Hive CU = Hive::CurrentUser;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> namesOf(const std::vector<NamedValue>& values)
{
    std::vector<std::string> names;
    for (const auto& nv : values)
        names.push_back(nv.name);
    return names;
}

std::vector<fs::path> setAsideFiles(const fs::path& hive)
{
    std::vector<fs::path> found;
    const std::string prefix = hive.filename().string() + ".damaged-";
    for (const auto& entry : fs::directory_iterator(hive.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.find("-wal") == std::string::npos &&
            name.find("-shm") == std::string::npos)
            found.push_back(entry.path());
    }
    return found;
}

std::uint32_t counterOf(const std::optional<Value>& v)
{
    return v ? v->dword().value_or(0) : 0;
}

std::optional<Value> increment(const std::optional<Value>& current)
{
    return Value::fromDword(counterOf(current) + 1);
}

TEST(SettingsPaths, RootedPathsAndNormalisation)
{
    std::string path;
    EXPECT_EQ(parseRootedPath("HKCU\\Software\\Orvikan", path), CU);
    EXPECT_EQ(path, "Software\\Orvikan");
    EXPECT_EQ(parseRootedPath("hkey_local_machine", path), Hive::LocalMachine);
    EXPECT_EQ(path, "");
    EXPECT_EQ(parseRootedPath("HkCr\\\\a\\\\b\\", path), Hive::ClassesRoot);
    EXPECT_EQ(path, "a\\b");
    for (const char* bad : {"", "HKCUX\\a", "\\HKCU\\a", "HKU\\a", "HKEY_CURRENT_USE", "Software"})
        EXPECT_FALSE(parseRootedPath(bad, path)) << bad;

    EXPECT_EQ(normalizeKeyPath("\\\\A\\\\\\B\\"), "A\\B");
    EXPECT_EQ(normalizeKeyPath("\\"), "");
    EXPECT_STREQ(hiveName(Hive::ClassesRoot), "HKEY_CLASSES_ROOT");
}

TEST(SettingsStore, KeysAndValuesExistSeparately)
{
    TestHome home;
    Store& store = Store::instance();
    const fs::path hive = yv::paths::userHiveFile();

    // Reads on a hive that was never written leave no file behind.
    EXPECT_TRUE(store.keyExists(CU, ""));
    EXPECT_FALSE(store.keyExists(CU, "Software"));
    EXPECT_FALSE(store.value(CU, "Software", "x"));
    EXPECT_TRUE(store.subkeys(CU, "").empty());
    EXPECT_EQ(store.deleteKey(CU, "Software"), Status::NotFound);
    EXPECT_EQ(store.deleteValue(CU, "Software", "x"), Status::NotFound);
    EXPECT_FALSE(fs::exists(hive));

    ASSERT_EQ(store.createKey(CU, "Software\\Orvikan\\Yorvane5"), Status::Ok);
    EXPECT_TRUE(store.keyExists(CU, "\\Software\\\\Orvikan\\"));
    EXPECT_TRUE(store.values(CU, "Software\\Orvikan\\Yorvane5").empty());
    EXPECT_EQ((fs::status(hive).permissions() & fs::perms::all), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ((fs::status(hive.parent_path()).permissions() & fs::perms::all), fs::perms::owner_all);

    ASSERT_EQ(store.setValue(CU, "Deep\\Er", "v", Value::fromDword(1)), Status::Ok);
    EXPECT_TRUE(store.keyExists(CU, "Deep"));
    EXPECT_EQ(store.deleteValue(CU, "Deep\\Er", "v"), Status::Ok);
    EXPECT_EQ(store.deleteValue(CU, "Deep\\Er", "v"), Status::NotFound);
    EXPECT_TRUE(store.keyExists(CU, "Deep\\Er"));

    // Values at the root, and hives that do not share anything.
    ASSERT_EQ(store.setValue(CU, "", "top", Value::fromDword(7)), Status::Ok);
    EXPECT_EQ(counterOf(store.value(CU, "\\", "top")), 7u);
    EXPECT_EQ(store.deleteKey(CU, ""), Status::Failed);
    EXPECT_FALSE(store.keyExists(Hive::LocalMachine, "Software"));
    EXPECT_FALSE(store.value(Hive::ClassesRoot, "", "top"));
}

TEST(SettingsStore, NamesIgnoreCaseAndKeepFirstSpelling)
{
    TestHome home;
    Store& store = Store::instance();
    ASSERT_EQ(store.createKey(CU, "Software\\Orvikan\\翻訳BOX"), Status::Ok);
    ASSERT_EQ(store.createKey(CU, "SOFTWARE\\ORVIKAN\\翻訳box\\Ｐａｎｅ"), Status::Ok);
    EXPECT_EQ(store.subkeys(CU, ""), std::vector<std::string>{"Software"});
    EXPECT_EQ(store.subkeys(CU, "software"), std::vector<std::string>{"Orvikan"});
    EXPECT_EQ(store.subkeys(CU, "software\\orvikan\\翻訳Box"), std::vector<std::string>{"Ｐａｎｅ"});
    EXPECT_TRUE(store.keyExists(CU, "software\\orvikan\\翻訳box\\ＰＡＮＥ"));
    EXPECT_FALSE(store.keyExists(CU, "software\\orvikan\\翻訳box\\PANE"));  // full width differs

    const std::string key = "Names";
    for (const char* name : {"Élan", "éLAN", "×", "÷", "ア", "あ", "b", "A", "C"})
        ASSERT_EQ(store.setValue(CU, key, name, Value::fromString(name)), Status::Ok);
    EXPECT_EQ(store.value(CU, key, "ÉLAN")->string(), "éLAN");
    EXPECT_EQ(store.value(CU, key, "×")->string(), "×");
    EXPECT_EQ(store.value(CU, key, "ア")->string(), "ア");
    EXPECT_EQ(namesOf(store.values(CU, key)),
              (std::vector<std::string>{"A", "b", "C", "×", "Élan", "÷", "あ", "ア"}));
}

TEST(SettingsStore, DeleteKeyTakesOnlyItsSubtree)
{
    TestHome home;
    Store& store = Store::instance();
    // Siblings whose names sort right around "B\" must survive.
    for (const char* sibling : {"A\\BC", "A\\B0", "A\\B[", "A\\B]", "A\\B]\\x"})
        ASSERT_EQ(store.setValue(CU, sibling, "v", Value::fromDword(1)), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "A\\B", "v", Value::fromDword(2)), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "A\\B\\C\\D", "v", Value::fromDword(3)), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "A", "v", Value::fromDword(4)), Status::Ok);

    EXPECT_EQ(store.deleteKey(CU, "a\\b"), Status::Ok);
    EXPECT_FALSE(store.keyExists(CU, "A\\B"));
    EXPECT_FALSE(store.keyExists(CU, "A\\B\\C"));
    EXPECT_FALSE(store.value(CU, "A\\B\\C\\D", "v"));
    EXPECT_EQ(store.subkeys(CU, "A"), (std::vector<std::string>{"B0", "B[", "B]", "BC"}));
    for (const char* sibling : {"A\\BC", "A\\B0", "A\\B[", "A\\B]", "A\\B]\\x"})
        EXPECT_EQ(counterOf(store.value(CU, sibling, "v")), 1u) << sibling;
    EXPECT_EQ(counterOf(store.value(CU, "A", "v")), 4u);

    // A recreated key starts empty.
    ASSERT_EQ(store.createKey(CU, "A\\B"), Status::Ok);
    EXPECT_TRUE(store.subkeys(CU, "A\\B").empty());
}

TEST(SettingsStore, ValuesRoundTripExactly)
{
    TestHome home;
    Store& store = Store::instance();
    Value sz;
    sz.type = ValueType::Sz;
    sz.data = {'a', 'b', 0, 'c', 0};
    std::vector<std::uint8_t> all(256);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i);
    const std::vector<std::uint8_t> big(1 << 20, 0xA5);
    const std::string nulName("a\0b", 3);
    const std::vector<std::pair<std::string, Value>> cases = {
        {"text", Value::fromString("翻訳")},
        {"inner nul", sz},
        {"bytes", Value::fromBytes(all.data(), all.size())},
        {"empty", Value::fromBytes(nullptr, 0)},
        {"big", Value::fromBytes(big.data(), big.size())},
        {"dword", Value::fromDword(0xDEADBEEF)},
        {"", Value::fromString("default")},
        {nulName, Value::fromDword(5)},
        {"back\\slash", Value::fromDword(6)},
    };
    for (const auto& [name, v] : cases)
        ASSERT_EQ(store.setValue(CU, "T", name, v), Status::Ok) << name;
    Store::instance().closeAll();
    for (const auto& [name, v] : cases) {
        const auto got = store.value(CU, "T", name);
        ASSERT_TRUE(got) << name;
        EXPECT_EQ(got->type, v.type) << name;
        EXPECT_EQ(got->data, v.data) << name;
    }
    EXPECT_FALSE(store.value(CU, "T", "a"));  // not the name with the NUL

    EXPECT_EQ(Value::fromDword(0xDEADBEEF).data, (std::vector<std::uint8_t>{0xEF, 0xBE, 0xAD, 0xDE}));
    EXPECT_EQ(sz.string(), "ab");
    EXPECT_FALSE(Value::fromBytes("\1\0\0\0", 4).dword());
    EXPECT_FALSE(Value::fromBytes("x", 1).string());
    Value shortDword = Value::fromDword(1);
    shortDword.data.pop_back();
    EXPECT_FALSE(shortDword.dword());

    // Overwriting may change the type.
    ASSERT_EQ(store.setValue(CU, "T", "TEXT", Value::fromDword(9)), Status::Ok);
    EXPECT_EQ(counterOf(store.value(CU, "T", "text")), 9u);
}

TEST(SettingsStoreUpdate, ThreadsLoseNoIncrement)
{
    TestHome home;
    Store& store = Store::instance();
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 250; ++i)
                if (store.updateValue(CU, "History", "Count", increment) != Status::Ok)
                    ++failures;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(counterOf(store.value(CU, "History", "Count")), 1000u);
}

TEST(SettingsStoreUpdate, UpdaterCanDeclineThrowOrReenter)
{
    TestHome home;
    Store& store = Store::instance();
    const auto decline = [](const std::optional<Value>&) { return std::optional<Value>(); };
    EXPECT_EQ(store.updateValue(CU, "U", "v", decline), Status::Ok);
    EXPECT_FALSE(store.keyExists(CU, "U"));

    ASSERT_EQ(store.setValue(CU, "U", "v", Value::fromDword(1)), Status::Ok);
    const auto thrower = [](const std::optional<Value>&) -> std::optional<Value> { throw 42; };
    EXPECT_EQ(store.updateValue(CU, "U", "v", thrower), Status::Failed);
    EXPECT_EQ(counterOf(store.value(CU, "U", "v")), 1u);

    // Calling the store from inside the updater fails instead of deadlocking.
    Status inner = Status::Ok;
    EXPECT_EQ(store.updateValue(CU, "U", "v",
                                [&](const std::optional<Value>& current) {
                                    inner = store.setValue(CU, "U", "w", Value::fromDword(0));
                                    return increment(current);
                                }),
              Status::Ok);
    EXPECT_EQ(inner, Status::Failed);
    EXPECT_EQ(counterOf(store.value(CU, "U", "v")), 2u);
    EXPECT_EQ(store.setValue(CU, "U", "w", Value::fromDword(0)), Status::Ok);
}

// Four processes write at once into a hive none of them has created yet.
TEST(SettingsStoreUpdate, ProcessesLoseNothing)
{
    TestHome home;
    Store& store = Store::instance();
    constexpr int kProcesses = 4;
    constexpr int kValues = 1000;
    constexpr int kIncrementEvery = 4;  // 250 increments per process
    store.closeAll();  // a connection must never cross fork()
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < kValues; ++i) {
                const std::string name = std::to_string(p) + "-" + std::to_string(i);
                failures += store.setValue(CU, "Mp", name, Value::fromDword(std::uint32_t(i))) != Status::Ok;
                if (i % kIncrementEvery == 0)
                    failures += store.updateValue(CU, "Mp", "Counter", increment) != Status::Ok;
            }
            ::_exit(failures ? 1 : 0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const auto values = store.values(CU, "Mp");
    EXPECT_EQ(values.size(), std::size_t(kProcesses * kValues + 1));
    EXPECT_EQ(counterOf(store.value(CU, "Mp", "Counter")), std::uint32_t(kProcesses * kValues / kIncrementEvery));
    for (int p = 0; p < kProcesses; ++p)
        EXPECT_EQ(counterOf(store.value(CU, "Mp", std::to_string(p) + "-999")), 999u);
}

TEST(SettingsStoreDamage, DamagedHiveIsKeptAsideAndReplaced)
{
    TestHome home;
    Store& store = Store::instance();
    const fs::path hive = yv::paths::userHiveFile();
    std::string garbage = "not a settings file\n";
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>(i * 37 % 256);
    home.writeFile(fs::relative(hive, home.dir()), garbage);

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(store.value(CU, "Software", "x"));
    EXPECT_FALSE(store.keyExists(CU, "Software"));
    EXPECT_EQ(store.setValue(CU, "Software", "x", Value::fromDword(3)), Status::Ok);
    EXPECT_EQ(counterOf(store.value(CU, "Software", "x")), 3u);
    const std::string err = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("damaged"), std::string::npos) << err;
    const auto kept = setAsideFiles(hive);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept[0]), garbage);
    EXPECT_NE(err.find(kept[0].string()), std::string::npos) << err;
}

TEST(SettingsStoreDamage, HiveThatGoesBadInUseIsReplaced)
{
    TestHome home;
    Store& store = Store::instance();
    const std::vector<std::uint8_t> filler(3000, 0x11);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(store.setValue(CU, "K", std::to_string(i), Value::fromBytes(filler.data(), filler.size())),
                  Status::Ok);
    store.closeAll();  // checkpoints the log into the file
    const fs::path hive = yv::paths::userHiveFile();
    {
        std::fstream f(hive, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096);
        const std::string junk(4096 * 8, '\xEE');
        f.write(junk.data(), std::streamsize(junk.size()));
    }
    ::testing::internal::CaptureStderr();
    store.values(CU, "K");
    EXPECT_EQ(store.setValue(CU, "K", "new", Value::fromDword(1)), Status::Ok);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("damaged"), std::string::npos) << err;
    EXPECT_EQ(setAsideFiles(hive).size(), 1u);
    EXPECT_EQ(namesOf(store.values(CU, "K")), std::vector<std::string>{"new"});
}

// A hive that cannot be opened is reported once and left where it is; nothing is written.
void expectLeftInPlace(const fs::path& hive)
{
    Store& store = Store::instance();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(store.value(CU, "K", "v"));
    EXPECT_EQ(store.setValue(CU, "K", "v", Value::fromDword(2)), Status::Failed);
    EXPECT_FALSE(store.keyExists(CU, "K"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(fs::exists(hive));
    EXPECT_TRUE(setAsideFiles(hive).empty());
}

TEST(SettingsStoreDamage, UnreadableHiveIsLeftInPlace)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root: file modes do not stop root from reading";
    TestHome home;
    ASSERT_EQ(Store::instance().setValue(CU, "K", "v", Value::fromDword(1)), Status::Ok);
    Store::instance().closeAll();
    fs::permissions(yv::paths::userHiveFile(), fs::perms::none);
    expectLeftInPlace(yv::paths::userHiveFile());
}

// Something SQLite cannot open at all (here a directory): the same, even for root.
TEST(SettingsStoreDamage, UnopenableHiveIsLeftInPlace)
{
    TestHome home;
    fs::create_directories(yv::paths::userHiveFile());
    expectLeftInPlace(yv::paths::userHiveFile());
}

// Users read the machine hive from a directory only the administrator may write.
TEST(SettingsStoreDamage, ReadOnlyMachineHiveIsReadable)
{
    TestHome home;
    Store& store = Store::instance();
    ASSERT_EQ(store.setValue(Hive::LocalMachine, "Software", "v", Value::fromDword(5)), Status::Ok);
    store.closeAll();
    const fs::path hive = yv::paths::machineHiveFile();
    ASSERT_FALSE(fs::exists(hive.string() + "-wal"));
    const auto rx = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(home.dir(), rx);
    fs::permissions(hive.parent_path(), rx);
    fs::permissions(hive, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        if (counterOf(store.value(Hive::LocalMachine, "Software", "v")) != 5)
            ::_exit(1);
        ::_exit(store.setValue(Hive::LocalMachine, "Software", "w", Value::fromDword(1)) ==
                        Status::Failed ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    fs::permissions(home.dir(), fs::perms::owner_all, fs::perm_options::add);
    fs::permissions(hive.parent_path(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// ---------------------------------------------------------------------------------------------
// yvreg, run as its own process with standard input that is not a terminal.

struct ToolRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

ToolRun yvreg(const TestHome& home, const std::vector<std::string>& args)
{
    const fs::path outFile = home.dir() / "yvreg.out";
    const fs::path errFile = home.dir() / "yvreg.err";
    const std::string program = (yv::testing::binDir() / "yvreg").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ToolRun run;
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

TEST(YvReg, AddQueryDeleteRoundTrip)
{
    TestHome home;
    Store& store = Store::instance();
    const std::string key = "HKCU\\Software\\Test";
    EXPECT_EQ(yvreg(home, {"add", key, "/v", "Name", "/d", "翻訳"}).status, 0);
    EXPECT_EQ(yvreg(home, {"add", key, "/v", "Count", "/t", "REG_DWORD", "/d", "0x1f"}).status, 0);
    EXPECT_EQ(yvreg(home, {"add", key, "/v", "Blob", "/t", "reg_binary", "/d", "0a0B"}).status, 0);
    EXPECT_EQ(yvreg(home, {"add", key, "/ve", "/d", "def"}).status, 0);
    EXPECT_EQ(yvreg(home, {"add", key + "\\Sub"}).status, 0);
    EXPECT_EQ(counterOf(store.value(CU, "software\\test", "count")), 31u);

    const ToolRun q = yvreg(home, {"query", key});
    EXPECT_EQ(q.status, 0);
    EXPECT_EQ(q.out, "\nHKEY_CURRENT_USER\\Software\\Test\n"
                     "    (Default)    REG_SZ    def\n"
                     "    Blob    REG_BINARY    0A0B\n"
                     "    Count    REG_DWORD    0x1f\n"
                     "    Name    REG_SZ    翻訳\n"
                     "\nHKEY_CURRENT_USER\\Software\\Test\\Sub\n");
    const ToolRun one = yvreg(home, {"query", "HKEY_CURRENT_USER\\Software", "/v", "count", "/s"});
    EXPECT_EQ(one.status, 0);
    EXPECT_NE(one.out.find("HKEY_CURRENT_USER\\Software\\Test\n    count    REG_DWORD    0x1f\n"),
              std::string::npos) << one.out;

    const ToolRun missing = yvreg(home, {"query", key, "/v", "Nope"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("unable to find"), std::string::npos);
    EXPECT_EQ(yvreg(home, {"delete", key, "/v", "Name", "/f"}).status, 0);
    EXPECT_FALSE(store.value(CU, "Software\\Test", "Name"));
    EXPECT_EQ(yvreg(home, {"delete", key, "/va", "/f"}).status, 0);
    EXPECT_TRUE(store.values(CU, "Software\\Test").empty());
    EXPECT_EQ(yvreg(home, {"delete", key, "/f"}).status, 0);
    EXPECT_FALSE(store.keyExists(CU, "Software\\Test"));
    EXPECT_EQ(yvreg(home, {"delete", key, "/f"}).status, 1);
}

TEST(YvReg, RefusesToAskWithoutTerminal)
{
    TestHome home;
    Store& store = Store::instance();
    const std::string key = "HKCU\\T";
    ASSERT_EQ(yvreg(home, {"add", key, "/v", "X", "/d", "1"}).status, 0);
    const ToolRun refused = yvreg(home, {"add", key, "/v", "x", "/d", "2"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("/f"), std::string::npos) << refused.err;
    EXPECT_EQ(store.value(CU, "T", "X")->string(), "1");
    EXPECT_EQ(yvreg(home, {"add", key, "/v", "x", "/d", "2", "/f"}).status, 0);
    EXPECT_EQ(store.value(CU, "T", "X")->string(), "2");

    EXPECT_EQ(yvreg(home, {"delete", key}).status, 1);
    EXPECT_EQ(yvreg(home, {"delete", key, "/v", "X"}).status, 1);
    EXPECT_TRUE(store.value(CU, "T", "X"));
}

TEST(YvReg, ExportWritesRegedit4)
{
    TestHome home;
    Store& store = Store::instance();
    ASSERT_EQ(store.setValue(CU, "E", "", Value::fromString("top")), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "E", "path", Value::fromString("C:\\a \"b\"")), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "E", "n", Value::fromDword(31)), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "E", "bin", Value::fromBytes("\x0a\xff", 2)), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "E", "lines", Value::fromString("a\nb")), Status::Ok);
    ASSERT_EQ(store.setValue(CU, "E\\Sub", "名前", Value::fromString("値")), Status::Ok);
    const fs::path file = home.dir() / "out.reg";

    ASSERT_EQ(yvreg(home, {"export", "HKCU\\E", file.string()}).status, 0);
    EXPECT_EQ(readFile(file), "REGEDIT4\n\n"
                              "[HKEY_CURRENT_USER\\E]\n"
                              "@=\"top\"\n"
                              "\"bin\"=hex:0a,ff\n"
                              "\"lines\"=hex(1):61,0a,62,00\n"
                              "\"n\"=dword:0000001f\n"
                              "\"path\"=\"C:\\\\a \\\"b\\\"\"\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\E\\Sub]\n"
                              "\"名前\"=\"値\"\n"
                              "\n");
    const std::string before = readFile(file);
    ASSERT_EQ(store.deleteKey(CU, "E\\Sub"), Status::Ok);
    EXPECT_EQ(yvreg(home, {"export", "HKCU\\E", file.string()}).status, 1);
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(yvreg(home, {"export", "HKCU\\E", file.string(), "/y"}).status, 0);
    EXPECT_EQ(readFile(file).find("Sub"), std::string::npos);
    EXPECT_EQ(yvreg(home, {"export", "HKCU\\Missing", (home.dir() / "m.reg").string()}).status, 1);
    EXPECT_FALSE(fs::exists(home.dir() / "m.reg"));
}

TEST(YvReg, OddArgumentsFailCleanly)
{
    TestHome home;
    Store& store = Store::instance();
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate", "HKCU\\T"},
        {"query", "HKXX\\T"},
        {"query", "HKCU\\T", "/t", "REG_SZ"},
        {"add", "HKCU\\T", "/v"},
        {"add", "HKCU\\T", "/v", "a", "/d"},
        {"add", "HKCU\\T", "/v", "a", "/v", "b"},
        {"add", "HKCU\\T", "/v", "a", "/ve"},
        {"add", "HKCU\\T", "/v", "a", "/t", "REG_QWORD"},
        {"add", "HKCU\\T", "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"},
        {"add", "HKCU\\T", "/v", "a", "/t", "REG_DWORD", "/d", "-1"},
        {"add", "HKCU\\T", "/v", "a", "/t", "REG_DWORD", "/d", "0x"},
        {"add", "HKCU\\T", "/v", "a", "/t", "REG_DWORD", "/d", "12a"},
        {"add", "HKCU\\T", "/v", "a", "/t", "REG_BINARY", "/d", "abc"},
        {"delete", "HKCU", "/f"},
        {"delete", "HKCU\\T", "/va", "/v", "a", "/f"},
        {"export", "HKCU\\T"},
    };
    for (const auto& args : bad)
        EXPECT_EQ(yvreg(home, args).status, 1) << ::testing::PrintToString(args);
    EXPECT_FALSE(store.keyExists(CU, "T"));
    EXPECT_NE(yvreg(home, {}).out.find("yvreg query"), std::string::npos);
    const ToolRun help = yvreg(home, {"/?"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("UTF-8"), std::string::npos);

    EXPECT_EQ(yvreg(home, {"add", "HKCU\\T", "/v", "", "/t", "REG_DWORD", "/d", "4294967295"}).status, 0);
    EXPECT_EQ(counterOf(store.value(CU, "T", "")), 0xFFFFFFFFu);
    const std::string hex(100000, 'f');
    EXPECT_EQ(yvreg(home, {"add", "HKLM\\T", "/v", "big", "/t", "REG_BINARY", "/d", hex}).status, 0);
    EXPECT_EQ(store.value(Hive::LocalMachine, "T", "big")->data.size(), hex.size() / 2);
}

} // namespace
