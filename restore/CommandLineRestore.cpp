#include "restore/CommandLineRestore.h"

#include "audit/AuditTrail.h"
#include "quarantine/ItemText.h"
#include "restore/ItemOperations.h"
#include "settings/Folders.h"

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
        if (containers[index]->ListsOnlyNonFileObjects()) {
            done(index, true, kRestored);
            continue;
        }
        done(index, false, containers[index]->Restore(destination, 0, nullptr, 0, 0));
    }
}

int RestoreQuarantineInto(CZEBQtWrapper& library, const std::wstring& source,
                          const std::wstring& destination) {
    const OpenedQuarantine opened =
        OpenQuarantineForCommandLine(library, QuarantineFolderPath(source));
    if (opened.exitCode != kCommandLineDone) return opened.exitCode;
    const std::vector<CZEBQtWrapper::ContainerPtr>& containers = opened.containers;

    bool anyFailed = false;
    RestoreContainersInto(containers, destination, [&](size_t index, bool skipped, int32_t result) {
        if (skipped) return;
        // This form asks the library for nothing beyond the restore, so its
        // entries carry no former path and no hash.
        QuarantineItem item;
        item.id = QuarantineFileName(containers[index]->m_strFilePath);
        item.virus = containers[index]->m_strVirus;
        for (const ItemAuditOutcome& outcome : RestoreOutcomes(item, result, destination)) {
            anyFailed = anyFailed || !outcome.success;
            WriteAuditEntry(ItemAuditEntry(AuditOperation::CommandLineRestore, item, outcome));
        }
    });
    return anyFailed ? kCommandLineRestoreFailed : kCommandLineDone;
}
