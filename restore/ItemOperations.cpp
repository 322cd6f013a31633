#include "restore/ItemOperations.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/FilesInTheWay.h"
#include "restore/QuarantineFileDelete.h"
#include "restore/RestoreOutcome.h"

std::vector<ItemAuditOutcome> RestoreOutcomes(const QuarantineItem& item, int32_t result,
                                              const std::wstring& destination,
                                              const std::vector<std::wstring>* finalPaths) {
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
        outcome.path = finalPaths != nullptr && file < finalPaths->size()
                           ? (*finalPaths)[file]
                           : RestoredFilePath(item, file, destination);
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

std::vector<std::wstring> FilesInTheWayOf(const QuarantineItem& item,
                                          const std::wstring& destination) {
    return OccupiedTargets(RestoreTargets(destination, item.formerPaths));
}

ItemRestore RestoreItem(CZEBQtWrapper::Container& container, const QuarantineItem& item,
                        const std::wstring& destination, ConflictChoice conflict,
                        ZEBQtCleanHook hook, uintptr_t context) {
    ItemRestore restore;
    if (conflict != ConflictChoice::Fail) restore.inTheWay = FilesInTheWayOf(item, destination);
    if (restore.inTheWay.empty()) {
        restore.result = container.Restore(destination, 0, hook, context, 0);
    } else if (conflict == ConflictChoice::Skip) {
        restore.skipped = true;
    } else {
        restore.result = RestoreKeepingBoth(container, destination, item.formerPaths, hook, context,
                                            &restore.finalPaths);
    }
    return restore;
}

std::wstring SkippedForFilesInTheWay(const ItemRestore& restore, size_t itemFiles) {
    // The lines that name each file in the way, without a failure's head.
    std::wstring text = FilesInTheWayText(std::wstring(), restore.inTheWay, itemFiles);
    if (!text.empty() && text.front() == L'\n') text.erase(0, 1);
    return text;
}

namespace {

// The quarantine and the container of the quarantine file at fullPath,
// opened for it alone; the container is empty where either does not open.
struct OpenedFile {
    CZEBQtWrapper::QuarantinePtr quarantine;
    CZEBQtWrapper::ContainerPtr container;
    std::wstring name;
};

OpenedFile OpenQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath) {
    OpenedFile opened;
    std::wstring folder;
    if (SplitQuarantineFilePath(fullPath, &folder, &opened.name))
        opened.quarantine = library.OpenQuarantine(folder);
    if (opened.quarantine) opened.container = opened.quarantine->OpenContainerByName(opened.name);
    return opened;
}

}  // namespace

ItemRestore RestoreQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath,
                                  const std::wstring& destination, ConflictChoice conflict,
                                  ZEBQtCleanHook hook, uintptr_t context, QuarantineItem* pItem) {
    const OpenedFile opened = OpenQuarantineFile(library, fullPath);
    *pItem = ReadNamedQuarantineItem(opened.container, opened.name);
    pItem->container.reset();
    if (!opened.container) return ItemRestore();
    return RestoreItem(*opened.container, *pItem, destination, conflict, hook, context);
}

QuarantineItem ReadQuarantineFile(CZEBQtWrapper& library, const std::wstring& fullPath) {
    const OpenedFile opened = OpenQuarantineFile(library, fullPath);
    QuarantineItem item = ReadNamedQuarantineItem(opened.container, opened.name);
    item.container.reset();
    return item;
}

ItemAuditOutcome DeleteQuarantineItem(const std::wstring& folder, QuarantineItem* pItem) {
    pItem->container.reset();
    ItemAuditOutcome outcome;
    outcome.success = DeleteQuarantineFile(folder, pItem->id);
    outcome.result = outcome.success ? L"deleted" : AfxLoadString(IDS_DELETE_FAILED);
    return outcome;
}
