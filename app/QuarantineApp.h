#pragma once

#include <string>

#include "framework/WinApp.h"

class CQuarantineApp : public CWinApp {
public:
    CQuarantineApp() = default;

    // The program's whole life: either a windowless run (a command for
    // scripts, the older restore form) or the main dialog. Always FALSE, so no message loop follows.
    BOOL InitInstance() override;
    // Scripts branch on the exit code: one of the table's, with a line on
    // standard error, never a bare -1.
    int ExitOnException(const char* what) override;

private:
    // The window and its exit code. Quarantine.exe shows the dialog; a
    // console has no place for it, so Quarantine.com starts Quarantine.exe
    // and leaves the console free at once. Each program links its own.
    int ShowQuarantineWindow();

    DECLARE_MESSAGE_MAP()
};

// The folder this program was started from, with its trailing backslash.
std::wstring ProgramFolder();
