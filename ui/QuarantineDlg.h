#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audit/AuditTrail.h"
#include "framework/Wnd.h"
#include "quarantine/ZEBQtWrapper.h"
#include "res/resource.h"
#include "scanner/ZEBScanPWrapper.h"
#include "settings/Policies.h"
#include "ui/ColumnSort.h"
#include "ui/PolicyControls.h"
#include "ui/ResizingDialog.h"

class CAccessibleNames;
class CPolicyTips;

// The program's one window: the quarantine folder, the list of its quarantine
// files and the commands that bring files back out of the quarantine.
class CQuarantineDlg : public CResizingDialog {
public:
    explicit CQuarantineDlg(CWnd* pParent = nullptr);
    ~CQuarantineDlg() override;

    // How each control follows the window's size.
    static constexpr ResizeAnchor kControlAnchors[] = {
        {IDC_PATH, kResizeStretch, kResizeFixed},
        {IDC_BROWSE, kResizeMove, kResizeFixed},
        {IDC_RELOAD, kResizeMove, kResizeFixed},
        {IDC_QUARANTINE_LIST, kResizeStretch, kResizeStretch},
        {IDC_CLEAN_AND_RESTORE, kResizeFixed, kResizeMove},
        {IDC_RESTORE, kResizeFixed, kResizeMove},
        {IDC_RESTORE_TO_NEW_LOCATION, kResizeFixed, kResizeMove},
        {IDCANCEL, kResizeMove, kResizeMove},
        {IDC_COLLECTION, kResizeFixed, kResizeMove},
    };

    // Restores every file of the quarantine in the source folder into the
    // destination, without any window; the process exit code for the outcome.
    // Where the organisation's policy forbids restoring, nothing is restored.
    int RestoreFromCommandLine(std::wstring source, std::wstring destination);
    // Empties the list and refills it from the quarantine in m_strFolder. A
    // long fill shows its progress with the window disabled; Cancel keeps the
    // rows read so far and says that the list is incomplete.
    void FillQuarantineList();
    // How long a fill runs before its progress comes up.
    static constexpr uint64_t kFillProgressDelayMs = 500;
    // Restores the selected rows (to their former places when the destination
    // is empty), cleaning them on the way when asked.
    void RestoreSelection(bool clean, const std::wstring& destination, bool askDelete);
    // Deletes the selected rows' quarantine files for good, once the user
    // agreed, and refills the list.
    void DeleteSelection();
    // Shows what the row's quarantine file holds in the properties dialog.
    void ShowProperties(int row);

    std::wstring m_strFolder;
    CZEBScanPWrapper m_ScanP;
    CZEBQtWrapper m_ZEBQt;
    CEdit m_edtPath;
    CListCtrl m_lstQuarantine;
    HICON m_hIcon;
    int32_t sortColumn;
    int32_t sortDescending;
    // The rows' texts as they stood when the running sort began; set only
    // while the list control sorts.
    const SortSnapshot* m_pSortSnapshot = nullptr;
    // What the time column sorts by: each time stamp text of the last fill
    // with the moment it shows.
    TimestampMoments m_timestampMoments;
    // The organisation's policies, read as the window is set up, again at
    // each refresh Group Policy announces, and before each command.
    QuarantinePolicy m_policy;

    DECLARE_MESSAGE_MAP()

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowseFolder();
    void OnRestore();
    void OnCleanAndRestore();
    void OnRestoreToNewLocation();
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCollection();
    void OnChangePath();
    void OnReload();
    void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    // point: where the menu was asked for, in screen coordinates; (-1, -1)
    // from the keyboard.
    void OnContextMenu(HWND hWnd, POINT point);
    void OnDelete();
    void OnSelectAll();
    // Ctrl+C: the selected rows as text, a header line first.
    void OnCopy();
    // Alt+Enter and the context menu's "Properties".
    void OnProperties();
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnSettingChange(WPARAM, LPARAM lParam);
    // The first fill, posted by the set-up so that the window shows and
    // paints before the store is read.
    LRESULT OnFillList(WPARAM, LPARAM);

private:
    // Loads both libraries; true when the scanner library is available.
    bool LoadLibraries();
    // After a refill that an operation on the selection caused: the row now
    // standing where its first selected row stood gets the focus and the
    // selection, so that the keyboard goes on from there.
    void FocusAfterRefill(int firstSelectedRow);
    // Refills the list after an operation on the selection or a Reload. The
    // user's sort holds, and the focus and the selection go to the first
    // selected item when it is still listed, else to the item nearest after
    // it in the view that is, by identity rather than by index.
    void RefillKeepingFocus();
    // Sorts the rows by sortColumn in sortDescending's direction and shows
    // the arrows for it.
    void SortRows();
    // One row of the fill for the container, its former place from its
    // first file.
    void InsertRow(const std::wstring& name, CZEBQtWrapper::Container& container);
    // Where files of the selected rows' items would land on a taken name in
    // a restore into destination (empty: their former places).
    std::vector<std::wstring> SelectedFilesInTheWay(const std::wstring& destination);
    // The focus on a control after an operation, never lost.
    void KeepFocus();
    // Disables what the organisation's policy takes away, each with a tip
    // that says why, and gives back what it no longer does.
    void ApplyPolicy();
    // True, once the user has been told and the audit trail has the
    // refusal, when the policy does not allow the operation.
    bool RefusedByPolicy(AuditOperation operation,
                         const std::wstring& destination = std::wstring());
    // The selected rows' quarantine file names, for a refusal's entry.
    std::wstring SelectedNames() const;

    std::unique_ptr<CAccessibleNames> m_pAccessibleNames;
    std::unique_ptr<CPolicyTips> m_pPolicyTips;
    // What the policy took away: controls, and commands of the list's menu.
    std::vector<PolicyControl> m_takenAway;
    // A fill handles the window's messages while it reads; none of them may
    // start another.
    bool m_bFilling = false;
};

// Posted to the main dialog to fill its list.
constexpr UINT kFillListMessage = WM_APP + 1;
