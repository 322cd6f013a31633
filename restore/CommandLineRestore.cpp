#include "restore/CommandLineRestore.h"

#include "audit/AuditTrail.h"
#include "framework/WinApp.h"
#include "restore/ItemAudit.h"
#include "restore/RestoreOutcome.h"
#include "settings/Folders.h"
#include "ui/ListingText.h"
#include "ui/QuarantineDlg.h"

OpenedQuarantine OpenQuarantineForCommandLine(CZEBQtWrapper& library, const std::wstring& folder) {
    OpenedQuarantine opened;
    library.Load(std::wstring());
    opened.quarantine = library.OpenQuarantine(folder);
    if (!opened.quarantine)
        opened.exitCode = kCommandLineNoQuarantine;
    else if (!opened.quarantine->EnumContainers(opened.containers))
        opened.exitCode = kCommandLineNoEnumeration;
    return opened;
}

void RestoreContainersInto(const std::vector<CZEBQtWrapper::ContainerPtr>& containers,
                           const std::wstring& destination, const ContainerRestored& done) {
    for (size_t index = 0; index < containers.size(); ++index) {
        const CZEBQtWrapper::ContainerPtr& container = containers[index];
        if (container->ListsOnlyNonFileObjects()) {
            done(index, true, kRestored);
            continue;
        }
        done(index, false, container->Restore(destination, 0, nullptr, 0, 0));
    }
}

// Runs before any window exists and shows nothing: a script learns the outcome
// from the exit code alone.
int CQuarantineDlg::RestoreFromCommandLine(std::wstring source, std::wstring destination) {
    const OpenedQuarantine opened = OpenQuarantineForCommandLine(m_ZEBQt, QuarantineFolderPath(source));
    if (opened.exitCode != kCommandLineRestored) return opened.exitCode;
    const std::vector<CZEBQtWrapper::ContainerPtr>& containers = opened.containers;

    bool anyFailed = false;
    RestoreContainersInto(containers, destination, [&](size_t index, bool skipped, int32_t result) {
        if (skipped) return;
        anyFailed = anyFailed || result != kRestored;
        // This form asks the library for nothing beyond the restore, so its
        // entries carry no former path and no hash.
        QuarantineItem item;
        item.id = QuarantineFileName(containers[index]->m_strFilePath);
        item.virus = containers[index]->m_strVirus;
        ItemAuditOutcome audit;
        audit.success = result == kRestored;
        audit.destination = destination;
        audit.result = audit.success ? L"restored" : AfxLoadString(RestoreFailureMessage(result));
        WriteAuditEntry(ItemAuditEntry(AuditOperation::CommandLineRestore, item, audit));
    });
    return anyFailed ? kCommandLineRestoreFailed : kCommandLineRestored;
}
