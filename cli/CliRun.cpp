#include "cli/CliRun.h"

#include <windows.h>

#include "audit/AuditTrail.h"
#include "audit/FileSha256.h"
#include "cli/QuarantineItems.h"
#include "cli/Report.h"
#include "cli/Selection.h"
#include "ui/ListingText.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/CommandLineRestore.h"
#include "restore/QuarantineFileDelete.h"
#include "restore/RestoreOutcome.h"
#include "settings/Folders.h"

namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring HashOfWrittenFile(const std::wstring& path) {
    std::wstring hex;
    FileSha256(path, &hex);
    return hex;
}

class CCommandRun {
public:
    CCommandRun(const CliCommand& command, CZEBQtWrapper& library, const CliStreams& streams)
        : m_command(command), m_library(library), m_streams(streams) {
        m_summary.action = command.action;
    }

    int Run() {
        std::wstring source = m_command.source.empty() ? StartingQuarantineFolder() : m_command.source;
        if (source.empty()) return Fail(kCommandLineNoQuarantine, L"no quarantine folder: give /S=\"folder\"");
        if (IsFile(source)) return Fail(kCommandLineNoQuarantine, source + L" is a file, not a quarantine folder");
        if (m_command.action == CliAction::Restore && IsFile(m_command.destination))
            return Fail(kCommandLineUsageError, m_command.destination + L" is a file, not a folder");
        m_folder = QuarantineFolderPath(source);

        m_library.Load(std::wstring());
        const CZEBQtWrapper::QuarantinePtr quarantine = m_library.OpenQuarantine(m_folder);
        if (!quarantine) return Fail(kCommandLineNoQuarantine, L"no quarantine could be opened in " + m_folder);
        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        if (!quarantine->EnumContainers(containers))
            return Fail(kCommandLineNoEnumeration, L"the quarantine in " + m_folder + L" could not list its items");

        std::vector<QuarantineItem> items;
        items.reserve(containers.size());
        for (const CZEBQtWrapper::ContainerPtr& container : containers) {
            // Names and the virus are known without opening the objects, so
            // that a narrow selection costs little.
            const std::wstring id = QuarantineFileName(container->m_strFilePath);
            int date = 0;
            if (m_command.selection.after != 0 || m_command.selection.before != 0)
                IsoTimestampText(container->m_Time, &date);
            if (IsSelected(m_command.selection, id, container->m_strVirus, date))
                items.push_back(ReadQuarantineItem(container));
        }
        m_summary.matched = items.size();
        if (items.empty() && !m_command.selection.Empty()) m_summary.exitCode = kCommandLineNothingMatched;

        if (m_command.action == CliAction::List) {
            std::vector<const QuarantineItem*> listed;
            for (const QuarantineItem& item : items) listed.push_back(&item);
            m_summary.succeeded = listed.size();
            Write(FormatListing(m_command.format, m_folder, listed, m_summary));
            return m_summary.exitCode;
        }
        std::vector<ItemOutcome> outcomes;
        for (const QuarantineItem& item : items) {
            if (m_command.action == CliAction::Delete)
                Delete(item, &outcomes);
            else
                Restore(item, &outcomes);
        }
        if (m_summary.failed != 0) m_summary.exitCode = kCommandLineRestoreFailed;
        Write(FormatOutcomes(m_command.format, m_folder, outcomes, m_summary));
        return m_summary.exitCode;
    }

private:
    void Restore(const QuarantineItem& item, std::vector<ItemOutcome>* outcomes) {
        ItemOutcome outcome;
        outcome.id = item.id;
        // As the windowless restore always did: a container known to hold
        // only registry values or hosts entries has nothing for a folder.
        if (item.container->ListsOnlyNonFileObjects()) {
            outcome.result = L"skipped";
            outcome.reason = AfxLoadString(IDS_HOLDS_NO_FILES);
            ++m_summary.skipped;
            outcomes->push_back(outcome);
            return;
        }
        const int32_t result = item.container->Restore(m_command.destination, 0, nullptr, 0, 0);
        if (result != kRestored) {
            outcome.result = L"failed";
            outcome.reason = AfxLoadString(RestoreFailureMessage(result));
            ++m_summary.failed;
            outcomes->push_back(outcome);
            Audit(AuditOperation::CommandLineRestore, item, outcome);
            return;
        }
        ++m_summary.succeeded;
        outcome.result = L"restored";
        if (item.fileLeafNames.empty()) {
            outcomes->push_back(outcome);
            Audit(AuditOperation::CommandLineRestore, item, outcome);
        }
        std::wstring destination = m_command.destination;
        if (destination.back() != L'\\') destination += L'\\';
        for (const std::wstring& leaf : item.fileLeafNames) {
            outcome.path = leaf.empty() ? std::wstring() : destination + leaf;
            outcome.sha256 = outcome.path.empty() ? std::wstring() : HashOfWrittenFile(outcome.path);
            outcomes->push_back(outcome);
            Audit(AuditOperation::CommandLineRestore, item, outcome);
        }
    }

