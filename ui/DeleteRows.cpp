#include <windows.h>

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/ItemOperations.h"
#include "ui/QuarantineDlg.h"
#include "ui/SelectionWalk.h"

void CQuarantineDlg::DeleteSelection() {
    if (RefusedByPolicy(AuditOperation::Delete)) return;
    const int firstSelected = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED);
    if (firstSelected < 0) {
        AfxMessageBox(IDS_SELECT_FILES, MB_ICONEXCLAMATION);
        return;
    }
    CSelectionWalk walk(m_lstQuarantine, m_hWnd, IDS_PROGRESS_DELETE);
    // Nothing can bring a deleted quarantine file back: No is the default.
    if (AfxMessageBox(FillCounts(AfxLoadString(IDS_CONFIRM_DELETE), {walk.Selected()}),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    {
        CWaitCursor wait;
        walk.Run([this](int, const std::wstring& name, std::wstring* pReason) {
            // Read before the file goes: afterwards the library knows nothing of it.
            QuarantineItem item = ReadQuarantineItemByName(m_ZEBQt, m_strFolder, name);
            const ItemAuditOutcome audit = DeleteQuarantineItem(m_strFolder, &item);
            WriteAuditEntry(ItemAuditEntry(AuditOperation::Delete, item, audit));
            if (!audit.success) *pReason = audit.result;
            return audit.success;
        });
        // A quarantine file that would not go is listed again.
        RefillKeepingFocus();
    }
    walk.ReportFailures(IDS_WALK_DELETE_FAILED);
    KeepFocus();
}
