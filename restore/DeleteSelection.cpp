#include <windows.h>

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/QuarantineFileDelete.h"
#include "restore/WalkFailures.h"
#include "ui/ProgressWalk.h"
#include "ui/QuarantineDlg.h"

void CQuarantineDlg::DeleteSelection() {
    int row = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) {
        AfxMessageBox(IDS_SELECT_FILES, MB_ICONEXCLAMATION);
        return;
    }
    const UINT selected = m_lstQuarantine.GetSelectedCount();
    // Nothing can bring a deleted quarantine file back: No is the default.
    if (AfxMessageBox(FillCounts(AfxLoadString(IDS_CONFIRM_DELETE), {selected}),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;

    CWalkFailures failures;
    size_t tried = 0;
    {
        CWaitCursor wait;
        CProgressWalk progress(m_hWnd, IDS_PROGRESS_DELETE, selected);
        while (row >= 0) {
            const int next = m_lstQuarantine.GetNextItem(row, LVNI_SELECTED);
            const std::wstring name = m_lstQuarantine.GetItemText(row, 0);
            if (!progress.Next(name)) break;
            ++tried;
            if (!DeleteQuarantineFile(m_strFolder, name))
                failures.Add(name, AfxLoadString(IDS_DELETE_FAILED));
            row = next;
        }
        progress.End();
        // A quarantine file that would not go is listed again.
        FillQuarantineList();
    }
    if (failures.Count() == 0) return;
    if (selected == 1)
        AfxMessageBox(IDS_DELETE_FAILED, MB_ICONEXCLAMATION);
    else
        AfxMessageBox(WalkFailureText(AfxLoadString(IDS_WALK_DELETE_FAILED),
                                      AfxLoadString(IDS_WALK_MORE_FAILED), failures, tried),
                      MB_ICONEXCLAMATION);
}
