#include "app/QuarantineApp.h"

#include <clocale>

#include "cli/CliCommand.h"
#include "framework/Handles.h"
#include "cli/CliRun.h"
#include "cli/StdStreams.h"
#include "ui/QuarantineDlg.h"

BEGIN_MESSAGE_MAP(CQuarantineApp, CWinApp)
ON_COMMAND(ID_HELP, &CQuarantineApp::OnHelp)
END_MESSAGE_MAP()

#ifdef QUARANTINE_CONSOLE
namespace {

// Starts Quarantine.exe from this program's folder with the same arguments;
// 0 when it started, 1 when it did not.
int StartWindowProgram(const std::wstring& arguments) {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
    path.resize(path.rfind(L'\\') + 1);
    path += L"Quarantine.exe";
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return 1;
    const CKernelHandle thread(process.hThread), started(process.hProcess);
    return 0;
}

}  // namespace
#endif

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

    const CliCommand command = ParseCliCommand(m_lpCmdLine);

    CQuarantineDlg dlg;
    m_pMainWnd = &dlg;
    switch (command.action) {
        case CliAction::Dialog:
#ifdef QUARANTINE_CONSOLE
            // A console has no place for the window: the window program
            // beside this one shows it, and the console is free at once.
            m_nExitCode = StartWindowProgram(m_lpCmdLine);
#else
            dlg.DoModal();
#endif
            break;
        case CliAction::LegacyRestore:
            m_nExitCode = dlg.RestoreFromCommandLine(command.source, command.destination);
            break;
        default:
            m_nExitCode = RunCliCommand(command, dlg.m_ZEBQt, StandardStreams());
            break;
    }
    m_pMainWnd = nullptr;
    return FALSE;
}
