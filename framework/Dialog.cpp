#include "framework/Dialog.h"

#include <algorithm>
#include <vector>

#include "framework/Handles.h"
#include "framework/WinApp.h"

namespace {

// The dialogs of this thread whose windows exist, and the one message hook
// that hands their messages to them while there are any.
struct PreTranslating {
    CHook hook;
    std::vector<CDialog*> dialogs;
};
thread_local PreTranslating t_preTranslating;

// The common controls a template names (the list view among them) must be
// registered before the first dialog is built from it.
void EnsureCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc),
                                    ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)registered;
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog() {
    StopPreTranslating();
    if (m_hWnd != nullptr && !m_bModal) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    EnsureCommonControls();
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    const INT_PTR result =
        ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hParent,
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    StopPreTranslating();
    m_hWnd = nullptr;
    m_bModal = false;
    return result;
}

bool CDialog::Create() {
    m_bModal = false;
    EnsureCommonControls();
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                     hParent, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

void CDialog::EndDialog(INT_PTR nResult) {
    if (m_hWnd == nullptr) return;
    if (m_bModal) {
        ::EndDialog(m_hWnd, nResult);
    } else {
        StopPreTranslating();
        HWND hWnd = m_hWnd;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        ::DestroyWindow(hWnd);
    }
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}
void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::StartPreTranslating() {
    PreTranslating& state = t_preTranslating;
    if (std::find(state.dialogs.begin(), state.dialogs.end(), this) != state.dialogs.end()) return;
    if (!state.hook)
        state.hook.Reset(::SetWindowsHookExW(WH_GETMESSAGE, &CDialog::MessageHookProc, nullptr,
                                             ::GetCurrentThreadId()));
    state.dialogs.push_back(this);
}

void CDialog::StopPreTranslating() {
    PreTranslating& state = t_preTranslating;
    state.dialogs.erase(std::remove(state.dialogs.begin(), state.dialogs.end(), this),
                        state.dialogs.end());
    if (state.dialogs.empty()) state.hook.Reset();
}

LRESULT CALLBACK CDialog::MessageHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Runs inside every message retrieval of the thread: nothing may unwind
    // through it.
    try {
        MSG* pMsg = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && pMsg != nullptr && pMsg->hwnd != nullptr) {
            const HWND hRoot = ::GetAncestor(pMsg->hwnd, GA_ROOT);
            const std::vector<CDialog*>& dialogs = t_preTranslating.dialogs;
            const auto found = std::find_if(dialogs.begin(), dialogs.end(), [hRoot](CDialog* pDlg) {
                return pDlg->m_hWnd == hRoot;
            });
            // A message the dialog took goes on as one that does nothing.
            if (found != dialogs.end() && (*found)->PreTranslateMessage(pMsg))
                pMsg->message = WM_NULL;
        }
    } catch (...) {
        ::OutputDebugStringW(L"Unhandled exception in a dialog's message hook\n");
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* pDlg = nullptr;
    if (message == WM_INITDIALOG) {
        pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pDlg));
    } else {
        pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    if (pDlg == nullptr) return FALSE;
    // Nothing thrown by a handler may cross into the platform's code.
    try {
        if (message == WM_INITDIALOG) pDlg->StartPreTranslating();
        if (message == WM_NCDESTROY) pDlg->StopPreTranslating();
        return pDlg->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ::OutputDebugStringW(L"Unhandled exception in a dialog message handler\n");
        return FALSE;
    }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();

    LRESULT result = 0;
    if (!DispatchMessageMap(message, wParam, lParam, &result)) {
        // Commands the dialog does not handle go on to the application.
        if (message == WM_COMMAND && AfxGetApp() != nullptr) {
            LRESULT ignored = 0;
            if (AfxGetApp()->DispatchMessageMap(message, wParam, lParam, &ignored)) return TRUE;
        }
        return FALSE;
    }
    switch (message) {
        // These return their result directly rather than through DWLP_MSGRESULT.
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return static_cast<INT_PTR>(result);
        default:
            if (m_hWnd != nullptr) ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}
