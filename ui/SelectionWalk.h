#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "ui/WalkFailures.h"

class CListCtrl;

// One pass over the list's selected rows, top to bottom, for the commands
// that work on each selected quarantine file in turn: restore, clean and
// restore, restore to a new location, and delete. A long pass shows its
// progress; the rows that failed are kept for one message at the end.
class CSelectionWalk {
public:
    // The work on one row, given the row and its quarantine file name: true
    // when the row succeeded, else false with the reason that the message
    // about a single failed row shows.
    using RowWork = std::function<bool(int row, const std::wstring& name, std::wstring* pReason)>;

    // A walk over the rows selected now; nTitleID names the operation in the
    // progress dialog, which the window hOwner owns.
    CSelectionWalk(const CListCtrl& list, HWND hOwner, UINT nTitleID);

    // Works the rows. Each row's successor is taken before the row is worked
    // on, so that nothing the work changes can hold the walk; Cancel in the
    // progress dialog ends it before the next row. The progress dialog has
    // gone when this returns.
    void Run(const RowWork& work);

    size_t Selected() const { return m_nSelected; }
    bool AnyFailed() const { return m_failures.Count() != 0; }
    // Tells the user about the rows that failed, if any: a single selected
    // row with its own message, several in one message headed by the text
    // nHeadID ("%d" for the failed rows, then for the rows tried).
    void ReportFailures(UINT nHeadID) const;

private:
    const CListCtrl& m_list;
    HWND m_hOwner;
    UINT m_nTitleID;
    size_t m_nSelected;
    size_t m_nTried = 0;
    CWalkFailures m_failures;
};
