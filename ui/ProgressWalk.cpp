#include "ui/ProgressWalk.h"

#include "framework/WinApp.h"
#include "res/resource.h"

CProgressWalk::CProgressWalk(HWND hOwner, UINT nTitleID, size_t total, uint64_t delayMs)
    : m_hOwner(hOwner),
      m_nTitleID(nTitleID),
      m_delayMs(delayMs),
      m_nTotal(total),
      m_startTick(::GetTickCount64()) {}

bool CProgressWalk::Next(const std::wstring& name) {
    ++m_nCurrent;
    if (!m_bTried &&
        ProgressDue(::GetTickCount64() - m_startTick, m_nCurrent, m_nTotal, m_delayMs)) {
        m_bTried = true;
        Show();
    }
    const uint64_t now = ::GetTickCount64();
    if (!m_dialog.IsShown()) {
        // Until the progress comes up the window still repaints what is
        // uncovered; input waits for the walk to end.
        if (now - m_lastUpdateTick >= kUpdateIntervalMs) {
            m_lastUpdateTick = now;
            CDisabledOwner::PumpPaint();
        }
        return true;
    }
    // Updating the dialog's texts and looking at the window's messages each
    // cost up to milliseconds; a few times a second is all an eye follows and
    // all the window needs to stay responsive.
    if (m_bFirstUpdate || now - m_lastUpdateTick >= kUpdateIntervalMs) {
        m_bFirstUpdate = false;
        m_lastUpdateTick = now;
        if (m_nTotal == 0) {
            m_dialog.SetLines(FillCounts(AfxLoadString(IDS_PROGRESS_READ), {m_nCurrent}), name);
        } else {
            m_dialog.SetLines(FillCounts(AfxLoadString(IDS_PROGRESS_COUNT), {m_nCurrent, m_nTotal}),
                              name);
            m_dialog.SetProgress(m_nCurrent - 1, m_nTotal);
        }
        if (!m_owner.Pump() || !::IsWindow(m_hOwner)) return false;
    }
    // Asking for Cancel costs a fraction of a millisecond on some platforms,
    // as much as a fast row: a row that takes longer is always asked after.
    if (now - m_lastCancelCheckTick >= kCancelCheckIntervalMs) {
        m_lastCancelCheckTick = now;
        m_bCancelled = m_dialog.HasUserCancelled();
    }
    return !m_bCancelled;
}

void CProgressWalk::Restart(size_t total) {
    m_nCurrent = 0;
    m_nTotal = total;
    m_bFirstUpdate = true;
}

void CProgressWalk::Show() {
    // A window nobody sees has nobody to show the progress to.
    if (m_hOwner == nullptr || !::IsWindowVisible(m_hOwner)) return;
    if (!m_dialog.Start(m_hOwner, AfxLoadString(m_nTitleID))) return;
    m_owner.Disable(m_hOwner);
}

void CProgressWalk::End() {
    m_owner.Enable();
    m_dialog.Stop();
    m_owner.ReturnFocus();
}

bool ProgressDue(uint64_t elapsedMs, size_t current, size_t total, uint64_t delayMs) {
    const bool counted = total == 0 || (total > 1 && current <= total);
    return counted && elapsedMs >= delayMs;
}
