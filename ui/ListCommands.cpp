#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/Clipboard.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/ItemProperties.h"
#include "ui/ItemPropertiesDlg.h"
#include "ui/ListColumns.h"
#include "ui/ListContextMenu.h"
#include "ui/QuarantineDlg.h"
#include "ui/RowsText.h"

void CQuarantineDlg::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    const NMLVKEYDOWN* pKey = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    // Ctrl+Alt is AltGr on many keyboards: it types characters, it is no command.
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    switch (pKey->wVKey) {
        case VK_DELETE:
            if (!ctrl && !alt) OnDelete();
            break;
        case VK_F5:
            if (!ctrl && !alt) OnReload();
            break;
        case 'A':
            if (ctrl && !alt) OnSelectAll();
            break;
        case 'C':
            if (ctrl && !alt) OnCopy();
            break;
        default:
            break;
    }
}

void CQuarantineDlg::OnContextMenu(HWND hWnd, POINT point) {
    if (hWnd != m_lstQuarantine.GetSafeHwnd()) {
        Default();
        return;
    }
    // (-1, -1): asked for from the keyboard (Shift+F10, the menu key).
    if (point.x == -1 && point.y == -1) point = KeyboardContextMenuPoint(hWnd);
    const bool hasSelection = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED) >= 0;
    std::vector<UINT> forbidden;
    for (const PolicyControl& control : m_takenAway) forbidden.push_back(control.nID);
    const UINT command = TrackListContextMenu(m_hWnd, point, hasSelection, forbidden);
    // Runs after the menu has closed, as a click on the button would.
    if (command != 0) SendMessage(WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void CQuarantineDlg::OnDelete() {
    DeleteSelection();
}

void CQuarantineDlg::OnSelectAll() {
    m_lstQuarantine.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CQuarantineDlg::OnCopy() {
    std::vector<std::wstring> headings;
    for (const ListColumnSpec& column : kListColumns)
        headings.push_back(AfxLoadString(column.nHeading));
    std::vector<std::vector<std::wstring>> rows;
    for (int row = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_lstQuarantine.GetNextItem(row, LVNI_SELECTED)) {
        std::vector<std::wstring> cells;
        for (const ListColumnSpec& column : kListColumns)
            cells.push_back(m_lstQuarantine.GetItemText(row, column.id));
        rows.push_back(cells);
    }
    // Nothing selected copies nothing, and leaves the clipboard as it was.
    if (rows.empty()) return;
    PutTextOnClipboard(m_hWnd, RowsAsText(headings, rows));
}

void CQuarantineDlg::OnProperties() {
    // The focused row when it is selected, else the first selected one: the
    // row the user is on, never one that is not part of the selection.
    int row = m_lstQuarantine.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0) row = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) return;
    ShowProperties(row);
    KeepFocus();
}

void CQuarantineDlg::ShowProperties(int row) {
    const std::wstring name = m_lstQuarantine.GetItemText(row, kColumnQuarantineFile);
    const CZEBQtWrapper::QuarantinePtr quarantine = m_ZEBQt.OpenQuarantine(m_strFolder);
    const CZEBQtWrapper::ContainerPtr container =
        quarantine ? quarantine->OpenContainerByName(name) : CZEBQtWrapper::ContainerPtr();
    if (!container) {
        AfxMessageBox(IDS_QFILE_OPEN_FAILED, MB_ICONEXCLAMATION);
        return;
    }
    CItemPropertiesDlg dialog(ReadItemProperties(name, *container), this);
    dialog.DoModal();
}
