#include "app/QuarantineApp.h"

#include <clocale>

#include "cli/CliCommand.h"
#include "cli/CliRun.h"
#include "cli/Report.h"
#include "cli/StdStreams.h"
#include "quarantine/ZEBQtWrapper.h"

BEGIN_MESSAGE_MAP(CQuarantineApp, CWinApp)
ON_COMMAND(ID_HELP, &CQuarantineApp::OnHelp)
END_MESSAGE_MAP()

std::wstring ProgramFolder() {
    std::wstring folder(32768, L'\0');
    folder.resize(::GetModuleFileNameW(nullptr, &folder[0], static_cast<DWORD>(folder.size())));
    folder.resize(folder.rfind(L'\\') + 1);
    return folder;
}

BOOL CQuarantineApp::InitInstance() {
    // Both product libraries may be looked for by plain name. Naming the
    // program's own folder as the library directory puts it where the current
    // directory stood in the search, so a library dropped into whatever folder
    // the program is started in is never loaded; that folder heads the search
    // anyway, and the system folders and PATH stay. An empty name would be the
    // plain way to drop the current directory, but not every loader honours it.
    ::SetDllDirectoryW(ProgramFolder().c_str());
    setlocale(LC_ALL, "");

#ifdef QUARANTINE_CONSOLE
    const CliHost host = CliHost::Console;
#else
    const CliHost host = CliHost::Window;
#endif
    const CliCommand command = ParseCliCommand(m_lpCmdLine, host);
    // A run without a window may be on a server nobody watches: a library
    // that fails to load, or a drive without a medium, must answer with an
    // error code, not wait for a click on a system error box.
    if (command.action != CliAction::Dialog)
        ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    if (command.action == CliAction::Dialog) {
        m_nExitCode = ShowQuarantineWindow();
        return FALSE;
    }
    // A run for a script builds no window: its binding is its own.
    CZEBQtWrapper library;
    m_nExitCode = RunCliCommand(command, library, StandardStreams());
    return FALSE;
}

int CQuarantineApp::ExitOnException(const char* what) {
    m_pMainWnd = nullptr;
    return EndOnUnexpectedError(what, StandardStreams());
}
