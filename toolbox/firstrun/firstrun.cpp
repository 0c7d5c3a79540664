// The toolbox's first run: the data-folder check and the one-time add-in registration.
#include "firstrun.h"

#include "firstrundialog.h"
#include "firstrunsetup.h"

#include <Etc.h>
#include <OfficeEnroll.h>

namespace yv::toolbox {

bool ensureFirstRunData(QWidget* parent)
{
    if (firstrun::firstRunDone())
        return true;
    FirstRunDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

void registerAddInOnce()
{
    if (GetRegDWORD(HKEY_CURRENT_USER, nullptr, "initaddin", 0) != 0)
        return;
    COfficeEnroll enroll;
    for (const char* application : {"Word", "Excel", "PowerPoint", "Outlook"})
        enroll.RegistOffice(application, firstrun::kProductTitle);
    enroll.RegisterIEButton(firstrun::kProductTitle);
    SetRegDWORD(HKEY_CURRENT_USER, nullptr, "initaddin", 1);
}

} // namespace yv::toolbox
