// The settings functions of Etc: roots, defaults, engine keys, records and the key history.
#include "Etc.h"

#include <platform/settingsstore.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using yv::settings::Hive;
using yv::settings::Store;
using yv::settings::Value;

constexpr const char* kProduct = "Software\\Orvikan\\Yorvane5\\1.00.000";

class EtcSettings : public ::testing::Test {
protected:
    void writeEngineProfiles()
    {
        home.writeFile("machine/profile/Ejrelay.ini", "[RELAYER/EJ]\r\nREGPATH=Software\\Test\\EJ\r\n");
        home.writeFile("machine/profile/JERELAY.INI", "[relayer/je]\nregpath = \"Software\\Test\\JE\"\n");
    }
    std::string text(HKEY root, const char* subkey, const char* name, const char* def, int* opened = nullptr)
    {
        char buffer[256];
        const int r = GetRegStr(root, subkey, name, buffer, sizeof buffer, def);
        if (opened)
            *opened = r;
        return buffer;
    }
    yv::testing::TestHome home;
};

TEST_F(EtcSettings, RootZeroFallsBackOnlyWhenTheUserKeyIsMissing)
{
    SetRegDWORD(HKEY_LOCAL_MACHINE, "grp", "n", 7);
    EXPECT_EQ(GetRegDWORD(0, "grp", "n", 1), 7u);  // no user key: the machine's value

    SetRegDWORD(HKEY_CURRENT_USER, "grp", "other", 3);
    EXPECT_EQ(GetRegDWORD(0, "grp", "n", 1), 1u);  // user key exists without the value
    EXPECT_EQ(GetRegDWORD(HKEY_LOCAL_MACHINE, "grp", "n", 1), 7u);
}

TEST_F(EtcSettings, StringsCopyTheDefaultFirst)
{
    int opened = -1;
    EXPECT_EQ(text(HKEY_CURRENT_USER, "none", "v", "dflt", &opened), "dflt");
    EXPECT_EQ(opened, 0);

    SetRegStr(HKEY_CURRENT_USER, "grp", "other", "x");
    EXPECT_EQ(text(HKEY_CURRENT_USER, "grp", "v", "dflt", &opened), "dflt");
    EXPECT_EQ(opened, 1);

    SetRegStr(HKEY_CURRENT_USER, "grp", "v", "日本語の値");
    EXPECT_EQ(text(HKEY_CURRENT_USER, "GRP", "V", "dflt"), "日本語の値");

    // A small buffer gets a cut text that never ends inside a character.
    char small[5];
    GetRegStr(HKEY_CURRENT_USER, "grp", "v", small, sizeof small, "");
    EXPECT_STREQ(small, "日");

    SetRegStr(HKEY_CURRENT_USER, nullptr, "top", "on the product key");
    EXPECT_TRUE(Store::instance().value(Hive::CurrentUser, kProduct, "top").has_value());
}

TEST_F(EtcSettings, WrongTypesReadAsDefaults)
{
    SetRegStr(HKEY_CURRENT_USER, "grp", "s", "12");
    SetRegDWORD(HKEY_CURRENT_USER, "grp", "d", 12);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, "grp", "s", 5), 5u);
    EXPECT_EQ(text(HKEY_CURRENT_USER, "grp", "d", "dflt"), "dflt");
}

TEST_F(EtcSettings, BinaryValues)
{
    const unsigned char data[] = {1, 2, 0, 4, 5};
    SetRegBin(HKEY_CURRENT_USER, "bin", "b", data, sizeof data);

    unsigned char out[8] = {};
    EXPECT_EQ(GetRegBin(HKEY_CURRENT_USER, "bin", "b", out, sizeof out, nullptr, 0), 5);
    EXPECT_EQ(std::memcmp(out, data, sizeof data), 0);

    const unsigned char def[] = {9, 9};
    unsigned char tiny[3] = {};
    EXPECT_EQ(GetRegBin(HKEY_CURRENT_USER, "bin", "b", tiny, sizeof tiny, def, sizeof def), 0);
    EXPECT_EQ(tiny[0], 9);  // too large to fit: the default stays
    EXPECT_EQ(GetRegBin(HKEY_CURRENT_USER, "bin", "missing", tiny, sizeof tiny, def, sizeof def), 0);
}

