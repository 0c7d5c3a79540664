// COfficeEnroll over the settings store: the add-in keys of the Office programs and the
// browser button's key, all in the current user's hive.
#include "OfficeEnroll.h"

#include <Etc.h>
#include <platform/process.h>
#include <platform/settingsstore.h>

#include <string_view>

namespace {

using yv::settings::Hive;
using yv::settings::Status;
using yv::settings::Store;
using yv::settings::Value;

constexpr std::string_view kAddInKeyPrefix = "Software\\Microsoft\\Office\\";
constexpr std::string_view kAddInKeySuffix = "\\Addins\\LintrelAddIn.LintrelDlg";
constexpr std::uint32_t kLoadAtStartUp = 3;

constexpr std::string_view kBrowserButtonKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{E491009E-97C0-411a-81B5-75FF187FC53E}";
// The browser's own handler for buttons that run a script.
constexpr std::string_view kScriptButtonHandler = "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}";

// The installation folder from the machine hive: large enough for any path the store holds.
constexpr std::uint32_t kInstallPathSize = 4096;

std::string text(const char* s)
{
    return s ? std::string(s) : std::string();
}

std::string addInKey(const char* application)
{
    return std::string(kAddInKeyPrefix) + text(application) + std::string(kAddInKeySuffix);
}

} // namespace

int COfficeEnroll::RegistOffice(const char* application, const char* title)
{
    Store& store = Store::instance();
    const std::string key = addInKey(application);
    if (store.createKey(Hive::CurrentUser, key) != Status::Ok)
        return 0;
    store.setValue(Hive::CurrentUser, key, "LoadBehavior", Value::fromDword(kLoadAtStartUp));
    store.setValue(Hive::CurrentUser, key, "FriendlyName", Value::fromString(text(title) + "ｱﾄﾞｲﾝ"));
    return 1;
}

int COfficeEnroll::UnRegistOffice(const char* application)
{
    Store::instance().deleteKey(Hive::CurrentUser, addInKey(application));
    return 1;
}

void COfficeEnroll::RegisterIEButton(const char* title)
{
    char folder[kInstallPathSize] = {};
    GetRegStr(HKEY_LOCAL_MACHINE, nullptr, "Path", folder, sizeof folder, "");
    const std::string installation(folder);

    Store& store = Store::instance();
    if (store.createKey(Hive::CurrentUser, kBrowserButtonKey) != Status::Ok)
        return;
    const std::string buttonText = text(title) + "で翻訳";
    const auto set = [&](std::string_view name, const std::string& value) {
        store.setValue(Hive::CurrentUser, kBrowserButtonKey, name, Value::fromString(value));
    };
    set("Default Visible", "Yes");
    set("MenuText", buttonText);
    set("ButtonText", buttonText);
    set("HotIcon", installation + "\\IE\\TransHotIcon.ico");
    set("Icon", installation + "\\IE\\TransIcon.ico");
    set("CLSID", std::string(kScriptButtonHandler));
    set("Script", installation + "\\IE\\webtrans.html");
}

void COfficeEnroll::UnRegisterIEButton()
{
    Store::instance().deleteKey(Hive::CurrentUser, kBrowserButtonKey);
}

int COfficeEnroll::RunProcess(void*, const char* program, char* arguments)
{
    if (!program || !*program)
        return 0;
    const std::vector<std::string> split =
        arguments ? yv::process::splitArguments(arguments) : std::vector<std::string>();
    yv::process::runAndWait(program, split);
    return 1;
}

void COfficeEnroll::RenameDLLPath(const char* subkey, const char* valueName, const char* valueText)
{
    Store& store = Store::instance();
    const std::string key = text(subkey);
    if (store.createKey(Hive::ClassesRoot, key) != Status::Ok)
        return;
    store.setValue(Hive::ClassesRoot, key, text(valueName), Value::fromString(text(valueText)));
}
