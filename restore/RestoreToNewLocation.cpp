#include "restore/DestinationBrowser.h"
#include "settings/Folders.h"
#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnRestoreToNewLocation() {
    std::wstring folder;
    if (!BrowseForDestination(GetSafeHwnd(), &folder)) return;
    RestoreSelection(false, folder, false);
    StoreDestinationFolder(folder);
}
