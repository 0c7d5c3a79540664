// The add-in's class "LintrelAddIn.LintrelDlg": its registration as an in-process server in
// the classes hive, the four server exports, and its connection to an office.
#pragma once

#include <cstdint>
#include <string_view>

namespace yv::addin {

// The registration's names, as the office programs look the class up.
inline constexpr std::string_view kProgId = "LintrelAddIn.LintrelDlg.1";
inline constexpr std::string_view kVersionIndependentProgId = "LintrelAddIn.LintrelDlg";
inline constexpr std::string_view kClassDescription = "LintrelDlg Class";
inline constexpr std::string_view kClsid = "{5DA35E0F-E665-439C-A206-0BD9A922F9B0}";
inline constexpr std::string_view kTypeLibId = "{B4F9738F-7EFD-4395-B785-B1FCF33A512A}";
inline constexpr std::string_view kTypeLibDescription = "LintrelAddIn 1.0 ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ";

// The office has taken the add-in in: says so on the trace window.
void OnConnection();

// The usual 32-bit status codes of the server exports.
inline constexpr std::int32_t S_OK = 0;
inline constexpr std::int32_t S_FALSE = 1;
inline constexpr std::int32_t E_POINTER = static_cast<std::int32_t>(0x80004003u);
inline constexpr std::int32_t CLASS_E_CLASSNOTAVAILABLE = static_cast<std::int32_t>(0x80040111u);
inline constexpr std::int32_t SELFREG_E_TYPELIB = static_cast<std::int32_t>(0x80040200u);
inline constexpr std::int32_t SELFREG_E_CLASS = static_cast<std::int32_t>(0x80040201u);

} // namespace yv::addin

// The standard exports of an in-process server.
extern "C" {

// Writes the class, its two ProgIDs and its type library into the classes hive, the server
// being this library's file.
std::int32_t DllRegisterServer();
// Removes exactly what DllRegisterServer writes; S_OK also when nothing was there.
std::int32_t DllUnregisterServer();
// Always CLASS_E_CLASSNOTAVAILABLE (with *object cleared): this system has no object broker to
// hand class objects to; the office reaches the add-in through its extension instead.
std::int32_t DllGetClassObject(const void* clsid, const void* iid, void** object);
// S_OK when the library can be unloaded.
std::int32_t DllCanUnloadNow();

} // extern "C"
