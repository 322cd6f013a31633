#include "ui/ItemPropertiesDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Clipboard.h"
#include "framework/WinApp.h"
#include "ui/AccessKeys.h"

namespace {

// Room a list-view cell leaves around its text.
const int kCellPadding = 12;

}  // namespace

CItemPropertiesDlg::CItemPropertiesDlg(const ItemProperties& item, CWnd* pParent)
    : CResizingDialog(IDD_ITEM_PROPERTIES, pParent), m_item(item) {}

BEGIN_MESSAGE_MAP(CItemPropertiesDlg, CResizingDialog)
ON_NOTIFY(LVN_KEYDOWN, IDC_PROP_FORMER_PATHS, &CItemPropertiesDlg::OnPathsKeyDown)
END_MESSAGE_MAP()

BOOL CItemPropertiesDlg::OnInitDialog() {
    CResizingDialog::OnInitDialog();
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_QUARANTINE_FILE, m_item.quarantineFile.c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_VIRUS, m_item.virus.c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_TIME, m_item.time.c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_OTHER_OBJECTS, std::to_wstring(m_item.otherObjects).c_str());
    FillPaths();
    AddControls(kControlAnchors);
    AllowResize(1, 1);
    return TRUE;
}

void CItemPropertiesDlg::FillPaths() {
    m_lstPaths.Attach(GetDlgItem(IDC_PROP_FORMER_PATHS));
    m_lstPaths.SetExtendedStyle(m_lstPaths.GetExtendedStyle() | LVS_EX_FULLROWSELECT |
                                LVS_EX_LABELTIP);
    // The label before the list names it; a reader that asks the control
    // itself gets the same name from its window text.
    HWND hLabel = ::GetWindow(m_lstPaths.GetSafeHwnd(), GW_HWNDPREV);
    if (hLabel != nullptr)
        m_lstPaths.SetWindowText(TextWithoutAccessKey(CWnd(hLabel).GetWindowText()));

    m_lstPaths.InsertColumn(0, AfxLoadString(IDS_COL_FILENAME), LVCFMT_LEFT, 0);
    m_lstPaths.InsertColumn(1, AfxLoadString(IDS_COL_PATH), LVCFMT_LEFT, 0);
    int nameWidth = 0;
    for (size_t i = 0; i < m_item.formerPaths.size(); ++i) {
        const FormerPathRow path = FormerPathRowOf(m_item.formerPaths[i]);
        const int row = m_lstPaths.InsertItem(static_cast<int>(i), path.name);
        if (row < 0) continue;
        m_lstPaths.SetItemText(row, 1, path.folder);
        nameWidth = std::max(
            nameWidth, static_cast<int>(m_lstPaths.SendMessage(
                           LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(path.name.c_str()))));
    }
    const std::wstring heading = AfxLoadString(IDS_COL_FILENAME);
    nameWidth = std::max(nameWidth,
                         static_cast<int>(m_lstPaths.SendMessage(
                             LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(heading.c_str()))));
    RECT client = {};
    ::GetClientRect(m_lstPaths.GetSafeHwnd(), &client);
    // Room for a vertical scroll bar, so that the columns never need a
    // horizontal one only because the list grew long.
    const int room = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    const PathColumnWidths widths = PathColumns(room, nameWidth + kCellPadding);
    m_lstPaths.SendMessage(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(widths.name, 0));
    m_lstPaths.SendMessage(LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(widths.folder, 0));
    // The keyboard finds the first path focused, as in any list.
    if (m_lstPaths.GetItemCount() > 0) m_lstPaths.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CItemPropertiesDlg::OnPathsKeyDown(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    const NMLVKEYDOWN* pKey = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    if (::GetKeyState(VK_CONTROL) >= 0 || ::GetKeyState(VK_MENU) < 0) return;
    if (pKey->wVKey == 'A') {
        m_lstPaths.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    } else if (pKey->wVKey == 'C') {
        // The selected paths whole, or all of them when none is selected.
        std::vector<std::wstring> paths;
        for (int row = 0; row < m_lstPaths.GetItemCount(); ++row)
            if (m_lstPaths.GetSelectedCount() == 0 ||
                (::SendMessageW(m_lstPaths.GetSafeHwnd(), LVM_GETITEMSTATE, row, LVIS_SELECTED) &
                 LVIS_SELECTED))
                if (static_cast<size_t>(row) < m_item.formerPaths.size())
                    paths.push_back(m_item.formerPaths[row]);
        PutTextOnClipboard(m_hWnd, FormerPathLines(paths));
    }
}
