#include "framework/WinApp.h"

#include <exception>

#include "framework/Wnd.h"

namespace {
CWinApp* g_pApp = nullptr;
}  // namespace

CWinApp::CWinApp(const wchar_t* pszAppName) {
    if (pszAppName != nullptr) m_strAppName = pszAppName;
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetResourceHandle() {
    if (g_pApp != nullptr && g_pApp->m_hInstance != nullptr) return g_pApp->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

std::wstring AfxGetAppTitle() {
    if (g_pApp != nullptr && !g_pApp->m_strAppName.empty()) return g_pApp->m_strAppName;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

std::wstring AfxLoadString(UINT nID) {
    // With a zero size LoadStringW hands out a read-only pointer into the
    // resource itself, which is not NUL-terminated, and its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring FillCounts(const std::wstring& pattern, std::initializer_list<uint64_t> counts) {
    std::wstring text;
    const uint64_t* next = counts.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, L"%d") == 0 && next != counts.end()) {
            text += std::to_wstring(*next++);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

int AfxMessageBox(const std::wstring& text, UINT nType) {
    HWND hOwner = ::GetActiveWindow();
    if (hOwner == nullptr && g_pApp != nullptr && g_pApp->m_pMainWnd != nullptr)
        hOwner = g_pApp->m_pMainWnd->GetSafeHwnd();
    return ::MessageBoxW(hOwner, text.c_str(), AfxGetAppTitle().c_str(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType) { return AfxMessageBox(AfxLoadString(nIDPrompt), nType); }

int AfxWinMain(HINSTANCE hInstance, LPWSTR lpCmdLine) {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine != nullptr ? lpCmdLine : L"";
    int exitCode = 0;
    try {
        if (pApp->InitInstance()) {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        exitCode = pApp->ExitInstance();
    } catch (const std::exception& e) {
        exitCode = pApp->ExitOnException(e.what());
    } catch (...) {
        exitCode = pApp->ExitOnException(nullptr);
    }
    return exitCode;
}