TEST_F(EtcSettings, EngineKeysComeFromTheProfileFiles)
{
    char buffer[64];
    // No profile files: no engine key, the default and 0.
    EXPECT_EQ(GetRegStr_Engine(0, "RELAYER/EJ", "IMP", buffer, sizeof buffer, "NASAI", 1), 0);
    EXPECT_STREQ(buffer, "NASAI");
    EXPECT_NE(SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "IMP", "KOTO", 1), 0);

    writeEngineProfiles();
    EXPECT_EQ(SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "IMP", "KOTO", 1), 0);
    EXPECT_EQ(SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/JE", "SUBJ", nullptr, 2), 0);
    EXPECT_EQ(Store::instance().value(Hive::CurrentUser, "Software\\Test\\EJ\\RELAYER/EJ", "IMP")->string(), "KOTO");
    EXPECT_EQ(Store::instance().value(Hive::CurrentUser, "software\\test\\je\\relayer/je", "SUBJ")->string(), "");

    // Any direction but 1 is JE.
    EXPECT_EQ(GetRegStr_Engine(0, "RELAYER/JE", "SUBJ", buffer, sizeof buffer, "it", 7), 1);
    EXPECT_STREQ(buffer, "");

    const unsigned char bytes[] = {0xAB};
    EXPECT_EQ(SetRegBin_Engine(HKEY_CURRENT_USER, "x", "b", bytes, 1, 1), 0);
    unsigned char out = 0;
    EXPECT_EQ(GetRegBin_Engine(HKEY_CURRENT_USER, "x", "b", &out, 1, nullptr, 0, 1), 1);
    EXPECT_EQ(out, 0xAB);
}

TEST_F(EtcSettings, TransSettingsMapTheEngineTexts)
{
    writeEngineProfiles();
    TransSettings s {};
    LoadEnvTrans(&s);
    EXPECT_EQ(s.subject, 1);
    EXPECT_EQ(s.imperative, 1);
    EXPECT_EQ(s.style, 1);
    EXPECT_EQ(s.you, 1);
    EXPECT_EQ(s.parLimit, 60000u);

    s = {4, 3, 2, 2, 30000};
    SaveEnvTrans(&s);
    TransSettings back {};
    LoadEnvTrans(&back);
    EXPECT_EQ(back.subject, 4);
    EXPECT_EQ(back.imperative, 3);
    EXPECT_EQ(back.style, 2);
    EXPECT_EQ(back.you, 2);
    EXPECT_EQ(back.parLimit, 30000u);

    // "We" is not "we": the field keeps what the caller had.
    SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/JE", "SUBJ", "We", 2);
    back.subject = 99;
    LoadEnvTrans(&back);
    EXPECT_EQ(back.subject, 99);

    // A field outside its table writes nothing for that value.
    s.style = 7;
    SetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "TSTYLE", "DEARU", 1);
    SaveEnvTrans(&s);
    char buffer[32];
    GetRegStr_Engine(HKEY_CURRENT_USER, "RELAYER/EJ", "TSTYLE", buffer, sizeof buffer, "", 1);
    EXPECT_STREQ(buffer, "DEARU");
}

TEST_F(EtcSettings, GroupRecordsHaveTheirDefaultsAndRoundTrip)
{
    KeySettings keys {};
    LoadEnvKeys(&keys);
    EXPECT_EQ(keys.translate, 122);
    EXPECT_EQ(keys.dictionary, 625);
    EXPECT_EQ(keys.cdrom, 634);
    EXPECT_EQ(keys.example, 635);
    keys.translate = 0x0171;
    SaveEnvKeys(&keys);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, "キー設定", "翻訳", 0), 0x0171u);

    SoftSettings soft {};
    LoadEnvSoft(&soft);
    EXPECT_EQ(soft.txtAuto, 1u);
    EXPECT_EQ(soft.xlsId, 1);
    EXPECT_EQ(soft.spyglass, 1u);
    EXPECT_EQ(soft.spyglassTime, 1000u);
    EXPECT_EQ(soft.spyglassExec, 2);
    EXPECT_STREQ(soft.txtExe, "");
    std::memset(soft.txtExe, 'x', sizeof soft.txtExe);  // unterminated
    soft.spyglassTime = 0x12345;
    SaveEnvSoft(&soft);
    SoftSettings back {};
    LoadEnvSoft(&back);
    EXPECT_EQ(std::strlen(back.txtExe), sizeof back.txtExe - 1);
    EXPECT_EQ(back.spyglassTime, 0x2345u);

    VoiceSettings voice {1, 1, 1, 1};
    LoadEnvVoice(&voice);
    EXPECT_EQ(voice.useReg + voice.regTrans + voice.useSpeak + voice.transSpeak, 0u);
    voice.transSpeak = 1;
    SaveEnvVoice(&voice);
    VoiceSettings again {};
    LoadEnvVoice(&again);
    EXPECT_EQ(again.transSpeak, 1u);
}

