#include "app/QuarantineApp.h"
#include "restore/ExitCodes.h"
#include "ui/QuarantineDlg.h"

int CQuarantineApp::ShowQuarantineWindow() {
    // The folder browsers and the progress dialog are COM objects. Only the
    // window needs them: a run for a script would pay for OLE's hidden window
    // and its services at every start.
    AfxOleInit();
    CQuarantineDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return kCommandLineDone;
}
