#include "app/QuarantineApp.h"

#include <clocale>

#include "app/CommandLine.h"
#include "ui/QuarantineDlg.h"

BEGIN_MESSAGE_MAP(CQuarantineApp, CWinApp)
ON_COMMAND(ID_HELP, &CQuarantineApp::OnHelp)
END_MESSAGE_MAP()

BOOL CQuarantineApp::InitInstance() {
    // Both product libraries may be looked for by plain name. Naming the
    // program's own folder as the library directory puts it where the current
    // directory stood in the search, so a library dropped into whatever folder
    // the program is started in is never loaded; that folder heads the search
    // anyway, and the system folders and PATH stay. An empty name would be the
    // plain way to drop the current directory, but not every loader honours it.
    std::wstring programFolder(32768, L'\0');
    programFolder.resize(
        ::GetModuleFileNameW(nullptr, &programFolder[0], static_cast<DWORD>(programFolder.size())));
    programFolder.resize(programFolder.rfind(L'\\') + 1);
    ::SetDllDirectoryW(programFolder.c_str());
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
