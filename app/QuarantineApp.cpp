#include "app/QuarantineApp.h"

#include <clocale>

#include "cli/CliCommand.h"
#include "cli/CliRun.h"
#include "cli/Report.h"
#include "cli/StdStreams.h"
#include "framework/Handles.h"
#include "restore/ExitCodes.h"
#include "ui/QuarantineDlg.h"

BEGIN_MESSAGE_MAP(CQuarantineApp, CWinApp)
ON_COMMAND(ID_HELP, &CQuarantineApp::OnHelp)
END_MESSAGE_MAP()

namespace {

// The folder this program was started from, with its trailing backslash.
std::wstring ProgramFolder() {
    std::wstring folder(32768, L'\0');
    folder.resize(::GetModuleFileNameW(nullptr, &folder[0], static_cast<DWORD>(folder.size())));
    folder.resize(folder.rfind(L'\\') + 1);
    return folder;
}

#ifdef QUARANTINE_CONSOLE
// Starts Quarantine.exe from this program's folder with the same arguments;
// false, with the reason on standard error, when it did not start.
bool StartWindowProgram(const std::wstring& arguments, const CliStreams& streams) {
    const std::wstring path = ProgramFolder() + L"Quarantine.exe";
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        streams.err(Utf8(L"Quarantine: " + path + L" could not be started (error " + std::to_wstring(error) +
                         L"); the window needs it beside this program\r\n"));
        return false;
    }
    const CKernelHandle thread(process.hThread), started(process.hProcess);
    return true;
}
#endif

}  // namespace

BOOL CQuarantineApp::InitInstance() {
    // Both product libraries may be looked for by plain name. Naming the
    // program's own folder as the library directory puts it where the current
    // directory stood in the search, so a library dropped into whatever folder
    // the program is started in is never loaded; that folder heads the search
    // anyway, and the system folders and PATH stay. An empty name would be the
    // plain way to drop the current directory, but not every loader honours it.
    ::SetDllDirectoryW(ProgramFolder().c_str());
    AfxOleInit();
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

    CQuarantineDlg dlg;
    m_pMainWnd = &dlg;
    switch (command.action) {
        case CliAction::Dialog:
#ifdef QUARANTINE_CONSOLE
            // A console has no place for the window: the window program
            // beside this one shows it, and the console is free at once.
            m_nExitCode = StartWindowProgram(m_lpCmdLine, StandardStreams())
                              ? kCommandLineRestored
                              : kCommandLineWindowNotStarted;
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

int CQuarantineApp::ExitOnException(const char* what) {
    m_pMainWnd = nullptr;
    return EndOnUnexpectedError(what, StandardStreams());
}
