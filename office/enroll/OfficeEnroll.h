// COfficeEnroll: writes and removes the keys through which the Office programs load the
// add-in and the web browser shows its translate button, in the current user's settings.
#pragma once

#include <string>

class COfficeEnroll {
public:
    COfficeEnroll() = default;
    COfficeEnroll(const COfficeEnroll&) = default;
    COfficeEnroll& operator=(const COfficeEnroll&) = default;

    // Registers the add-in with `application` ("Word", "Excel", ...), named "<title>ｱﾄﾞｲﾝ":
    // 1 when written, 0 when the key could not be created.
    int RegistOffice(const char* application, const char* title);
    // Removes that registration (and nothing else); always 1.
    int UnRegistOffice(const char* application);
    // The browser's toolbar button "<title>で翻訳" pointing at the installation's "IE" files.
    void RegisterIEButton(const char* title);
    void UnRegisterIEButton();

private:
    friend struct OfficeEnrollProbe;

    // Runs `program` with the blank-separated `arguments` (may be null) and waits for it to
    // end: 0 for an empty program, else 1.
    int RunProcess(void* instance, const char* program, char* arguments);
    // Sets `valueName` of `subkey` in the classes hive to `valueText`.
    void RenameDLLPath(const char* subkey, const char* valueName, const char* valueText);
};
