// The add-in's class registration over the classes hive of the settings store, and its trace.
#include "lintreldlg.h"

#include "mytrans.h"

#include <Etc.h>

#include <platform/settingsstore.h>

#include <optional>
#include <string>
#include <vector>

namespace yv::addin {

namespace {

using settings::Hive;
using settings::Status;
using settings::Store;
using settings::Value;

// One line of the registry script: a key, and a value in it unless the key stands alone.
struct ScriptLine {
    std::string key;
    std::optional<std::string> name;
    std::string value;
};

std::string classKey()
{
    return "CLSID\\" + std::string(kClsid);
}

std::string typeLibKey()
{
    return "TypeLib\\" + std::string(kTypeLibId);
}

std::string typeLibVersionKey()
{
    return typeLibKey() + "\\1.0";
}

std::vector<ScriptLine> classScript(const std::string& server)
{
    const std::string progId(kProgId);
    const std::string independent(kVersionIndependentProgId);
    const std::string description(kClassDescription);
    const std::string clsid(kClsid);
    const std::string cls = classKey();
    return {
        {progId, "", description},
        {progId + "\\CLSID", "", clsid},
        {independent, "", description},
        {independent + "\\CLSID", "", clsid},
        {independent + "\\CurVer", "", progId},
        {cls, "", description},
        {cls + "\\ProgID", "", progId},
        {cls + "\\VersionIndependentProgID", "", independent},
        {cls + "\\Programmable", std::nullopt, {}},
        {cls + "\\InprocServer32", "", server},
        {cls + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cls + "\\TypeLib", "", std::string(kTypeLibId)},
    };
}

// What registering a type library writes; the library is this module itself.
std::vector<ScriptLine> typeLibScript(const std::string& server, const std::string& folder)
{
    const std::string version = typeLibVersionKey();
    return {
        {version, "", std::string(kTypeLibDescription)},
        {version + "\\FLAGS", "", "0"},
        {version + "\\0\\win32", "", server},
        {version + "\\HELPDIR", "", folder},
    };
}

bool run(const std::vector<ScriptLine>& script)
{
    Store& store = Store::instance();
    for (const ScriptLine& line : script) {
        if (store.createKey(Hive::ClassesRoot, line.key) != Status::Ok)
            return false;
        if (line.name && store.setValue(Hive::ClassesRoot, line.key, *line.name, Value::fromString(line.value)) != Status::Ok)
            return false;
    }
    return true;
}

bool removeKey(const std::string& key)
{
    return Store::instance().deleteKey(Hive::ClassesRoot, key) != Status::Failed;
}

} // namespace

void OnConnection()
{
    TraceLine("OnConnection\n");
}

} // namespace yv::addin

extern "C" {

std::int32_t DllRegisterServer()
{
    using namespace yv::addin;
    const std::string folder = addInDir().string();
    const std::string server = (addInDir() / YV_ADDIN_LIBRARY_FILE).string();
    // The class key is written afresh, so that nothing of an older registration lingers in it.
    if (!removeKey(classKey()) || !run(classScript(server)))
        return SELFREG_E_CLASS;
    return run(typeLibScript(server, folder)) ? S_OK : SELFREG_E_TYPELIB;
}

std::int32_t DllUnregisterServer()
{
    using namespace yv::addin;
    const bool classRemoved = removeKey(std::string(kProgId)) && removeKey(std::string(kVersionIndependentProgId)) &&
                              removeKey(classKey());
    if (!classRemoved)
        return SELFREG_E_CLASS;
    // Other versions of the type library keep its key.
    Store& store = Store::instance();
    if (!removeKey(typeLibVersionKey()))
        return SELFREG_E_TYPELIB;
    if (store.subkeys(Hive::ClassesRoot, typeLibKey()).empty() && store.values(Hive::ClassesRoot, typeLibKey()).empty() &&
        !removeKey(typeLibKey()))
        return SELFREG_E_TYPELIB;
    return S_OK;
}

std::int32_t DllGetClassObject(const void*, const void*, void** object)
{
    if (!object)
        return yv::addin::E_POINTER;
    *object = nullptr;
    return yv::addin::CLASS_E_CLASSNOTAVAILABLE;
}

std::int32_t DllCanUnloadNow()
{
    // No class object is ever handed out, so nothing can hold the library.
    return yv::addin::S_OK;
}

} // extern "C"
