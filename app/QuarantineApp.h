#pragma once

#include "framework/WinApp.h"

class CQuarantineApp : public CWinApp {
public:
    CQuarantineApp() = default;

    // The program's whole life: either the windowless command-line restore or
    // the main dialog. Always FALSE, so no message loop follows.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
