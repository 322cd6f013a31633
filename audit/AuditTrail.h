#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

// The audit trail: one entry in the Application event log (source "Quarantine")
// for every quarantine file an operation worked on, from the dialog and from the
// command line. The texts are the message table that res/AuditEvents.mc puts
// into Quarantine.exe; the installer registers the program as the source's
// message file. Without that registration (the portable program) the entries
// are written all the same, and the Event Viewer shows their insertion strings
// without the surrounding text.

enum class AuditOperation {
    Restore,               // "Restore...": back to the former place
    CleanAndRestore,       // "Clean and restore...": cleaned, back to the former place
    RestoreToNewLocation,  // "Restore to new location..."
    Collection,            // "Collection": into a chosen folder, grouped
    Delete,                // "Delete..." in the dialog
    CommandLineRestore,
    CommandLineDelete,
    CommandLineList,  // audited only when the organisation's policy refuses it
};

struct AuditEntry {
    AuditOperation operation = AuditOperation::Restore;
    bool success = false;
    std::wstring itemId;  // the quarantine file's name
    std::wstring virus;
    std::wstring formerPath;  // where the file was found
    // Where the file went: empty when it went back to its former place, or
    // nowhere; a file kept beside another under a new name is named here.
    std::wstring destination;
    std::wstring result;  // the outcome in words, as the user was told it
    std::wstring sha256;  // of the restored file, lowercase hex; empty when none
    // The organisation's policy refused the command before anything was done:
    // one entry for the whole attempt, its result naming the policy.
    bool refused = false;
};

bool operator==(const AuditEntry& a, const AuditEntry& b);
inline bool operator!=(const AuditEntry& a, const AuditEntry& b) {
    return !(a == b);
}

// The event id of an operation's success or failure; administrators filter on
// these numbers, so they never change (the README lists them).
DWORD EventIdOf(AuditOperation operation, bool success);
// The entry's id: its operation's, or the one id of every refused attempt.
DWORD EventIdOf(const AuditEntry& entry);

// Information for a success, error for a failure.
WORD EventTypeOf(bool success);
// The same, and a warning for a refused attempt.
WORD EventTypeOf(const AuditEntry& entry);

// What fills %1 to %7 of every message, in that order: the account
// (DOMAIN\user), item id, virus, former path, destination, result, SHA-256.
// A text longer than the event log takes (31,839 characters) keeps its
// beginning and ends in a note that it was cut, with its whole length.
constexpr size_t kAuditInsertionCount = 7;
std::array<std::wstring, kAuditInsertionCount> AuditInsertionStrings(const AuditEntry& entry);

// The running user as DOMAIN\user; empty when the system cannot name it (the
// event still carries the user's SID).
const std::wstring& AuditAccountName();

// Writes the entry to the event log under the current user's SID. An audit must
// never stop a restore: this neither throws nor reports an error to the user.
// True when the event log (or the test sink) took the entry; callers need not
// look.
bool WriteAuditEntry(const AuditEntry& entry) noexcept;

// For tests only: while a sink is set, WriteAuditEntry hands every entry to it
// instead of the event log, so that a test can see which entries an operation
// writes without reading the machine's log; a sink that throws stands for a
// log that refuses the entry. An empty function puts the event
// log back.
using AuditSink = std::function<void(const AuditEntry&)>;
void SetAuditSinkForTesting(AuditSink sink);
