#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnCollection() {}
