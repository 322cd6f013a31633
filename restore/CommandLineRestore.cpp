#include "restore/CommandLineRestore.h"

#include <vector>

#include "audit/AuditTrail.h"
#include "framework/WinApp.h"
#include "restore/RestoreOutcome.h"
#include "settings/Folders.h"
#include "ui/ListingText.h"
#include "ui/QuarantineDlg.h"

// Runs before any window exists and shows nothing: a script learns the outcome
// from the exit code alone. The destination directs the restore, so every file
// lands in it rather than at its former path, and nothing is deleted from the
// quarantine.
int CQuarantineDlg::RestoreFromCommandLine(std::wstring source, std::wstring destination) {
    // A missing library leaves the stubs, with which no quarantine opens.
    m_ZEBQt.Load(std::wstring());

    const CZEBQtWrapper::QuarantinePtr quarantine =
        m_ZEBQt.OpenQuarantine(QuarantineFolderPath(source));
    if (!quarantine) return kCommandLineNoQuarantine;

    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    if (!quarantine->EnumContainers(containers)) return kCommandLineNoEnumeration;

    bool anyFailed = false;
    for (const CZEBQtWrapper::ContainerPtr& container : containers) {
        // Registry values and hosts entries have no place in a destination
        // folder; this restore brings back files only. A container is left
        // alone only when it lists objects and none is a file: a damaged one
        // lists nothing, or refuses to list, and must still be tried so that
        // its failure reaches the exit code.
        if (container->ListsOnlyNonFileObjects()) continue;
        const int32_t result = container->Restore(destination, 0, nullptr, 0, 0);
        if (result != kRestored) anyFailed = true;
        // This form asks the library for nothing beyond the restore, so its
        // entries carry no former path and no hash.
        AuditEntry entry;
        entry.operation = AuditOperation::CommandLineRestore;
        entry.success = result == kRestored;
        entry.itemId = QuarantineFileName(container->m_strFilePath);
        entry.virus = container->m_strVirus;
        entry.destination = destination;
        entry.result = result == kRestored ? L"restored" : AfxLoadString(RestoreFailureMessage(result));
        WriteAuditEntry(entry);
    }
    return anyFailed ? kCommandLineRestoreFailed : kCommandLineRestored;
}
