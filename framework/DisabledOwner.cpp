#include "framework/DisabledOwner.h"

#include <commctrl.h>

namespace {

const UINT_PTR kWaitCursorSubclass = 0x5157;
// A bound on one pump, so that a flood of messages cannot hold the job.
const int kMaxMessagesPerPump = 1000;

// The owner keeps the wait cursor while it is disabled: the system would
// otherwise ask it for a cursor and get the arrow of its class.
LRESULT CALLBACK WaitCursorProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

bool IsInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE;
}

bool IsOwnerOrChild(HWND hOwner, HWND hWnd) {
    return hWnd != nullptr && (hWnd == hOwner || ::IsChild(hOwner, hWnd));
}

}  // namespace

void CDisabledOwner::Disable(HWND hOwner) {
    Enable();
    if (hOwner == nullptr || !::IsWindow(hOwner)) return;
    m_hOwner = hOwner;
    const HWND hFocus = ::GetFocus();
    m_hFocus = IsOwnerOrChild(m_hOwner, hFocus) ? hFocus : nullptr;
    ::SetWindowSubclass(m_hOwner, &WaitCursorProc, kWaitCursorSubclass, 0);
    ::EnableWindow(m_hOwner, FALSE);
    m_bDisabled = true;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

void CDisabledOwner::Enable() {
    if (!m_bDisabled) return;
    m_bDisabled = false;
    if (::IsWindow(m_hOwner)) {
        ::EnableWindow(m_hOwner, TRUE);
        ::RemoveWindowSubclass(m_hOwner, &WaitCursorProc, kWaitCursorSubclass);
    }
}

void CDisabledOwner::ReturnFocus() {
    // Disabling took the focus away.
    if (m_hFocus != nullptr && ::IsWindow(m_hFocus) && ::GetActiveWindow() == m_hOwner &&
        ::GetFocus() == nullptr)
        ::SetFocus(m_hFocus);
    m_hFocus = nullptr;
}

bool CDisabledOwner::Pump() {
    MSG msg;
    for (int n = 0; n < kMaxMessagesPerPump && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
         ++n) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the loop that runs the program: hand it on.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        // Input queued for the window before it was disabled would still
        // reach its controls when dispatched.
        if (IsInputMessage(msg.message) && IsOwnerOrChild(m_hOwner, msg.hwnd)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

void CDisabledOwner::PumpPaint() {
    MSG msg;
    for (int n = 0;
         n < kMaxMessagesPerPump &&
         ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE);
         ++n) {
        // Only a quit can come besides the paints; it belongs to the loop
        // that runs the program.
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::DispatchMessageW(&msg);
    }
}
