// The Get and Set functions of Etc over the settings store.
#include "registry_p.h"

#include <platform/profile.h>
#include <platform/textutil.h>

#include <algorithm>
#include <cstring>

namespace yv::etc::internal {

namespace {

// Registry status codes as the engine-key Set functions report them.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorWriteFault = 29;

constexpr std::size_t kEnginePathLimit = 260;

std::string joinKey(std::string_view base, const char* subkey)
{
    std::string path(base);
    if (subkey && *subkey) {
        path += '\\';
        path += subkey;
    }
    return path;
}

long statusCode(settings::Status status)
{
    switch (status) {
    case settings::Status::Ok: return kErrorSuccess;
    case settings::Status::NotFound: return kErrorFileNotFound;
    case settings::Status::Failed: break;
    }
    return kErrorWriteFault;
}

} // namespace

std::string productKeyPath(const char* subkey)
{
    return joinKey(kProductKey, subkey);
}

std::optional<std::string> engineKeyPath(const char* subkey, int direction)
{
    const bool ej = direction == DIRECTION_EJ;
    char regPath[kEnginePathLimit + 1] = {};
    profile::getString(ej ? "RELAYER/EJ" : "RELAYER/JE", "REGPATH", "", regPath, sizeof regPath,
                       ej ? "EJRELAY.INI" : "JERELAY.INI");
    if (settings::normalizeKeyPath(regPath).empty())
        return std::nullopt;
    return joinKey(regPath, subkey);
}

std::optional<settings::Hive> hiveForRead(HKEY root, const std::string& path)
{
    switch (root) {
    case 0:
        return settings::Store::instance().keyExists(settings::Hive::CurrentUser, path)
                   ? settings::Hive::CurrentUser
                   : settings::Hive::LocalMachine;
    case HKEY_CURRENT_USER: return settings::Hive::CurrentUser;
    case HKEY_LOCAL_MACHINE: return settings::Hive::LocalMachine;
    case HKEY_CLASSES_ROOT: return settings::Hive::ClassesRoot;
    }
    return std::nullopt;
}

std::optional<settings::Hive> hiveForWrite(HKEY root)
{
    return hiveForRead(root == 0 ? HKEY_CURRENT_USER : root, {});
}

StringRead readString(HKEY root, const std::optional<std::string>& path, const char* name)
{
    StringRead read;
    if (!path)
        return read;
    const auto hive = hiveForRead(root, *path);
    auto& store = settings::Store::instance();
    if (!hive || !store.keyExists(*hive, *path))
        return read;
    read.keyOpened = true;
    if (const auto value = store.value(*hive, *path, nameOf(name)))
        read.text = value->string();
    return read;
}

int getString(HKEY root, const std::optional<std::string>& path, const char* name, char* buffer,
              uint32_t size, const char* def)
{
    text::copyToBuffer(def ? def : "", buffer, size);
    const StringRead read = readString(root, path, name);
    if (read.text)
        text::copyToBuffer(*read.text, buffer, size);
    return read.keyOpened ? 1 : 0;
}

int getBinary(HKEY root, const std::optional<std::string>& path, const char* name, void* buffer,
              uint32_t size, const void* def, uint32_t defSize)
{
    if (buffer && def)
        std::memcpy(buffer, def, std::min(size, defSize));
    if (!path)
        return 0;
    const auto hive = hiveForRead(root, *path);
    if (!hive)
        return 0;
    const auto value = settings::Store::instance().value(*hive, *path, nameOf(name));
    // A value larger than the buffer is not cut: a partial block would be wrong data.
    if (!value || !buffer || value->data.size() > size)
        return 0;
    std::memcpy(buffer, value->data.data(), value->data.size());
    return static_cast<int>(value->data.size());
}

settings::Status setValue(HKEY root, const std::optional<std::string>& path, const char* name,
                          const settings::Value& value)
{
    const auto hive = hiveForWrite(root);
    if (!path || !hive)
        return settings::Status::NotFound;
    return settings::Store::instance().setValue(*hive, *path, nameOf(name), value);
}

} // namespace yv::etc::internal

namespace {

long setEngineValue(HKEY root, const char* subkey, const char* name, const yv::settings::Value& value,
                    int direction)
{
    using namespace yv::etc::internal;
    return statusCode(setValue(root, engineKeyPath(subkey, direction), name, value));
}

} // namespace

using namespace yv;
using namespace yv::etc::internal;

extern "C" {

uint32_t GetRegDWORD(HKEY root, const char* subkey, const char* name, uint32_t def)
{
    const std::string path = productKeyPath(subkey);
    const auto hive = hiveForRead(root, path);
    if (!hive)
        return def;
    const auto value = settings::Store::instance().value(*hive, path, nameOf(name));
    return value ? value->dword().value_or(def) : def;
}

void SetRegDWORD(HKEY root, const char* subkey, const char* name, uint32_t value)
{
    setValue(root, productKeyPath(subkey), name, settings::Value::fromDword(value));
}

int GetRegStr(HKEY root, const char* subkey, const char* name, char* buffer, uint32_t size, const char* def)
{
    return getString(root, productKeyPath(subkey), name, buffer, size, def);
}

void SetRegStr(HKEY root, const char* subkey, const char* name, const char* text)
{
    setValue(root, productKeyPath(subkey), name, settings::Value::fromString(text ? text : ""));
}

int GetRegBin(HKEY root, const char* subkey, const char* name, void* buffer, uint32_t size,
              const void* def, uint32_t defSize)
{
    return getBinary(root, productKeyPath(subkey), name, buffer, size, def, defSize);
}

void SetRegBin(HKEY root, const char* subkey, const char* name, const void* data, uint32_t size)
{
    setValue(root, productKeyPath(subkey), name, settings::Value::fromBytes(data, data ? size : 0));
}

int GetRegStr_Engine(HKEY root, const char* subkey, const char* name, char* buffer, uint32_t size,
                     const char* def, int direction)
{
    return getString(root, engineKeyPath(subkey, direction), name, buffer, size, def);
}

long SetRegStr_Engine(HKEY root, const char* subkey, const char* name, const char* text, int direction)
{
    return setEngineValue(root, subkey, name, settings::Value::fromString(text ? text : ""), direction);
}

int GetRegBin_Engine(HKEY root, const char* subkey, const char* name, void* buffer, uint32_t size,
                     const void* def, uint32_t defSize, int direction)
{
    return getBinary(root, engineKeyPath(subkey, direction), name, buffer, size, def, defSize);
}

long SetRegBin_Engine(HKEY root, const char* subkey, const char* name, const void* data, uint32_t size,
                      int direction)
{
    return setEngineValue(root, subkey, name, settings::Value::fromBytes(data, data ? size : 0), direction);
}

} // extern "C"
