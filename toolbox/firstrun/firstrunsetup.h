// The settings side of the first run: whether it is done, the user dictionaries of each engine,
// and where the installed and the user's example-sentence data lie.
#pragma once

#include "datacopy.h"

#include <filesystem>
#include <optional>

namespace yv::toolbox::firstrun {

inline constexpr const char* kProductTitle = "Yorvane5";

// True when the user's example-data folder ("例文"\"Path" of the current user) is set.
bool firstRunDone();

// The engine's dictionary directory of a direction (1 EJ: "KEJ" of "Ejrelay.ini", 2 JE: "KJE"
// of "Jerelay.ini"); empty when the profile names none.
std::filesystem::path engineDictionaryDir(int direction);

// Copies the engine's empty user dictionary ("ejudic" / "jeudic", both files) into `folder`,
// keeping a dictionary already there, and names it as the direction's "DIC1"; names the basic
// dictionary ("kihon2ej" / "kihon2je") as "DIC2" when the engine has one. A template the engine
// lacks is not copied; a copy that fails is returned.
std::optional<CopyError> setUpUserDictionaries(const std::filesystem::path& folder, int direction);

// The installed example-sentence data ("例文"\"Path" of the machine); empty when not set.
std::filesystem::path installedSampleData();
// Where that data goes inside `folder`: a directory named like its last component.
std::filesystem::path userSampleDataDir(const std::filesystem::path& folder,
                                        const std::filesystem::path& installed);
void storeUserSampleData(const std::filesystem::path& dir);

} // namespace yv::toolbox::firstrun
