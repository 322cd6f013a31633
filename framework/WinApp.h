#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/CmdTarget.h"

class CWnd;

// The one application object. The entry point hands it the command-line text
// (what follows the program's own name) and runs its start-up; a start-up that
// returns FALSE ends the process with the exit code ExitInstance gives.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const wchar_t* pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return m_nExitCode; }
    // An exception that left start-up or the message loop ends the process
    // with the exit code this gives; what names it when it was a standard one.
    virtual int ExitOnException(const char* /*what*/) { return -1; }

    HINSTANCE m_hInstance = nullptr;
    const wchar_t* m_lpCmdLine = L"";
    CWnd* m_pMainWnd = nullptr;
    std::wstring m_strAppName;
    int m_nExitCode = 0;

    DECLARE_MESSAGE_MAP()

protected:
    // The standard Help command: there is no help file to show.
    void OnHelp() {}
};

enum { ID_HELP = 0xE146 };

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
// The application title: the application's name or, when it has none, the
// executable's file name without its extension.
std::wstring AfxGetAppTitle();
// A string-table text; empty when the resource is missing.
std::wstring AfxLoadString(UINT nID);
// The pattern with each "%d" replaced by the next count, in order; a "%d"
// without a count is kept, everything else is copied as it stands. The
// string tables write counts so in every language.
std::wstring FillCounts(const std::wstring& pattern, std::initializer_list<uint64_t> counts);
// A message box captioned with the application title.
int AfxMessageBox(const std::wstring& text, UINT nType = MB_OK);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
// Initialises OLE for the thread and uninitialises it at exit.
bool AfxOleInit();
// Entry used by the program's wWinMain.
int AfxWinMain(HINSTANCE hInstance, LPWSTR lpCmdLine);
