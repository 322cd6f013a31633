#pragma once

#include <cstddef>
#include <string>

#include "audit/AuditTrail.h"
#include "restore/QuarantineItem.h"

// Builds every audit entry, from the dialog and from the command line, one
// way: the id, the virus and the former path as the library reports the item,
// never as a list row happens to show them.

// Where a restore puts the item's file number `file`: into the destination
// folder under its former name, or back to its former path when the
// destination is empty. Empty when the library names no such file or its
// former path names no file (no folder, no name).
std::wstring RestoredFilePath(const QuarantineItem& item, size_t file, const std::wstring& destination);

// The SHA-256 of the file at path as lowercase hex; empty when the path is
// empty or the file cannot be read.
std::wstring RestoredFileSha256(const std::wstring& path);

// How an operation ended for one file of an item (the first for a delete or
// an item without files).
struct ItemAuditOutcome {
    bool success = false;
    // "restored" or "deleted"; else the library's message for a failed
    // restore, or ours for a failed delete or a restored file not on disk,
    // never the fuller reason the dialog and the reports give.
    std::wstring result;
    std::wstring destination;  // the folder written into; empty for the former place and for deletes
    size_t file = 0;
    std::wstring path;         // where the restore writes that file; empty where the item names none
    std::wstring sha256;       // of the file written, when there is one
};

// The entry: the destination is the file a success wrote (the outcome's
// path) where the item names it, else the folder asked for.
AuditEntry ItemAuditEntry(AuditOperation operation, const QuarantineItem& item,
                          const ItemAuditOutcome& outcome);
