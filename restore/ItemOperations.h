#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quarantine/ZEBQtEntryPoints.h"
#include "quarantine/ZEBQtWrapper.h"
#include "restore/ItemAudit.h"
#include "restore/KeepBoth.h"
#include "restore/QuarantineItem.h"

// The work on one item that the dialog and the commands for scripts share,
// each rule written once: what a restore's answer means for the item's files,
// how an item is restored by its quarantine file alone, and how one is deleted.

// What a restore into destination (empty: the former places) that the
// library answered result made of the item, for the audit trail and the
// faces alike. Restored: one outcome per file the item names (one when it
// names none), "restored" with the SHA-256 read back from the file written;
// the library's word is not enough, so a file that cannot be read back fails
// with the message saying so. Not restored: a single outcome with the
// library's message.
// finalPaths, when given, are where a restore that kept both put each file.
std::vector<ItemAuditOutcome> RestoreOutcomes(
    const QuarantineItem& item, int32_t result, const std::wstring& destination,
    const std::vector<std::wstring>* finalPaths = nullptr);

// True when every outcome succeeded.
bool AllSucceeded(const std::vector<ItemAuditOutcome>& outcomes);

// The targets of the item's files in a restore into destination (empty: the
// former places) that something already occupies.
std::vector<std::wstring> FilesInTheWayOf(const QuarantineItem& item,
                                          const std::wstring& destination);

// What became of one item's restore under the user's choice for taken names.
struct ItemRestore {
    int32_t result = kRestoreNotAttempted;  // the library's answer, or ours
    // Passed over for the files in the way (Skip): nothing was written.
    bool skipped = false;
    std::vector<std::wstring> inTheWay;
    // Kept both: where each file went, in the item's order.
    std::vector<std::wstring> finalPaths;
};

// Restores the item's container (read with its former paths) into
// destination with the choice for a taken name. Where nothing is in the way,
// or with Fail, the library restores as it always did.
ItemRestore RestoreItem(CZEBQtWrapper::Container& container, const QuarantineItem& item,
                        const std::wstring& destination, ConflictChoice conflict,
                        ZEBQtCleanHook hook, uintptr_t context);

// The reason given for an item passed over for the files in the way.
std::wstring SkippedForFilesInTheWay(const ItemRestore& restore, size_t itemFiles);

// Restores the quarantine file at fullPath through a quarantine and container
// opened for it alone, with the cleaning hook where one is given, and reads
// the item as the library reports it into *pItem. Both are closed again
// before this returns, so that the quarantine file can go afterwards.
// kRestoreNotAttempted when either does not open; only the id is known then.
ItemRestore RestoreQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath,
                                  const std::wstring& destination, ConflictChoice conflict,
                                  ZEBQtCleanHook hook, uintptr_t context, QuarantineItem* pItem);

// Reads the item of the quarantine file at fullPath through a quarantine and
// container opened for it alone, and closes both again.
QuarantineItem ReadQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath);

// Deletes the item's quarantine file from the folder (which ends with a
// backslash): the library lets go of its container first, and the name must
// pass the guard of a plain file name. "deleted", else the reason.
ItemAuditOutcome DeleteQuarantineItem(const std::wstring& folder, QuarantineItem* pItem);