std::vector<std::string> keyList(const char* name, uint32_t size = 5120)
{
    std::vector<char> buffer(size);
    std::vector<std::string> keys;
    for (char** p = GetKeyList(HKEY_CURRENT_USER, "hist", name, buffer.data(), size); *p; ++p)
        keys.emplace_back(*p);
    return keys;
}

TEST_F(EtcSettings, KeyHistory)
{
    MemorizeKey(HKEY_CURRENT_USER, "hist", "k", "c");
    MemorizeKey(HKEY_CURRENT_USER, "hist", "k", "a");
    MemorizeKey(HKEY_CURRENT_USER, "hist", "k", "b");
    MemorizeKey(HKEY_CURRENT_USER, "hist", "k", "a");
    EXPECT_EQ(keyList("k"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(text(HKEY_CURRENT_USER, "hist", "k", ""), "a\nb\nc\n");

    // A small buffer keeps whole keys only.
    EXPECT_EQ(keyList("k", 5), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(keyList("k", 1), std::vector<std::string>{});

    MemorizeKey(HKEY_CURRENT_USER, "hist", "k", nullptr);
    EXPECT_TRUE(keyList("k").empty());
    EXPECT_TRUE(keyList("never").empty());
}

// Four processes write at once: every value arrives, and the shared history keeps each
// writer's keys without gaps (a lost update would drop a key from the middle).
TEST_F(EtcSettings, ConcurrentWritersLoseNothing)
{
    constexpr int kWriters = 4;
    constexpr int kCount = 1000;
    std::vector<pid_t> pids;
    for (int id = 0; id < kWriters; ++id) {
        const std::string idText = std::to_string(id);
        const std::string countText = std::to_string(kCount);
        char* argv[] = {const_cast<char*>(ETC_WRITER), const_cast<char*>(idText.c_str()),
                        const_cast<char*>(countText.c_str()), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, ETC_WRITER, nullptr, nullptr, argv, environ), 0);
        pids.push_back(pid);
    }
    for (const pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    const auto values = Store::instance().values(Hive::CurrentUser, std::string(kProduct) + "\\race");
    EXPECT_EQ(values.size(), static_cast<std::size_t>(kWriters * kCount + 1));
    for (int id = 0; id < kWriters; ++id) {
        const std::string name = "w" + std::to_string(id) + "-" + std::to_string(kCount - 1);
        EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, "race", name.c_str(), 0), static_cast<uint32_t>(kCount - 1));
    }

    std::vector<char> buffer(8192);
    std::map<int, std::vector<int>> byWriter;
    int entries = 0;
    for (char** p = GetKeyList(HKEY_CURRENT_USER, "race", "history", buffer.data(), 8192); *p; ++p) {
        int id = -1;
        int index = -1;
        ASSERT_EQ(std::sscanf(*p, "w%d-%d", &id, &index), 2);
        byWriter[id].push_back(index);
        ++entries;
    }
    EXPECT_EQ(entries, 20);
    for (const auto& [id, indexes] : byWriter) {
        for (std::size_t i = 1; i < indexes.size(); ++i)
            EXPECT_EQ(indexes[i], indexes[i - 1] - 1) << "writer " << id;
    }
}

TEST_F(EtcSettings, OfficeDetectionReadsTheRegistrations)
{
    EXPECT_EQ(AutoFindDoc(), 0);
    Store::instance().setValue(Hive::ClassesRoot, ".doc", "", Value::fromString("Word.Document.8"));
    EXPECT_EQ(AutoFindDoc(), 97);
    Store::instance().setValue(Hive::LocalMachine, "SOFTWARE\\Microsoft\\Office\\11.0\\Word\\InstallRoot",
                               "Path", Value::fromString("/opt/office"));
    Store::instance().setValue(Hive::LocalMachine, "SOFTWARE\\Microsoft\\Office\\9.0\\Word\\InstallRoot",
                               "Path", Value::fromString("/opt/office"));
    EXPECT_EQ(AutoFindDoc(), 2003);
    Store::instance().setValue(Hive::ClassesRoot, ".xls", "", Value::fromString("Excel.Sheet.12"));
    EXPECT_EQ(AutoFindXls(), 0);
    EXPECT_EQ(AutoFindPpt(), 0);
}

} // namespace
