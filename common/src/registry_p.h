// Internal to Etc: how roots, the product key and the engine keys map onto the store.
#pragma once

#include "Etc.h"

#include <platform/settingsstore.h>

#include <optional>
#include <string>

namespace yv::etc::internal {

inline constexpr std::string_view kProductKey = "Software\\Orvikan\\Yorvane5\\1.00.000";

// The product key with `subkey` appended (null: the product key itself).
std::string productKeyPath(const char* subkey);
// The engine key of a direction with `subkey` appended; nothing when the engines' profile
// file names no REGPATH.
std::optional<std::string> engineKeyPath(const char* subkey, int direction);

// The hive a Get reads: root 0 is the current user when the key exists there, else the
// machine. Nothing for an unknown root.
std::optional<settings::Hive> hiveForRead(HKEY root, const std::string& path);
// The hive a Set writes (root 0 writes to the current user).
std::optional<settings::Hive> hiveForWrite(HKEY root);

inline std::string_view nameOf(const char* name)
{
    return name ? std::string_view(name) : std::string_view();
}

// The text of a value (key missing: nothing; key there, value missing: an empty optional
// inside). Used where a caller needs the whole text rather than a buffer's worth.
struct StringRead {
    bool keyOpened = false;
    std::optional<std::string> text;
};
StringRead readString(HKEY root, const std::optional<std::string>& path, const char* name);

int getString(HKEY root, const std::optional<std::string>& path, const char* name, char* buffer,
              uint32_t size, const char* def);
int getBinary(HKEY root, const std::optional<std::string>& path, const char* name, void* buffer,
              uint32_t size, const void* def, uint32_t defSize);
settings::Status setValue(HKEY root, const std::optional<std::string>& path, const char* name,
                          const settings::Value& value);

} // namespace yv::etc::internal
