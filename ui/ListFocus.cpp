#include "ui/ListFocus.h"

#include <commctrl.h>

int RowToFocusAfterRefill(int previousRow, int count) {
    if (count <= 0) return -1;
    if (previousRow < 0) return 0;
    return previousRow < count ? previousRow : count - 1;
}

std::vector<int> FocusCandidateRows(int firstSelected, int count) {
    std::vector<int> rows;
    if (firstSelected < 0 || firstSelected >= count) return rows;
    for (int row = firstSelected; row < count; ++row) rows.push_back(row);
    for (int row = firstSelected - 1; row >= 0; --row) rows.push_back(row);
    return rows;
}

void FocusListRow(HWND hList, int row, bool select) {
    if (row < 0) return;
    LVITEMW item = {};
    item.stateMask = LVIS_FOCUSED | (select ? LVIS_SELECTED : 0u);
    item.state = item.stateMask;
    ::SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    // The selection mark is where Shift+arrow extends from.
    ::SendMessageW(hList, LVM_SETSELECTIONMARK, 0, row);
    ::SendMessageW(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void KeepFocusInDialog(HWND hDialog, HWND hControl) {
    // Only the active dialog decides where the keyboard goes; taking the
    // focus would otherwise bring it to the front.
    if (::GetActiveWindow() != hDialog) return;
    const HWND hFocus = ::GetFocus();
    if (hFocus != nullptr && ::IsChild(hDialog, hFocus) && ::IsWindowEnabled(hFocus) &&
        ::IsWindowVisible(hFocus))
        return;
    if (!::IsWindowEnabled(hDialog) || hControl == nullptr) return;
    // WM_NEXTDLGCTL rather than SetFocus, so that the dialog manager keeps
    // its default button and its record of the focused control right.
    ::SendMessageW(hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hControl), TRUE);
}
