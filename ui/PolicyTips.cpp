#include "ui/PolicyTips.h"

#include <commctrl.h>

namespace {

RECT RectInParent(HWND hControl, HWND hParent) {
    RECT rect = {};
    ::GetWindowRect(hControl, &rect);
    ::MapWindowPoints(HWND_DESKTOP, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

CPolicyTips::~CPolicyTips() {
    if (m_hTip != nullptr && ::IsWindow(m_hTip)) ::DestroyWindow(m_hTip);
}

bool CPolicyTips::Create(HWND hDialog, int maxWidth) {
    m_hDialog = hDialog;
    // Always: the dialog need not be the active window for a user to point
    // at a control and wonder why it is grey.
    m_hTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hDialog, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    if (m_hTip == nullptr) return false;
    // Long texts wrap rather than run across the screen.
    ::SendMessageW(m_hTip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    return true;
}

void CPolicyTips::Add(HWND hControl, const std::wstring& text) {
    if (m_hTip == nullptr || hControl == nullptr) return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    if (::IsWindowEnabled(hControl)) {
        tool.uFlags |= TTF_IDISHWND;
        tool.hwnd = m_hDialog;
        tool.uId = reinterpret_cast<UINT_PTR>(hControl);
    } else {
        tool.hwnd = m_hDialog;
        tool.uId = static_cast<UINT_PTR>(::GetDlgCtrlID(hControl));
        tool.rect = RectInParent(hControl, m_hDialog);
        m_disabled.push_back(hControl);
    }
    ::SendMessageW(m_hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CPolicyTips::FollowControls() {
    if (m_hTip == nullptr) return;
    for (const HWND hControl : m_disabled) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_hDialog;
        tool.uId = static_cast<UINT_PTR>(::GetDlgCtrlID(hControl));
        tool.rect = RectInParent(hControl, m_hDialog);
        ::SendMessageW(m_hTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}
