#pragma once
// The caller's side of the settings dialog: the values in, the modal run, the values out and
// saved.
#include <QWidget>

#include "config/uUserSettingsStore.h"

namespace ky {

class TKyCProject;
class TfmSettingWindow;

// Puts the values into the controls; the duration goes through the up-down control, so it
// arrives clamped to 10..999.
void FillSettingWindow(TfmSettingWindow& dialog, const TUserSettings& values);
// The values of the controls, read in the order the dialog's caller reads them. Throws TKyError
// "'<text>' is not a valid integer value" when the duration box does not hold a whole number.
TUserSettings ReadSettingWindow(const TfmSettingWindow& dialog);

// Creates the dialog over `owner`, fills it from LoadUserSettings (OK enabled only when the
// store may be written), shows it modally and, when it closes with OK, saves what it holds.
// Errors (a duration that is not a whole number, a file that cannot be written) are thrown as
// TKyError after the dialog has closed; nothing is saved then.
void RunSettingDialog(QWidget* owner, const TKyCProject& project, const TUserSettingsAccess& access);

}  // namespace ky