    // One event-log entry per item and file, whatever the report's format.
    void Audit(AuditOperation operation, const QuarantineItem& item, const ItemOutcome& outcome) {
        AuditEntry entry;
        entry.operation = operation;
        entry.success = outcome.result != L"failed";
        entry.itemId = item.id;
        entry.virus = item.virus;
        entry.formerPath = item.formerPath;
        entry.destination = operation == AuditOperation::CommandLineRestore
                                ? (outcome.path.empty() ? m_command.destination : outcome.path)
                                : std::wstring();
        entry.result = outcome.reason.empty() ? outcome.result : outcome.reason;
        entry.sha256 = outcome.sha256;
        WriteAuditEntry(entry);
    }

    void Delete(const QuarantineItem& item, std::vector<ItemOutcome>* outcomes) {
        ItemOutcome outcome;
        outcome.id = item.id;
        // The dialog's guard: nothing but a plain name inside the folder.
        if (DeleteQuarantineFile(m_folder, item.id)) {
            outcome.result = L"deleted";
            ++m_summary.succeeded;
        } else {
            outcome.result = L"failed";
            outcome.reason = AfxLoadString(IDS_DELETE_FAILED);
            ++m_summary.failed;
        }
        outcomes->push_back(outcome);
        Audit(AuditOperation::CommandLineDelete, item, outcome);
    }

    int Fail(int exitCode, const std::wstring& error) {
        m_summary.exitCode = exitCode;
        m_summary.error = error;
        m_streams.err(Utf8(L"Quarantine: " + error + L"\r\n"));
        if (m_command.action == CliAction::List)
            Write(FormatListing(m_command.format, m_folder, {}, m_summary));
        else
            Write(FormatOutcomes(m_command.format, m_folder, {}, m_summary));
        return exitCode;
    }

    void Write(const std::string& text) { m_streams.out(text); }

    const CliCommand& m_command;
    CZEBQtWrapper& m_library;
    const CliStreams& m_streams;
    RunSummary m_summary;
    std::wstring m_folder;
};

}  // namespace

std::wstring CliUsageText() {
    return L"Lists, restores and deletes quarantined items; without these switches the window opens.\r\n"
           L"\r\n"
           L"  Quarantine /L [/S=\"folder\"] [/F=text|csv|json] [selection]\r\n"
           L"      lists the items\r\n"
           L"  Quarantine /S=\"folder\" /D=\"destination\" [/F=text|csv|json] [selection]\r\n"
           L"      restores the items' files into the destination folder\r\n"
           L"  Quarantine /X [/S=\"folder\"] [/F=text|csv|json] selection\r\n"
           L"      deletes the items from the quarantine for good\r\n"
           L"  Quarantine /?\r\n"
           L"      shows this text\r\n"
           L"\r\n"
           L"  /S       the quarantine folder; without it, the folder the window would open\r\n"
           L"  /F       text (a table ending with a summary line), csv or json, all UTF-8\r\n"
           L"\r\n"
           L"selection (all given must match):\r\n"
           L"  /I=\"id[,id...]\"   quarantine file names as /L shows them; * and ? allowed\r\n"
           L"  /V=\"pattern\"      virus name; * and ? allowed\r\n"
           L"  /After=YYYY-MM-DD  stamped on that local date or later\r\n"
           L"  /Before=YYYY-MM-DD stamped before that local date\r\n"
           L"\r\n"
           L"exit codes:\r\n"
           L"  0  done (also: nothing to list or restore)\r\n"
           L"  1  no quarantine in the folder, or the quarantine library is missing\r\n"
           L"  2  the quarantine could not list its items\r\n"
           L"  3  at least one item could not be restored or deleted; the others were\r\n"
           L"  4  nothing matched the selection\r\n"
           L"  5  usage error: unknown switch, bad value, /X without a selection, ...\r\n";
}

int RunCliCommand(const CliCommand& command, CZEBQtWrapper& library, const CliStreams& streams) {
    switch (command.action) {
        case CliAction::Usage:
            streams.out(Utf8(CliUsageText()));
            return 0;
        case CliAction::Invalid:
            streams.err(Utf8(L"Quarantine: " + command.error + L"\r\nQuarantine /? shows the forms.\r\n"));
            return kCommandLineUsageError;
        case CliAction::List:
        case CliAction::Restore:
        case CliAction::Delete:
            return CCommandRun(command, library, streams).Run();
        default:
            return kCommandLineUsageError;
    }
}
