#include <windows.h>

#include "app/QuarantineApp.h"
#include "cli/Report.h"
#include "cli/StdStreams.h"
#include "framework/Handles.h"
#include "restore/ExitCodes.h"

int CQuarantineApp::ShowQuarantineWindow() {
    const std::wstring path = ProgramFolder() + L"Quarantine.exe";
    std::wstring commandLine = L"\"" + path + L"\" " + m_lpCmdLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        StandardStreams().err(Utf8(L"Quarantine: " + path + L" could not be started (error " +
                                   std::to_wstring(error) +
                                   L"); the window needs it beside this program\r\n"));
        return kCommandLineWindowNotStarted;
    }
    const CKernelHandle thread(process.hThread), started(process.hProcess);
    return kCommandLineDone;
}
