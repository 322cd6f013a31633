#include "restore/ProgressWalk.h"

#include <commctrl.h>

#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

const UINT_PTR kWaitCursorSubclass = 0x5157;
// A bound on one pump, so that a flood of messages cannot hold the walk.
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

CProgressWalk::CProgressWalk(HWND hOwner, UINT nTitleID, size_t total)
    : m_hOwner(hOwner), m_nTitleID(nTitleID), m_nTotal(total), m_startTick(::GetTickCount64()) {}

bool CProgressWalk::Next(const std::wstring& name) {
    ++m_nCurrent;
    if (!m_bTried && ProgressDue(::GetTickCount64() - m_startTick, m_nCurrent, m_nTotal)) {
        m_bTried = true;
        Show();
    }
    if (!m_dialog.IsShown()) return true;
    // Updating the dialog's texts and looking at the window's messages each
    // cost up to milliseconds; a few times a second is all an eye follows and
    // all the window needs to stay responsive. Cancel is checked every row.
    const uint64_t now = ::GetTickCount64();
    if (m_bFirstUpdate || now - m_lastUpdateTick >= kUpdateIntervalMs) {
        m_bFirstUpdate = false;
        m_lastUpdateTick = now;
        m_dialog.SetLines(FillCounts(AfxLoadString(IDS_PROGRESS_COUNT), {m_nCurrent, m_nTotal}),
                          name);
        m_dialog.SetProgress(m_nCurrent - 1, m_nTotal);
        if (!Pump() || !::IsWindow(m_hOwner)) return false;
    }
    return !m_dialog.HasUserCancelled();
}

void CProgressWalk::Show() {
    if (m_hOwner == nullptr || !::IsWindow(m_hOwner)) return;
    if (!m_dialog.Start(m_hOwner, AfxLoadString(m_nTitleID))) return;
    const HWND hFocus = ::GetFocus();
    m_hFocus = IsOwnerOrChild(m_hOwner, hFocus) ? hFocus : nullptr;
    ::SetWindowSubclass(m_hOwner, &WaitCursorProc, kWaitCursorSubclass, 0);
    ::EnableWindow(m_hOwner, FALSE);
    m_bOwnerDisabled = true;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

void CProgressWalk::End() {
    if (m_bOwnerDisabled) {
        m_bOwnerDisabled = false;
        if (::IsWindow(m_hOwner)) {
            // Enabled before the progress dialog goes, so that the activation
            // comes back to the owner rather than to another program.
            ::EnableWindow(m_hOwner, TRUE);
            ::RemoveWindowSubclass(m_hOwner, &WaitCursorProc, kWaitCursorSubclass);
        }
    }
    m_dialog.Stop();
    // Disabling took the focus away; an owner that is active again gets it back.
    if (m_hFocus != nullptr && ::IsWindow(m_hFocus) && ::GetActiveWindow() == m_hOwner &&
        ::GetFocus() == nullptr)
        ::SetFocus(m_hFocus);
    m_hFocus = nullptr;
}

bool CProgressWalk::Pump() {
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

bool ProgressDue(uint64_t elapsedMs, size_t current, size_t total) {
    return total > 1 && current <= total && elapsedMs >= CProgressWalk::kDelayMs;
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

UINT RestoreProgressTitle(bool clean, bool askDelete) {
    if (clean) return IDS_PROGRESS_CLEAN_AND_RESTORE;
    return askDelete ? IDS_PROGRESS_RESTORE : IDS_PROGRESS_RESTORE_TO_NEW_LOCATION;
}
