#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnColumnClick(NMHDR*, LRESULT* pResult) { *pResult = 0; }
