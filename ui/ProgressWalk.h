#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/DisabledOwner.h"
#include "framework/ProgressDialog.h"

// Progress for a walk over several rows. Once the walk has run for about a
// second, the standard progress dialog comes up with the operation's name,
// "n of m" (or, while the total is not known yet, "n read") and the current
// quarantine file. From then on the owner window is
// disabled, so that nothing starts a second operation, keeps the wait cursor
// and repaints between rows; Cancel ends the walk before its next row. Where
// the progress dialog cannot be created, the walk runs as it always did.
class CProgressWalk {
public:
    // nTitleID: string-table id of the operation's name; total 0: not known.
    CProgressWalk(HWND hOwner, UINT nTitleID, size_t total, uint64_t delayMs = kDelayMs);
    ~CProgressWalk() { End(); }
    CProgressWalk(const CProgressWalk&) = delete;
    CProgressWalk& operator=(const CProgressWalk&) = delete;

    // Called before each row with its quarantine file's name; false when the
    // walk is to stop here (Cancel, the owner window went, or the program is
    // asked to quit).
    bool Next(const std::wstring& name);
    // Counts again from the start, towards a new total: the next stage of
    // one job under the same dialog.
    void Restart(size_t total);
    // Whether the user pressed Cancel.
    bool Cancelled() const { return m_bCancelled; }
    // Gives the owner window back and closes the progress dialog.
    void End();

    // How long a walk runs before the progress dialog comes up, and how
    // often its texts change at most.
    static constexpr uint64_t kDelayMs = 1000;
    static constexpr uint64_t kUpdateIntervalMs = 100;
    // How often Cancel is asked for at most: a walk of quick rows stops
    // within this time of the click, one of slower rows after the current row.
    static constexpr uint64_t kCancelCheckIntervalMs = 10;

private:
    void Show();

    HWND m_hOwner;
    UINT m_nTitleID;
    uint64_t m_delayMs;
    size_t m_nTotal;
    size_t m_nCurrent = 0;
    uint64_t m_startTick;
    bool m_bTried = false;
    bool m_bFirstUpdate = true;
    bool m_bCancelled = false;
    uint64_t m_lastUpdateTick = 0;
    uint64_t m_lastCancelCheckTick = 0;
    CProgressDialog m_dialog;
    CDisabledOwner m_owner;
};

// Whether a walk at row `current` (1-based) of `total` (0: not known) that has
// run for `elapsedMs` is due to show its progress dialog.
bool ProgressDue(uint64_t elapsedMs, size_t current, size_t total,
                 uint64_t delayMs = CProgressWalk::kDelayMs);
