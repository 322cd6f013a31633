#include "restore/RowAudit.h"

#include "audit/FileSha256.h"
#include "framework/Wnd.h"
#include "ui/ListColumns.h"

void AuditRow(AuditOperation operation, const CListCtrl& list, int row, const RowOutcome& outcome) {
    AuditEntry entry;
    entry.operation = operation;
    entry.success = outcome.success;
    entry.itemId = list.GetItemText(row, kColumnQuarantineFile);
    entry.virus = list.GetItemText(row, kColumnVirus);
    const std::wstring fileName = list.GetItemText(row, kColumnFileName);
    const std::wstring folder = list.GetItemText(row, kColumnPath);
    if (!fileName.empty()) entry.formerPath = folder + L"\\" + fileName;
    entry.destination = outcome.destination;
    entry.result = outcome.result;
    if (outcome.success && outcome.wroteFile && !fileName.empty()) {
        std::wstring written = outcome.destination.empty() ? entry.formerPath : outcome.destination;
        if (!outcome.destination.empty()) {
            if (written.back() != L'\\') written += L'\\';
            written += fileName;
        }
        FileSha256(written, &entry.sha256);
    }
    WriteAuditEntry(entry);
}
