#include "ui/ItemPropertiesDlg.h"

#include <string>

CItemPropertiesDlg::CItemPropertiesDlg(const ItemProperties& item, CWnd* pParent)
    : CResizingDialog(IDD_ITEM_PROPERTIES, pParent), m_item(item) {}

BEGIN_MESSAGE_MAP(CItemPropertiesDlg, CResizingDialog)
END_MESSAGE_MAP()

BOOL CItemPropertiesDlg::OnInitDialog() {
    CResizingDialog::OnInitDialog();
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_QUARANTINE_FILE, m_item.quarantineFile.c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_VIRUS, m_item.virus.c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_TIME, m_item.time.c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_FORMER_PATHS, FormerPathLines(m_item.formerPaths).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROP_OTHER_OBJECTS, std::to_wstring(m_item.otherObjects).c_str());
    AddControls(kControlAnchors);
    AllowResize(1, 1);
    return TRUE;
}
