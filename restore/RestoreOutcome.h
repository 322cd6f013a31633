#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "quarantine/ZEBQtWrapper.h"

// What the program makes of what the quarantine library's restore answers
// (the answers are the binding's, kRestored and the rest).

// The string-table message that reports a failed restore of a single row.
UINT RestoreFailureMessage(int32_t result);

// Splits a quarantine file's full path at its last backslash into the folder
// (without the backslash) and the file name. False when there is no backslash,
// or only one leading the path, so that no folder part is left to open.
bool SplitQuarantineFilePath(const std::wstring& fullPath, std::wstring* pFolder,
                             std::wstring* pName);
