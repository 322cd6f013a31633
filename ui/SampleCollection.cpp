#include <windows.h>

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/CollectionGrouping.h"
#include "restore/FileSize.h"
#include "restore/ItemOperations.h"
#include "settings/Folders.h"
#include "ui/FolderBrowser.h"
#include "ui/ListColumns.h"
#include "ui/ProgressWalk.h"
#include "ui/QuarantineDlg.h"

namespace {

size_t CollectedFileCount(const std::vector<std::unique_ptr<CArchiveEntry>>& entries) {
    size_t count = 0;
    for (const std::unique_ptr<CArchiveEntry>& entry : entries)
        for (const std::wstring& name : entry->m_strFile) count += name.empty() ? 0 : 1;
    return count;
}

}  // namespace

void CQuarantineDlg::OnCollection() {
    if (RefusedByPolicy(AuditOperation::Collection)) return;
    std::wstring destination;
    if (!BrowseForDestination(GetSafeHwnd(), &destination)) return;
    StoreDestinationFolder(destination);
    CWaitCursor wait;

    // Every row in display order, whatever is selected.
    std::vector<CollectionRow> rows;
    for (int row = 0; row < m_lstQuarantine.GetItemCount(); ++row) {
        CollectionRow item;
        item.name = m_lstQuarantine.GetItemText(row, kColumnQuarantineFile);
        item.virus = m_lstQuarantine.GetItemText(row, kColumnVirus);
        item.fileName = m_lstQuarantine.GetItemText(row, kColumnFileName);
        item.sizeKB = GetFileSizeKB(m_strFolder + item.name);
        rows.push_back(item);
    }
    const std::vector<std::unique_ptr<CArchiveEntry>> entries = GroupCollection(rows);

    const CZEBQtWrapper::QuarantinePtr quarantine = m_ZEBQt.OpenQuarantine(m_strFolder);
    if (!quarantine) return;
    // Once the progress has gone and the window is enabled again, however
    // the walk ends.
    struct FocusKeeper {
        CQuarantineDlg* pDlg;
        ~FocusKeeper() { pDlg->KeepFocus(); }
    } keeper{this};
    CProgressWalk progress(m_hWnd, IDS_PROGRESS_COLLECTION, CollectedFileCount(entries));
    for (const std::unique_ptr<CArchiveEntry>& entry : entries) {
        for (const std::wstring& name : entry->m_strFile) {
            if (name.empty()) continue;
            if (!progress.Next(name)) return;
            // A sample that fails to restore is simply missing from the
            // collection; only the audit trail says so.
            const CZEBQtWrapper::ContainerPtr container = quarantine->OpenContainerByName(name);
            const QuarantineItem item = ReadNamedQuarantineItem(container, name);
            const int32_t result = container ? container->Restore(destination, 0, nullptr, 0, 0)
                                             : kRestoreNotAttempted;
            for (const ItemAuditOutcome& outcome : RestoreOutcomes(item, result, destination))
                WriteAuditEntry(ItemAuditEntry(AuditOperation::Collection, item, outcome));
        }
    }
}
