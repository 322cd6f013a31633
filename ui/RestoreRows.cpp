#include <windows.h>

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/CleanHook.h"
#include "restore/FilesInTheWay.h"
#include "restore/ItemOperations.h"
#include "restore/QuarantineFileDelete.h"
#include "ui/ConflictQuestion.h"
#include "ui/ListColumns.h"
#include "ui/QuarantineDlg.h"
#include "ui/SelectionWalk.h"

namespace {

// The operation's name in the progress dialog.
UINT RestoreProgressTitle(bool clean, bool askDelete) {
    if (clean) return IDS_PROGRESS_CLEAN_AND_RESTORE;
    return askDelete ? IDS_PROGRESS_RESTORE : IDS_PROGRESS_RESTORE_TO_NEW_LOCATION;
}

}  // namespace

void CQuarantineDlg::RestoreSelection(bool clean, const std::wstring& destination, bool askDelete) {
    const AuditOperation operation = clean                 ? AuditOperation::CleanAndRestore
                                     : destination.empty() ? AuditOperation::Restore
                                                           : AuditOperation::RestoreToNewLocation;
    if (RefusedByPolicy(operation, destination)) return;
    const int firstSelected = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED);
    if (firstSelected < 0) {
        AfxMessageBox(IDS_SELECT_FILES, MB_ICONEXCLAMATION);
        return;
    }
    CWaitCursor wait;
    const int answer = askDelete ? AfxMessageBox(IDS_DELETE_AFTER_RESTORE, MB_YESNOCANCEL) : IDNO;
    // Cancel, or the box closed, ends the command before anything is
    // restored: a quarantined file the user did not let out stays in.
    if (answer == IDCANCEL) {
        KeepFocus();
        return;
    }
    const bool deleteAfter = answer == IDYES;
    // The question's box set the arrow.
    wait.Restore();
    const ZEBQtCleanHook hook = clean ? &CleanHook : nullptr;
    const uintptr_t context = reinterpret_cast<uintptr_t>(&m_ScanP);

    // Asked once, before anything is written, when a file of the selected
    // items would land on a name that is taken.
    ConflictChoice conflict = ConflictChoice::Fail;
    const std::vector<std::wstring> inTheWay = SelectedFilesInTheWay(destination);
    if (!inTheWay.empty()) {
        bool cancelled = false;
        conflict = AskForConflictChoice(inTheWay, &cancelled);
        if (cancelled) {
            KeepFocus();
            return;
        }
        wait.Restore();
    }
    std::vector<std::wstring> keptUnderOtherNames;

    CSelectionWalk walk(m_lstQuarantine, m_hWnd, RestoreProgressTitle(clean, askDelete));
    walk.Run([&](int, const std::wstring& name, std::wstring* pReason) {
        QuarantineItem item;
        const ItemRestore restore = RestoreQuarantineFile(m_ZEBQt, m_strFolder + name, destination,
                                                          conflict, hook, context, &item);
        if (restore.skipped) {
            *pReason = AfxLoadString(IDS_SKIPPED_AS_CHOSEN) + L"\n" +
                       SkippedForFilesInTheWay(restore, item.formerPaths.size());
            return false;
        }
        const int32_t result = restore.result;
        // Due before anything else touches the disk: it names the files in the way.
        if (result != kRestored)
            *pReason = RestoreFailureReason(result, destination, item.formerPaths);
        const std::vector<ItemAuditOutcome> outcomes =
            RestoreOutcomes(item, result, destination, &restore.finalPaths);
        for (size_t file = 0; file < restore.finalPaths.size(); ++file)
            if (file < item.formerPaths.size() &&
                restore.finalPaths[file] != RestoreTarget(destination, item.formerPaths[file]))
                keptUnderOtherNames.push_back(restore.finalPaths[file]);
        for (const ItemAuditOutcome& outcome : outcomes) {
            WriteAuditEntry(ItemAuditEntry(operation, item, outcome));
            if (!outcome.success && pReason->empty()) *pReason = outcome.result;
        }
        // A restored file that is not on disk keeps its quarantine file.
        if (!AllSucceeded(outcomes)) return false;
        // A quarantine file that will not go simply shows again after the refill.
        if (deleteAfter) DeleteQuarantineFile(m_strFolder, name);
        return true;
    });
    // A single row that failed leaves the list as it stands, selection and all.
    const bool singleRowFailed = walk.Selected() == 1 && walk.AnyFailed();
    if (deleteAfter && !singleRowFailed) {
        RefillKeepingFocus();
    }
    walk.ReportFailures(IDS_WALK_RESTORE_FAILED);
    if (!keptUnderOtherNames.empty())
        AfxMessageBox(ListedPathsText(AfxLoadString(IDS_KEPT_UNDER_OTHER_NAMES),
                                      AfxLoadString(IDS_WALK_MORE_FAILED), keptUnderOtherNames),
                      MB_ICONINFORMATION);
    KeepFocus();
}

std::vector<std::wstring> CQuarantineDlg::SelectedFilesInTheWay(const std::wstring& destination) {
    std::vector<std::wstring> inTheWay;
    for (int row = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_lstQuarantine.GetNextItem(row, LVNI_SELECTED)) {
        const QuarantineItem item = ReadQuarantineFile(
            m_ZEBQt, m_strFolder + m_lstQuarantine.GetItemText(row, kColumnQuarantineFile));
        for (const std::wstring& path : FilesInTheWayOf(item, destination))
            inTheWay.push_back(path);
    }
    return inTheWay;
}

void CQuarantineDlg::OnRestore() {
    RestoreSelection(false, std::wstring(), true);
}

void CQuarantineDlg::OnCleanAndRestore() {
    RestoreSelection(true, std::wstring(), true);
}
