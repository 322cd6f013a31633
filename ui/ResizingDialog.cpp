#include "ui/ResizingDialog.h"

// Placeholder until the layout lands: a plain dialog.
CResizingDialog::CResizingDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}
CResizingDialog::~CResizingDialog() = default;

BEGIN_MESSAGE_MAP(CResizingDialog, CDialog)
END_MESSAGE_MAP()

void CResizingDialog::AddControl(int, int, int, bool, int, int) {}
void CResizingDialog::AllowResize(int horizontal, int vertical) {
    m_bAllowHorz = horizontal;
    m_bAllowVert = vertical;
}
BOOL CResizingDialog::OnInitDialog() { return CDialog::OnInitDialog(); }
void CResizingDialog::OnSize(UINT, int, int) {}
void CResizingDialog::OnGetMinMaxInfo(MINMAXINFO*) {}
BOOL CResizingDialog::OnEraseBkgnd(HDC) {
    Default();
    return FALSE;
}
