#include "restore/ItemAudit.h"

#include "audit/FileSha256.h"
#include "restore/FilesInTheWay.h"

std::wstring RestoredFilePath(const QuarantineItem& item, size_t file,
                              const std::wstring& destination) {
    return file < item.formerPaths.size() ? RestoreTarget(destination, item.formerPaths[file])
                                          : std::wstring();
}

std::wstring RestoredFileSha256(const std::wstring& path) {
    std::wstring hex;
    if (path.empty() || !FileSha256(path, &hex)) hex.clear();
    return hex;
}

AuditEntry ItemAuditEntry(AuditOperation operation, const QuarantineItem& item,
                          const ItemAuditOutcome& outcome) {
    AuditEntry entry;
    entry.operation = operation;
    entry.success = outcome.success;
    entry.itemId = item.id;
    entry.virus = item.virus;
    if (outcome.file < item.formerPaths.size()) entry.formerPath = item.formerPaths[outcome.file];
    // A file kept under another name beside the one at its former place is
    // named where it went.
    const bool elsewhere = !outcome.destination.empty() || outcome.path != entry.formerPath;
    if (outcome.success && !outcome.path.empty() && elsewhere)
        entry.destination = outcome.path;
    else if (!outcome.destination.empty())
        entry.destination = outcome.destination;
    entry.result = outcome.result;
    entry.sha256 = outcome.sha256;
    return entry;
}
