#include <windows.h>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Folders.h"
#include "ui/FolderBrowser.h"
#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnRestoreToNewLocation() {
    if (RefusedByPolicy(AuditOperation::RestoreToNewLocation)) return;
    // Nothing to restore is said before a folder is asked for, as Restore
    // says it.
    if (m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED) < 0) {
        AfxMessageBox(IDS_SELECT_FILES, MB_ICONEXCLAMATION);
        return;
    }
    std::wstring folder;
    if (!BrowseForDestination(GetSafeHwnd(), &folder)) return;
    RestoreSelection(false, folder, false);
    StoreDestinationFolder(folder);
}
