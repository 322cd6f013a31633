#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quarantine/ZEBQtEntryPoints.h"
#include "quarantine/ZEBQtWrapper.h"
#include "restore/ItemAudit.h"
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
std::vector<ItemAuditOutcome> RestoreOutcomes(const QuarantineItem& item, int32_t result,
                                              const std::wstring& destination);

// True when every outcome succeeded.
bool AllSucceeded(const std::vector<ItemAuditOutcome>& outcomes);

// Restores the quarantine file at fullPath through a quarantine and container
// opened for it alone, with the cleaning hook where one is given, and reads
// the item as the library reports it into *pItem. Both are closed again
// before this returns, so that the quarantine file can go afterwards.
// kRestoreNotAttempted when either does not open; only the id is known then.
int32_t RestoreQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath,
                              const std::wstring& destination, ZEBQtCleanHook hook,
                              uintptr_t context, QuarantineItem* pItem);

// Deletes the item's quarantine file from the folder (which ends with a
// backslash): the library lets go of its container first, and the name must
// pass the guard of a plain file name. "deleted", else the reason.
ItemAuditOutcome DeleteQuarantineItem(const std::wstring& folder, QuarantineItem* pItem);
