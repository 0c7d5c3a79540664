// The toolbox's first run: the user's data folder, and the one-time add-in registration.
#pragma once

class QWidget;

namespace yv::toolbox {

// Before the toolbox window exists: when the user has no example-data folder yet, the modal
// dialog "初期ﾃﾞｰﾀ設定" copies the user dictionaries and the example data into one. False when
// the user cancels it (the toolbox then ends).
bool ensureFirstRunData(QWidget* parent);

// Registers the Office add-in (Word, Excel, PowerPoint, Outlook) and the browser button once
// per user ("initaddin").
void registerAddInOnce();

} // namespace yv::toolbox
