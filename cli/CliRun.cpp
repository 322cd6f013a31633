#include "cli/CliRun.h"

#include <windows.h>

#include "audit/AuditTrail.h"
#include "cli/Report.h"
#include "cli/RunFolders.h"
#include "cli/Selection.h"
#include "framework/LongPaths.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "quarantine/ItemText.h"
#include "restore/CommandLineRestore.h"
#include "restore/FilesInTheWay.h"
#include "restore/ItemOperations.h"
#include "restore/PolicyRefusal.h"
#include "settings/Folders.h"

namespace {

AuditOperation OperationOf(CliAction action) {
    switch (action) {
        case CliAction::List:
            return AuditOperation::CommandLineList;
        case CliAction::Delete:
            return AuditOperation::CommandLineDelete;
        default:
            return AuditOperation::CommandLineRestore;
    }
}

std::wstring JoinedIds(const Selection& selection) {
    std::wstring ids;
    for (const std::wstring& id : selection.idPatterns) ids += (ids.empty() ? L"" : L", ") + id;
    return ids;
}

// Why the organisation's policy refuses the command, before it touches
// anything; empty when it allows it. A quarantine folder the policy sets is
// the only one a command may name.
std::wstring CommandRefusal(const CliCommand& command, const QuarantinePolicy& policy) {
    PolicyId id = PolicyId::DisallowRestore;
    if (PolicyRefuses(policy, OperationOf(command.action), &id))
        return PolicyRefusalText(policy, id);
    const std::wstring& folder = policy.Folder(PolicyId::QuarantineFolder);
    if (!folder.empty() && !command.source.empty() && !SameFolder(command.source, folder))
        return PolicyRefusalText(policy, PolicyId::QuarantineFolder) + L", not " +
               FullPathName(command.source);
    return std::wstring();
}

// Says a refusal on standard error and leaves its audit entry; the text, or
// empty when the policy allows the command.
std::wstring Refusal(const CliCommand& command, const QuarantinePolicy& policy,
                     const CliStreams& streams) {
    const std::wstring reason = CommandRefusal(command, policy);
    if (reason.empty()) return reason;
    const std::wstring destination =
        command.destination.empty() ? std::wstring() : FullPathName(command.destination);
    if (!WriteAuditEntry(PolicyRefusalEntry(OperationOf(command.action), reason,
                                            JoinedIds(command.selection), destination)))
        streams.err("Quarantine: the event log did not take the audit entry for the refusal\r\n");
    return reason + L"; nothing was done";
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(FileCallPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class CCommandRun {
public:
    CCommandRun(const CliCommand& command, CZEBQtWrapper& library, const CliStreams& streams)
        : m_command(command), m_library(library), m_streams(streams) {
        m_summary.action = command.action;
    }

    int Run() {
        const std::wstring given =
            m_command.source.empty() ? StartingQuarantineFolder(m_policy) : m_command.source;
        if (given.empty())
            return Fail(kCommandLineNoQuarantine, L"no quarantine folder: give /S=\"folder\"");
        // Reports gathered from many machines must name whole paths, however
        // the folders were typed; the library gets the same paths.
        const std::wstring source = FullPathName(given);
        m_folder = source;
        const std::wstring refusal = Refusal(m_command, m_policy, m_streams);
        if (!refusal.empty()) return Fail(kCommandLineRefusedByPolicy, refusal);
        if (IsFile(source))
            return Fail(kCommandLineNoQuarantine, source + L" is a file, not a quarantine folder");
        m_folder = QuarantineFolderPath(source);
        m_destination = FullPathName(m_command.destination);
        if (m_command.action == CliAction::Restore && IsFile(m_destination))
            return Fail(kCommandLineUsageError, m_destination + L" is a file, not a folder");

        OpenedQuarantine opened = OpenQuarantineForCommandLine(m_library, m_folder);
        if (opened.exitCode == kCommandLineNoQuarantine && !m_library.m_hModule)
            return Fail(
                opened.exitCode,
                L"the quarantine library ZEBQt.dll is missing: neither beside the program nor in "
                L"the product's folder");
        if (opened.exitCode == kCommandLineNoQuarantine)
            return Fail(opened.exitCode, L"no quarantine could be opened in " + m_folder);
        if (opened.exitCode != kCommandLineDone)
            return Fail(opened.exitCode,
                        L"the quarantine in " + m_folder + L" could not list its items");

        std::vector<QuarantineItem> items;
        items.reserve(opened.containers.size());
        std::vector<std::wstring> ids;
        for (const CZEBQtWrapper::ContainerPtr& container : opened.containers) {
            // Names and the virus are known without opening the objects, so
            // that a narrow selection costs little.
            const std::wstring id = QuarantineFileName(container->m_strFilePath);
            if (!m_command.selection.idPatterns.empty()) ids.push_back(id);
            int date = 0;
            if (m_command.selection.after != 0 || m_command.selection.before != 0)
                IsoTimestampText(container->m_Time, &date);
            // Only a listing shows the time.
            if (IsSelected(m_command.selection, id, container->m_strVirus, date))
                items.push_back(ReadQuarantineItem(container, m_command.action == CliAction::List
                                                                  ? ItemTime::Read
                                                                  : ItemTime::Skipped));
        }
        opened.containers.clear();
        m_summary.matched = items.size();
        // An id that names no item is part of the selection left unmet; the
        // items that matched are still done, and the run says what was not.
        m_summary.unmatchedIds = UnmatchedIds(m_command.selection, ids);
        for (const std::wstring& id : m_summary.unmatchedIds)
            m_streams.err(Utf8(L"Quarantine: no item has the id " + id + L"\r\n"));
        if (items.empty() && !m_command.selection.Empty())
            m_summary.exitCode = kCommandLineNothingMatched;
        else if (!m_summary.unmatchedIds.empty())
            m_summary.exitCode = kCommandLineSelectionIncomplete;

        // A destination that cannot take files is said once, with the
        // system's reason, rather than as each item's failure.
        std::vector<std::wstring> created;
        if (m_command.action == CliAction::Restore && !items.empty()) {
            const DWORD error = PrepareDestination(m_destination, &created);
            if (error != 0) {
                RemoveEmptyFolders(created);
                return Fail(kCommandLineDestinationUnusable,
                            L"the destination " + m_destination +
                                L" could not be created or written: " + SystemErrorText(error));
            }
        }

        std::vector<ItemOutcome> outcomes;
        if (m_command.action == CliAction::List) {
            m_summary.succeeded = items.size();
        } else if (m_command.action == CliAction::Delete) {
            for (QuarantineItem& item : items) Delete(&item, &outcomes);
        } else {
            for (const QuarantineItem& item : items) {
                // Registry values and hosts entries have no place in a folder.
                if (item.onlyNonFileObjects) {
                    Restored(item, true, ItemRestore(), &outcomes);
                    continue;
                }
                Restored(item, false,
                         RestoreItem(*item.container, item, m_destination, m_command.conflict,
                                     nullptr, 0),
                         &outcomes);
            }
            // What was made for a restore that brought nothing back goes again.
            RemoveEmptyFolders(created);
        }
        if (m_summary.failed != 0) m_summary.exitCode = kCommandLineRestoreFailed;
        if (m_command.action == CliAction::List) {
            std::vector<const QuarantineItem*> listed;
            for (const QuarantineItem& item : items) listed.push_back(&item);
            Write(FormatListing(m_command.format, m_folder, listed, m_summary));
        } else {
            Write(FormatOutcomes(m_command.format, m_folder, outcomes, m_summary));
        }
        return m_reportLost ? kCommandLineReportLost : m_summary.exitCode;
    }

private:
    void Restored(const QuarantineItem& item, bool holdsNoFiles, const ItemRestore& restore,
                  std::vector<ItemOutcome>* outcomes) {
        ItemOutcome outcome;
        outcome.id = item.id;
        if (holdsNoFiles || restore.skipped) {
            outcome.result = L"skipped";
            outcome.reason = holdsNoFiles
                                 ? AfxLoadString(IDS_HOLDS_NO_FILES)
                                 : SkippedForFilesInTheWay(restore, item.formerPaths.size());
            ++m_summary.skipped;
            outcomes->push_back(outcome);
            return;
        }
        const int32_t result = restore.result;
        const std::vector<ItemAuditOutcome> files =
            RestoreOutcomes(item, result, m_destination, &restore.finalPaths);
        for (const ItemAuditOutcome& file : files) {
            if (result == kRestored) {
                outcome.path = file.path;
                outcome.sha256 = file.sha256;
                outcome.result = file.success ? L"restored" : L"failed";
                outcome.reason = file.success ? std::wstring() : file.result;
            } else {
                // The report names a file in the way as the dialog does; the
                // audit keeps the library's own message, as the dialog's does.
                outcome.result = L"failed";
                outcome.reason = RestoreFailureReason(result, m_destination, item.formerPaths);
            }
            outcomes->push_back(outcome);
            Audit(AuditOperation::CommandLineRestore, item, file);
        }
        ++(AllSucceeded(files) ? m_summary.succeeded : m_summary.failed);
    }

    void Delete(QuarantineItem* pItem, std::vector<ItemOutcome>* outcomes) {
        const ItemAuditOutcome audit = DeleteQuarantineItem(m_folder, pItem);
        ItemOutcome outcome;
        outcome.id = pItem->id;
        outcome.result = audit.success ? L"deleted" : L"failed";
        outcome.reason = audit.success ? std::wstring() : audit.result;
        ++(audit.success ? m_summary.succeeded : m_summary.failed);
        outcomes->push_back(outcome);
        Audit(AuditOperation::CommandLineDelete, *pItem, audit);
    }

    // One event-log entry per item and file, whatever the report's format. An
    // entry the log does not take fails nothing, but the run says so.
    void Audit(AuditOperation operation, const QuarantineItem& item,
               const ItemAuditOutcome& outcome) {
        if (WriteAuditEntry(ItemAuditEntry(operation, item, outcome))) return;
        ++m_summary.auditFailed;
        m_streams.err(Utf8(L"Quarantine: the event log did not take the audit entry for " +
                           item.id + L"\r\n"));
    }

    int Fail(int exitCode, const std::wstring& error) {
        m_summary.exitCode = exitCode;
        m_summary.error = error;
        m_streams.err(Utf8(L"Quarantine: " + error + L"\r\n"));
        if (m_command.action == CliAction::List)
            Write(FormatListing(m_command.format, m_folder, {}, m_summary));
        else
            Write(FormatOutcomes(m_command.format, m_folder, {}, m_summary));
        return m_reportLost ? kCommandLineReportLost : exitCode;
    }

    void Write(const std::string& text) {
        if (m_streams.out(text)) return;
        m_reportLost = true;
        m_streams.err("Quarantine: the report could not be written whole\r\n");
    }

    const CliCommand& m_command;
    CZEBQtWrapper& m_library;
    const CliStreams& m_streams;
    // Read once: the folder a command opens and what it may do agree.
    const QuarantinePolicy m_policy = ReadQuarantinePolicy();
    RunSummary m_summary;
    std::wstring m_folder;       // the quarantine folder, whole, ending in a backslash
    std::wstring m_destination;  // the restore's folder, whole
    bool m_reportLost = false;
};

}  // namespace

int RunCliCommand(const CliCommand& command, CZEBQtWrapper& library, const CliStreams& streams) {
    switch (command.action) {
        case CliAction::Usage:
            return streams.out(Utf8(CliUsageText())) ? kCommandLineDone : kCommandLineReportLost;
        case CliAction::Invalid:
            streams.err(
                Utf8(L"Quarantine: " + command.error + L"\r\nQuarantine /? shows the forms.\r\n"));
            return kCommandLineUsageError;
        case CliAction::List:
        case CliAction::Restore:
        case CliAction::Delete:
            return CCommandRun(command, library, streams).Run();
        case CliAction::LegacyRestore: {
            // The older form writes no report; the refusal is its one line.
            const std::wstring refusal = Refusal(command, ReadQuarantinePolicy(), streams);
            if (!refusal.empty()) {
                streams.err(Utf8(L"Quarantine: " + refusal + L"\r\n"));
                return kCommandLineRefusedByPolicy;
            }
            return RestoreQuarantineInto(library, command.source, command.destination);
        }
        default:
            return kCommandLineUsageError;
    }
}

int EndOnUnexpectedError(const char* what, const CliStreams& streams) {
    std::string line = "Quarantine: an unexpected error ended the run";
    if (what != nullptr && *what != '\0') line += std::string(" (") + what + ")";
    line += "; items already done stay done, and the event log names them\r\n";
    streams.err(line);
    return kCommandLineUnexpectedError;
}
