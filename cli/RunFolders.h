#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/LongPaths.h"

// The folders a command for scripts was given: named whole in its reports,
// and a destination known to take files before any item is tried.

// The system's own words for a Win32 error code, without a line end; the
// code's number where the system has none.
std::wstring SystemErrorText(DWORD error);

// Whether a restore can write into the folder (a full path): makes what is
// missing of it, then creates a file in it, which goes again when it is
// closed. 0, or the Win32 error that stopped it (a drive that is not there, a
// file where a folder should be, a read-only volume, denied access).
// *pCreated learns each folder made, outermost first.
DWORD PrepareDestination(const std::wstring& folder, std::vector<std::wstring>* pCreated);

// Removes those folders again where they are still empty, innermost first.
void RemoveEmptyFolders(const std::vector<std::wstring>& created);
