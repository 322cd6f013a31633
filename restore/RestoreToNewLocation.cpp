#include "app/Registry.h"
#include "restore/DestinationBrowser.h"
#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnRestoreToNewLocation() {
    std::wstring folder;
    if (!BrowseForDestination(GetSafeHwnd(), &folder)) return;
    RestoreSelection(false, folder, false);
    WriteRegString(HKEY_CURRENT_USER, kSettingsKey, kValueDestPath, folder, FALSE);
}
