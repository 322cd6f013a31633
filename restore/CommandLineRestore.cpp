#include "ui/QuarantineDlg.h"

int CQuarantineDlg::RestoreFromCommandLine(std::wstring, std::wstring) { return 0; }
