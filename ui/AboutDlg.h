#pragma once

#include "framework/Dialog.h"

// The About box: the program's name, version and icon.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);
    ~CAboutDlg() override;

    DECLARE_MESSAGE_MAP()

protected:
    void DoDataExchange() override;
};
