#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "ui/ListContextMenu.h"
#include "ui/QuarantineDlg.h"

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
    const UINT command = TrackListContextMenu(m_hWnd, point, hasSelection);
    // Runs after the menu has closed, as a click on the button would.
    if (command != 0) SendMessage(WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void CQuarantineDlg::OnDelete() {
    DeleteSelection();
}

void CQuarantineDlg::OnSelectAll() {
    m_lstQuarantine.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}
