// COfficeEnroll over the settings store: the add-in keys of the Office programs and the
// browser button's key, all in the current user's hive; the office programs that LibreOffice
// stands in for also get the add-in's extension, and the add-in's class is registered with the
// first program and removed with the last.
#include "OfficeEnroll.h"

#include "libreoffice.h"

#include <Etc.h>
#include <platform/messagebox.h>
#include <platform/paths.h>
#include <platform/process.h>
#include <platform/settingsstore.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string_view>

#include <dlfcn.h>

namespace {

using yv::settings::Hive;
using yv::settings::Status;
using yv::settings::Store;
using yv::settings::Value;
namespace msgbox = yv::msgbox;
namespace officeenroll = yv::officeenroll;

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

// The office programs whose LibreOffice counterparts (Writer, Calc, Impress) carry the add-in's
// toolbar. The mail program has none.
constexpr std::string_view kExtensionHosts[] = {"Word", "Excel", "PowerPoint"};

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool needsExtension(const char* application)
{
    for (const std::string_view host : kExtensionHosts) {
        if (sameName(host, text(application)))
            return true;
    }
    return false;
}

// The first registration of a process (per LibreOffice profile and PATH) installs the extension
// and tells the user what went wrong; the registrations after it reuse that answer, so that
// registering three programs installs once and shows one message.
struct ExtensionAnswers {
    std::mutex mutex;
    std::map<std::string, bool> answers;
};

ExtensionAnswers& extensionAnswers()
{
    static ExtensionAnswers answers;
    return answers;
}

std::string extensionAnswerKey()
{
    const char* path = std::getenv("PATH");
    return officeenroll::userInstallationArgument() + '\n' + (path ? path : "");
}

bool ensureExtension()
{
    ExtensionAnswers& state = extensionAnswers();
    const std::string key = extensionAnswerKey();
    const std::lock_guard lock(state.mutex);
    if (const auto known = state.answers.find(key); known != state.answers.end())
        return known->second;

    bool ready = false;
    const std::optional<officeenroll::Version> version = officeenroll::findLibreOffice();
    if (!version) {
        msgbox::show(0, msgbox::Ok | msgbox::IconExclamation, officeenroll::missingMessage());
    } else if (*version < officeenroll::kMinimumVersion) {
        msgbox::show(0, msgbox::Ok | msgbox::IconExclamation, officeenroll::tooOldMessage(*version));
    } else {
        const officeenroll::InstallResult result = officeenroll::installExtension(officeenroll::extensionFile());
        if (result.superuser) {
            // Not a desktop user's situation: said once on standard error, the keys are still written.
            std::fprintf(stderr, "OfficeEnroll: %s; the add-in's toolbar is not installed\n", result.detail.c_str());
            ready = true;
        } else if (!result.installed) {
            msgbox::show(0, msgbox::Ok | msgbox::IconExclamation, officeenroll::installFailedMessage(result.detail));
        } else {
            ready = true;
        }
    }
    state.answers[key] = ready;
    return ready;
}

// After a removal the next registration installs again.
void removeExtension()
{
    ExtensionAnswers& state = extensionAnswers();
    const std::lock_guard lock(state.mutex);
    officeenroll::removeExtension();
    state.answers.erase(extensionAnswerKey());
}

// The classes hive is per user here, so the add-in's self-registration, which an installer runs
// once per machine elsewhere, runs with the user's registration: the library beside this one
// is loaded and the named export called, as a registration tool does.
void callAddInServer(const char* exportName)
{
    using ServerExport = std::int32_t (*)();
    const std::filesystem::path library =
        yv::paths::moduleDir(reinterpret_cast<const void*>(&callAddInServer)) / YV_ADDIN_LIBRARY_FILE;
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return;
    if (const auto call = reinterpret_cast<ServerExport>(::dlsym(handle, exportName)))
        call();
    const auto canUnload = reinterpret_cast<ServerExport>(::dlsym(handle, "DllCanUnloadNow"));
    if (canUnload && canUnload() == 0)
        ::dlclose(handle);
}

bool anyAddInKeyLeft(Store& store)
{
    for (const std::string& application : store.subkeys(Hive::CurrentUser, kAddInKeyPrefix)) {
        if (store.keyExists(Hive::CurrentUser, addInKey(application.c_str())))
            return true;
    }
    return false;
}

} // namespace

int COfficeEnroll::RegistOffice(const char* application, const char* title)
{
    // Without a LibreOffice that can carry the add-in's toolbar the registration is refused.
    if (needsExtension(application) && !ensureExtension())
        return 0;
    Store& store = Store::instance();
    const std::string key = addInKey(application);
    if (store.createKey(Hive::CurrentUser, key) != Status::Ok)
        return 0;
    store.setValue(Hive::CurrentUser, key, "LoadBehavior", Value::fromDword(kLoadAtStartUp));
    store.setValue(Hive::CurrentUser, key, "FriendlyName", Value::fromString(text(title) + "ｱﾄﾞｲﾝ"));
    // The key names the add-in by its ProgID, which the class registration resolves.
    callAddInServer("DllRegisterServer");
    return 1;
}

int COfficeEnroll::UnRegistOffice(const char* application)
{
    Store& store = Store::instance();
    const bool wasRegistered = store.keyExists(Hive::CurrentUser, addInKey(application));
    store.deleteKey(Hive::CurrentUser, addInKey(application));
    // The extension goes with the last of the programs it serves.
    if (wasRegistered && needsExtension(application)) {
        bool anyLeft = false;
        for (const std::string_view host : kExtensionHosts)
            anyLeft = anyLeft || store.keyExists(Hive::CurrentUser, addInKey(std::string(host).c_str()));
        if (!anyLeft)
            removeExtension();
    }
    if (wasRegistered && !anyAddInKeyLeft(store))
        callAddInServer("DllUnregisterServer");
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
