#pragma once

#include <windows.h>

#include <vector>

// Shows the list's context menu at the screen point, owned by the window, with
// the commands that need a selection greyed when there is none and the
// forbidden ones (those the organisation's policy takes away) always, and waits for
// the user's choice. Returns the chosen command id, or 0 when the menu was
// closed without one. The menu's first four items carry the ids of the
// command buttons, so a chosen item runs exactly what its button runs.
UINT TrackListContextMenu(HWND hOwner, POINT screen, bool hasSelection,
                          const std::vector<UINT>& forbidden);

// Where a context menu asked for from the keyboard opens: below the focused
// selected row (else the first selected row) when it is in view, otherwise at
// the list's top left corner; in screen coordinates.
POINT KeyboardContextMenuPoint(HWND hList);
