#include "app/QuarantineApp.h"

#include <clocale>

#include "app/CommandLine.h"
#include "ui/QuarantineDlg.h"

BEGIN_MESSAGE_MAP(CQuarantineApp, CWinApp)
ON_COMMAND(ID_HELP, &CQuarantineApp::OnHelp)
END_MESSAGE_MAP()

BOOL CQuarantineApp::InitInstance() {
    AfxOleInit();
    setlocale(LC_ALL, "");

    const CommandLineValues values = ParseCommandLine(m_lpCmdLine);

    CQuarantineDlg dlg;
    m_pMainWnd = &dlg;
    if (!values.source.empty() && !values.destination.empty()) {
        m_nExitCode = dlg.RestoreFromCommandLine(values.source, values.destination);
    } else {
        dlg.DoModal();
    }
    m_pMainWnd = nullptr;
    return FALSE;
}
