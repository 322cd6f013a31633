#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "quarantine/ZEBQtEntryPoints.h"
#include "quarantine/ZEBQtWrapper.h"

// A restore never overwrites. When a file of an item would land on a name
// that is taken, the user chooses: the whole restore fails as it always did,
// the item is passed over, or the restored file is kept beside the one there
// under the next free name in Explorer's pattern, "name (2).ext".
enum class ConflictChoice { Fail, Skip, KeepBoth };

// "name (n).ext" for "name.ext"; a name without an extension, or whose only
// dot leads it, takes the number at its end.
std::wstring NumberedName(const std::wstring& fileName, unsigned number);

// Moves the file at from to target or, where that name is taken, to the first
// numbered name beside it that is free at the moment of the move: a name
// taken meanwhile by another restore is passed over, and no file is ever
// replaced. The final path; empty on failure, with the system's error.
std::wstring MoveToFreeName(const std::wstring& from, const std::wstring& target, DWORD* pError);

// Restores the container so that no file of it replaces one already there:
// the library writes its files under their former names into a folder of our
// own beside the first target (on the same volume, so that each move is a
// rename), cleaning them on the way when a hook is given, and each file is
// then moved to its target or its next free name. finalPaths gets each former
// path's final path, in the item's order (empty for one that names no
// place). The library's answer, or kRestoreTargetUnwritable when the staging
// folder or a move fails. On any failure nothing of the restore is left
// behind: neither the folder of our own nor a file already moved.
int32_t RestoreKeepingBoth(CZEBQtWrapper::Container& container, const std::wstring& destination,
                           const std::vector<std::wstring>& formerPaths, ZEBQtCleanHook hook,
                           uintptr_t context, std::vector<std::wstring>* finalPaths);
