#include "ui/QuarantineDlg.h"

void CQuarantineDlg::OnRestoreToNewLocation() {}
