#pragma once

#include "framework/WinApp.h"

class CQuarantineApp : public CWinApp {
public:
    CQuarantineApp() = default;

    // The program's whole life: either the windowless command-line restore or
    // the main dialog. Always FALSE, so no message loop follows.
    BOOL InitInstance() override;
    // Scripts branch on the exit code: one of the table's, with a line on
    // standard error, never a bare -1.
    int ExitOnException(const char* what) override;

    DECLARE_MESSAGE_MAP()
};
