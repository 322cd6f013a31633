#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "restore/QuarantineItem.h"

// What a restore or delete did with one item; a restore that wrote several
// files has one outcome per file.
struct ItemOutcome {
    std::wstring id;
    std::wstring result;  // "restored", "failed", "skipped" or "deleted"
    std::wstring reason;  // in words, as the dialog says it; empty on success
    std::wstring path;    // the file written
    std::wstring sha256;  // of the file written, lowercase hex
};

// The outcome of one command, for its last line and the JSON summary.
struct RunSummary {
    CliAction action = CliAction::List;
    size_t matched = 0;    // items the selection took
    size_t succeeded = 0;  // listed, restored or deleted
    size_t failed = 0;
    size_t skipped = 0;
    size_t auditFailed = 0;  // entries the event log did not take
    std::vector<std::wstring> unmatchedIds;  // /I entries that named no item
    int exitCode = 0;
    std::wstring error;  // why nothing could be done, for exit codes 1 and 2
};

// The last line of the text format, in English whatever the user's language,
// so that a script can read it: "restored 12 of 13 items; 1 failed".
std::wstring SummaryLine(const RunSummary& summary);

// The report in the format asked for, as UTF-8: text is a table for people
// ending with the summary line; csv (RFC 4180) has a header row and one row
// per record, and where ids named no item a last row whose first cell is the
// summary line; json (RFC 8259) is one object with the records and the
// summary.
std::string FormatListing(OutputFormat format, const std::wstring& folder,
                          const std::vector<const QuarantineItem*>& items,
                          const RunSummary& summary);
std::string FormatOutcomes(OutputFormat format, const std::wstring& folder,
                           const std::vector<ItemOutcome>& outcomes, const RunSummary& summary);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8(const std::wstring& text);
