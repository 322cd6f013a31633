#pragma once

#include <windows.h>

#include <vector>

// Where the list's focused row goes after a refill: the row that now stands
// where the first selected row stood, the last one when the list got shorter,
// -1 for an empty list. previousRow -1 (nothing was selected) gives the top.
int RowToFocusAfterRefill(int previousRow, int count);

// The rows, in the order to look for their items after a refill, that the
// focus may go to: the first selected row, then every row after it in the
// view, then every row before it, nearest first. Empty without a selection.
std::vector<int> FocusCandidateRows(int firstSelected, int count);

// Gives the row the list's focus, selected as well when asked, and scrolls
// it into view, so that a keyboard user and a screen reader find the list's
// focus where they expect it. Nothing happens for -1.
void FocusListRow(HWND hList, int row, bool select);

// Puts the keyboard focus on the control when no enabled, visible control of
// the dialog holds it: after a message box or a long walk that kept the
// dialog disabled, the focus may have gone nowhere.
void KeepFocusInDialog(HWND hDialog, HWND hControl);
