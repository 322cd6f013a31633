#pragma once

#include <string>

#include "audit/AuditTrail.h"

class CListCtrl;

// What the audit trail records of one row an operation of the dialog worked
// on: the row's own texts, where the file went, and the outcome.
struct RowOutcome {
    bool success = false;
    std::wstring result;       // "restored", "deleted", or the reason shown for a failure
    std::wstring destination;  // the chosen folder; empty for the former place
    bool wroteFile = false;    // a restored file whose SHA-256 is to be recorded
};

// Writes the row's entry. The restored file is the former path for a
// restore to the former place, else the destination with the former name.
void AuditRow(AuditOperation operation, const CListCtrl& list, int row, const RowOutcome& outcome);
