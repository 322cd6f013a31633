#include "settings/Folders.h"
#include "ui/FolderBrowser.h"
#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnRestoreToNewLocation() {
    std::wstring folder;
    if (!BrowseForDestination(GetSafeHwnd(), &folder)) return;
    RestoreSelection(false, folder, false);
    StoreDestinationFolder(folder);
}
