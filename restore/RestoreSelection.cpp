#include <windows.h>

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/CleanHook.h"
#include "restore/FilesInTheWay.h"
#include "restore/QuarantineFileDelete.h"
#include "restore/RestoreOutcome.h"
#include "restore/ItemAudit.h"
#include "restore/QuarantineItem.h"
#include "restore/SelectionWalk.h"
#include "ui/QuarantineDlg.h"

namespace {

// The operation's name in the progress dialog.
UINT RestoreProgressTitle(bool clean, bool askDelete) {
    if (clean) return IDS_PROGRESS_CLEAN_AND_RESTORE;
    return askDelete ? IDS_PROGRESS_RESTORE : IDS_PROGRESS_RESTORE_TO_NEW_LOCATION;
}

// Restores one quarantine file through a quarantine and container opened for
// it alone, and reads the item as the library reports it for the audit trail;
// both are closed again before this returns, so that the quarantine file can
// go afterwards. A failed restore puts its reason for the user into *pReason.
int32_t RestoreQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath,
                              const std::wstring& destination, ZEBQtCleanHook hook,
                              uintptr_t context, QuarantineItem* pItem, std::wstring* pReason) {
    std::wstring folder;
    std::wstring name;
    CZEBQtWrapper::QuarantinePtr quarantine;
    CZEBQtWrapper::ContainerPtr container;
    if (SplitQuarantineFilePath(fullPath, &folder, &name)) quarantine = library.OpenQuarantine(folder);
    if (quarantine) container = quarantine->OpenContainerByName(name);
    *pItem = ReadNamedQuarantineItem(container, name);
    pItem->container.reset();
    if (!container) {
        *pReason = AfxLoadString(RestoreFailureMessage(kRestoreNotAttempted));
        return kRestoreNotAttempted;
    }
    const int32_t result = container->Restore(destination, 0, hook, context, 0);
    if (result != kRestored) *pReason = RestoreFailureReason(result, destination, pItem->formerPaths);
    return result;
}

}  // namespace

void CQuarantineDlg::RestoreSelection(bool clean, const std::wstring& destination, bool askDelete) {
    const int firstSelected = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED);
    if (firstSelected < 0) {
        AfxMessageBox(IDS_SELECT_FILES, MB_ICONEXCLAMATION);
        return;
    }
    CWaitCursor wait;
    const bool deleteAfter =
        askDelete && AfxMessageBox(IDS_DELETE_AFTER_RESTORE, MB_YESNOCANCEL) == IDYES;
    // The question's box set the arrow.
    wait.Restore();
    const ZEBQtCleanHook hook = clean ? &CleanHook : nullptr;
    const uintptr_t context = reinterpret_cast<uintptr_t>(&m_ScanP);

    CSelectionWalk walk(m_lstQuarantine, m_hWnd, RestoreProgressTitle(clean, askDelete));
    const AuditOperation operation = clean                 ? AuditOperation::CleanAndRestore
                                     : destination.empty() ? AuditOperation::Restore
                                                           : AuditOperation::RestoreToNewLocation;
    walk.Run([&](int, const std::wstring& name, std::wstring* pReason) {
        QuarantineItem item;
        const int32_t result =
            RestoreQuarantineFile(m_ZEBQt, m_strFolder + name, destination, hook, context, &item, pReason);
        ItemAuditOutcome audit;
        audit.destination = destination;
        audit.success = result == kRestored;
        if (!audit.success) {
            // The audit keeps the library's own message, as it always did.
            audit.result = AfxLoadString(RestoreFailureMessage(result));
            WriteAuditEntry(ItemAuditEntry(operation, item, audit));
            return false;
        }
        audit.result = L"restored";
        audit.sha256 = RestoredFileSha256(item, 0, destination);
        WriteAuditEntry(ItemAuditEntry(operation, item, audit));
        // A quarantine file that will not go simply shows again after the refill.
        if (deleteAfter) DeleteQuarantineFile(m_strFolder, name);
        return true;
    });
    // A single row that failed leaves the list as it stands, selection and all.
    const bool singleRowFailed = walk.Selected() == 1 && walk.AnyFailed();
    if (deleteAfter && !singleRowFailed) {
        FillQuarantineList();
        FocusAfterRefill(firstSelected);
    }
    walk.ReportFailures(IDS_WALK_RESTORE_FAILED);
    KeepFocus();
}

void CQuarantineDlg::OnRestore() {
    RestoreSelection(false, std::wstring(), true);
}

void CQuarantineDlg::OnCleanAndRestore() {
    RestoreSelection(true, std::wstring(), true);
}
