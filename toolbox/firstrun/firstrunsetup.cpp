// The settings side of the first run.
#include "firstrunsetup.h"

#include <Etc.h>
#include <platform/profile.h>

#include <string>

namespace yv::toolbox::firstrun {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSampleKey = "例文";
constexpr const char* kPathValue = "Path";
// Large enough for any path the settings store holds.
constexpr std::uint32_t kPathBufferSize = 4096;

struct EngineDictionaries {
    const char* section;
    const char* directoryValue;
    const char* profileFile;
    const char* userDictionary;
    const char* basicDictionary;
};

EngineDictionaries dictionariesOf(int direction)
{
    if (direction == DIRECTION_EJ)
        return {"RELAYER/EJ", "KEJ", "Ejrelay.ini", "ejudic", "kihon2ej"};
    return {"RELAYER/JE", "KJE", "Jerelay.ini", "jeudic", "kihon2je"};
}

std::string readPath(HKEY root)
{
    char buffer[kPathBufferSize] = {};
    GetRegStr(root, kSampleKey, kPathValue, buffer, sizeof buffer, "");
    return buffer;
}

} // namespace

bool firstRunDone()
{
    return !readPath(HKEY_CURRENT_USER).empty();
}

fs::path engineDictionaryDir(int direction)
{
    const EngineDictionaries d = dictionariesOf(direction);
    return profile::getString(d.section, d.directoryValue, "", d.profileFile);
}

std::optional<CopyError> setUpUserDictionaries(const fs::path& folder, int direction)
{
    const EngineDictionaries d = dictionariesOf(direction);
    const fs::path engineDir = engineDictionaryDir(direction);
    if (!engineDir.empty()) {
        for (const char* extension : {".dic", ".idx"}) {
            const std::string file = std::string(d.userDictionary) + extension;
            std::error_code ec;
            if (!fs::is_regular_file(engineDir / file, ec))
                continue;
            CopyError error;
            if (copyFileKeepingExisting(engineDir / file, folder / file, &error) == FileCopyResult::Failed)
                return error;
        }
    }
    const std::string userDictionary = (folder / d.userDictionary).string();
    SetRegStr_Engine(HKEY_CURRENT_USER, d.section, "DIC1", userDictionary.c_str(), direction);
    std::error_code ec;
    if (!engineDir.empty() && fs::is_regular_file(engineDir / (std::string(d.basicDictionary) + ".dic"), ec)) {
        const std::string basic = (engineDir / d.basicDictionary).string();
        SetRegStr_Engine(HKEY_CURRENT_USER, d.section, "DIC2", basic.c_str(), direction);
    }
    return std::nullopt;
}

fs::path installedSampleData()
{
    return readPath(HKEY_LOCAL_MACHINE);
}

fs::path userSampleDataDir(const fs::path& folder, const fs::path& installed)
{
    fs::path name = installed.lexically_normal().filename();
    if (name.empty())
        name = installed.lexically_normal().parent_path().filename();
    if (name.empty())
        name = kSampleKey;
    return folder / name;
}

void storeUserSampleData(const fs::path& dir)
{
    SetRegStr(HKEY_CURRENT_USER, kSampleKey, kPathValue, dir.string().c_str());
}

} // namespace yv::toolbox::firstrun
