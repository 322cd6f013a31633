#include "app/QuarantineApp.h"
#include "restore/ExitCodes.h"
#include "ui/QuarantineDlg.h"

int CQuarantineApp::ShowQuarantineWindow() {
    CQuarantineDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return kCommandLineDone;
}
