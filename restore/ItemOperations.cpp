#include "restore/ItemOperations.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/QuarantineFileDelete.h"
#include "restore/RestoreOutcome.h"

std::vector<ItemAuditOutcome> RestoreOutcomes(const QuarantineItem& item, int32_t result,
                                              const std::wstring& destination) {
    ItemAuditOutcome outcome;
    outcome.destination = destination;
    if (result != kRestored) {
        outcome.result = AfxLoadString(RestoreFailureMessage(result));
        return {outcome};
    }
    std::vector<ItemAuditOutcome> outcomes;
    const size_t files = item.formerPaths.empty() ? 1 : item.formerPaths.size();
    for (size_t file = 0; file < files; ++file) {
        outcome.file = file;
        outcome.path = RestoredFilePath(item, file, destination);
        outcome.sha256 = RestoredFileSha256(outcome.path);
        // A file the item does not name cannot be looked for.
        outcome.success = !outcome.sha256.empty() || outcome.path.empty();
        outcome.result =
            outcome.success ? L"restored" : AfxLoadString(IDS_RESTORED_FILE_UNREADABLE);
        outcomes.push_back(outcome);
    }
    return outcomes;
}

bool AllSucceeded(const std::vector<ItemAuditOutcome>& outcomes) {
    for (const ItemAuditOutcome& outcome : outcomes)
        if (!outcome.success) return false;
    return true;
}

int32_t RestoreQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath,
                              const std::wstring& destination, ZEBQtCleanHook hook,
                              uintptr_t context, QuarantineItem* pItem) {
    std::wstring folder;
    std::wstring name;
    CZEBQtWrapper::QuarantinePtr quarantine;
    CZEBQtWrapper::ContainerPtr container;
    if (SplitQuarantineFilePath(fullPath, &folder, &name))
        quarantine = library.OpenQuarantine(folder);
    if (quarantine) container = quarantine->OpenContainerByName(name);
    *pItem = ReadNamedQuarantineItem(container, name);
    pItem->container.reset();
    return container ? container->Restore(destination, 0, hook, context, 0) : kRestoreNotAttempted;
}

ItemAuditOutcome DeleteQuarantineItem(const std::wstring& folder, QuarantineItem* pItem) {
    pItem->container.reset();
    ItemAuditOutcome outcome;
    outcome.success = DeleteQuarantineFile(folder, pItem->id);
    outcome.result = outcome.success ? L"deleted" : AfxLoadString(IDS_DELETE_FAILED);
    return outcome;
}
