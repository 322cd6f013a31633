#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "restore/KeepBoth.h"

// The question asked once per restore when files of the selected items would
// land on names that are taken, and the note afterwards on the files kept
// under other names.

// head (with "%d" for how many paths), a blank line, the first few paths one
// per line, and more (with "%d" for the rest) when some were left out.
std::wstring ListedPathsText(const std::wstring& head, const std::wstring& more,
                             const std::vector<std::wstring>& paths);

// The number of paths a list of them names before it counts the rest.
constexpr size_t kListedPaths = 5;

// Asks, over hOwner, what to do with the files in the way: Keep both, Skip
// or Cancel (Esc and closing the box too), as a message box whose Yes and No
// buttons carry those names.
ConflictChoice AskForConflictChoice(const std::vector<std::wstring>& inTheWay, bool* pCancelled);
