#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A restore refuses to overwrite: a file that already stands where one of the
// item's files would go makes the whole item fail, and the library reports
// no more than its code. The program knows the destination and every file of
// the item, so it can name the file in the way.

// Where a restore writes the file that was at formerPath: into the
// destination folder under its former name or, without a destination, back to
// the former path itself. Empty when the former path names no file (no
// folder, no name), which no restore can write to.
std::wstring RestoreTarget(const std::wstring& destination, const std::wstring& formerPath);

// Where a restore writes each file of an item: into the destination folder
// under the file's former name or, without a destination, back to the former
// path itself. Each target once, in the item's order.
std::vector<std::wstring> RestoreTargets(const std::wstring& destination,
                                         const std::vector<std::wstring>& formerPaths);

// The targets that something (a file or a folder) already occupies.
std::vector<std::wstring> OccupiedTargets(const std::vector<std::wstring>& targets);

// The failure's text in the user's language: libraryText, the message for
// the library's code, as the first line, then for each occupied target the
// file's name and that nothing was overwritten, with its folder (a leading
// "\\?\" dropped) whole on a line of its own; for an item of more than one
// file (itemFiles) a last line says that none of them was restored.
// libraryText alone when nothing was in the way.
std::wstring FilesInTheWayText(const std::wstring& libraryText,
                               const std::vector<std::wstring>& occupiedTargets, size_t itemFiles);

// All of the above for a restore that answered result: the reason the dialog
// and the command line give for the item. Looks at the disk; due after the
// failure, as the library leaves nothing of a failed restore behind.
std::wstring RestoreFailureReason(int32_t result, const std::wstring& destination,
                                  const std::vector<std::wstring>& formerPaths);
