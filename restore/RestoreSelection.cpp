#include "ui/QuarantineDlg.h"

void CQuarantineDlg::RestoreSelection(bool, const std::wstring&, bool) {}
void CQuarantineDlg::OnRestore() { RestoreSelection(false, std::wstring(), true); }
void CQuarantineDlg::OnCleanAndRestore() { RestoreSelection(true, std::wstring(), true); }
