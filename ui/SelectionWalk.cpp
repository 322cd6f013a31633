#include "ui/SelectionWalk.h"

#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "res/resource.h"
#include "ui/ListColumns.h"
#include "ui/ProgressWalk.h"

CSelectionWalk::CSelectionWalk(const CListCtrl& list, HWND hOwner, UINT nTitleID)
    : m_list(list), m_hOwner(hOwner), m_nTitleID(nTitleID), m_nSelected(list.GetSelectedCount()) {}

void CSelectionWalk::Run(const RowWork& work) {
    CProgressWalk progress(m_hOwner, m_nTitleID, m_nSelected);
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (row >= 0) {
        const int next = m_list.GetNextItem(row, LVNI_SELECTED);
        const std::wstring name = m_list.GetItemText(row, kColumnQuarantineFile);
        if (!progress.Next(name)) break;
        ++m_nTried;
        std::wstring reason;
        if (!work(row, name, &reason)) m_failures.Add(name, reason);
        row = next;
    }
    progress.End();
}

void CSelectionWalk::ReportFailures(UINT nHeadID) const {
    if (!AnyFailed()) return;
    if (m_nSelected == 1) {
        AfxMessageBox(m_failures.Listed().front().second, MB_ICONEXCLAMATION);
        return;
    }
    AfxMessageBox(WalkFailureText(AfxLoadString(nHeadID), AfxLoadString(IDS_WALK_MORE_FAILED),
                                  m_failures, m_nTried),
                  MB_ICONEXCLAMATION);
}
