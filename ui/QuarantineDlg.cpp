#include "ui/QuarantineDlg.h"

#include <unordered_map>
#include <vector>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/CommandLineRestore.h"
#include "restore/PolicyRefusal.h"
#include "settings/Folders.h"
#include "ui/AboutDlg.h"
#include "ui/AccessKeys.h"
#include "ui/AccessibleNames.h"
#include "ui/DpiScale.h"
#include "ui/FolderBrowser.h"
#include "ui/ListColumns.h"
#include "ui/ListFocus.h"
#include "quarantine/ItemText.h"
#include "ui/ListingText.h"
#include "ui/PolicyTips.h"
#include "ui/ProgressWalk.h"
#include "ui/SortArrows.h"

namespace {

class CPaintScope {
public:
    explicit CPaintScope(HWND hWnd) : m_hWnd(hWnd), m_hDC(::BeginPaint(hWnd, &m_ps)) {}
    ~CPaintScope() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;
    HDC GetDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps = {};
    HDC m_hDC;
};

// Holds a flag set for as long as it lives.
class CFlagScope {
public:
    explicit CFlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CFlagScope() { m_flag = false; }
    CFlagScope(const CFlagScope&) = delete;
    CFlagScope& operator=(const CFlagScope&) = delete;

private:
    bool& m_flag;
};

}  // namespace

CQuarantineDlg::CQuarantineDlg(CWnd* pParent)
    : CResizingDialog(IDD_QUARANTINE_DIALOG, pParent),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      // The fill lists the rows by the first column, ascending, and the arrows
      // say so: a first click there reverses it, as on any sorted column.
      sortColumn(kColumnQuarantineFile),
      sortDescending(0) {}

CQuarantineDlg::~CQuarantineDlg() {
    m_ScanP.Unload();
    m_lstQuarantine.Detach();
    m_edtPath.Detach();
    m_ZEBQt.Unload();
}

BEGIN_MESSAGE_MAP(CQuarantineDlg, CResizingDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_BROWSE, &CQuarantineDlg::OnBrowseFolder)
ON_BN_CLICKED(IDC_RESTORE, &CQuarantineDlg::OnRestore)
ON_BN_CLICKED(IDC_CLEAN_AND_RESTORE, &CQuarantineDlg::OnCleanAndRestore)
ON_BN_CLICKED(IDC_RESTORE_TO_NEW_LOCATION, &CQuarantineDlg::OnRestoreToNewLocation)
ON_NOTIFY(LVN_COLUMNCLICK, IDC_QUARANTINE_LIST, &CQuarantineDlg::OnColumnClick)
ON_BN_CLICKED(IDC_COLLECTION, &CQuarantineDlg::OnCollection)
ON_EN_CHANGE(IDC_PATH, &CQuarantineDlg::OnChangePath)
ON_BN_CLICKED(IDC_RELOAD, &CQuarantineDlg::OnReload)
ON_NOTIFY(LVN_KEYDOWN, IDC_QUARANTINE_LIST, &CQuarantineDlg::OnListKeyDown)
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_LIST_DELETE, &CQuarantineDlg::OnDelete)
ON_COMMAND(ID_LIST_SELECT_ALL, &CQuarantineDlg::OnSelectAll)
ON_COMMAND(ID_LIST_PROPERTIES, &CQuarantineDlg::OnProperties)
ON_WM_DESTROY()
ON_WM_SIZE()
ON_MESSAGE(WM_SETTINGCHANGE, &CQuarantineDlg::OnSettingChange)
ON_MESSAGE(kFillListMessage, &CQuarantineDlg::OnFillList)
END_MESSAGE_MAP()

void CQuarantineDlg::DoDataExchange() {
    m_edtPath.Attach(GetDlgItem(IDC_PATH));
    m_lstQuarantine.Attach(GetDlgItem(IDC_QUARANTINE_LIST));
}

BOOL CQuarantineDlg::OnInitDialog() {
    CResizingDialog::OnInitDialog();

    if (HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        const std::wstring about = AfxLoadString(IDS_ABOUTBOX);
        if (!about.empty()) {
            ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    if (!LoadLibraries()) AfxMessageBox(IDS_SCANNER_NOT_INSTALLED, MB_ICONEXCLAMATION);

    // Label tips show a cell's whole text on hover where its column cuts it.
    m_lstQuarantine.SetExtendedStyle(m_lstQuarantine.GetExtendedStyle() | LVS_EX_FULLROWSELECT |
                                     LVS_EX_LABELTIP);
    const int dpi = WindowDpi(m_hWnd);
    for (const ListColumnSpec& column : kListColumns)
        m_lstQuarantine.InsertColumn(column.id, AfxLoadString(column.nHeading), LVCFMT_LEFT,
                                     ScaleToDpi(column.nWidth, dpi));

    // The label right before the list names it for a reader that follows
    // labels; the list's own window text, which it never shows, names it for
    // one that asks the control itself.
    m_lstQuarantine.SetWindowText(
        TextWithoutAccessKey(CWnd(GetDlgItem(IDC_LIST_LABEL)).GetWindowText()));

    // Three dots tell a screen reader nothing; the button keeps its text.
    m_pAccessibleNames.reset(new CAccessibleNames());
    m_pAccessibleNames->SetName(GetDlgItem(IDC_BROWSE), AfxLoadString(IDS_BROWSE_NAME));

    m_policy = ReadQuarantinePolicy();
    m_strFolder = StartingQuarantineFolder(m_policy);
    m_edtPath.SetWindowText(m_strFolder);

    // A large store takes seconds to read: the window comes first.
    ::PostMessageW(m_hWnd, kFillListMessage, 0, 0);

    AddControls(kControlAnchors);
    AllowResize(1, 1);
    ApplyPolicy();
    return TRUE;
}

void CQuarantineDlg::OnSize(UINT nType, int cx, int cy) {
    CResizingDialog::OnSize(nType, cx, cy);
    if (m_pPolicyTips) m_pPolicyTips->FollowControls();
}

LRESULT CQuarantineDlg::OnFillList(WPARAM, LPARAM) {
    // The posted message comes before the first WM_PAINT, which waits for an
    // empty queue.
    ::UpdateWindow(m_hWnd);
    FillQuarantineList();
    return 0;
}

void CQuarantineDlg::OnDestroy() {
    // The annotations go while the controls they name still exist.
    if (m_pAccessibleNames) m_pAccessibleNames->Clear();
    Default();
}

bool CQuarantineDlg::LoadLibraries() {
    const std::wstring engineA = AfxLoadString(IDS_ENGINE_A);
    const std::wstring engineB = AfxLoadString(IDS_ENGINE_B);
    const bool scanner = m_ScanP.Load(engineA, engineB);
    m_ZEBQt.Load(std::wstring());
    if (!m_ZEBQt.m_hModule || m_ZEBQt.m_bEntryPointMissing)
        AfxMessageBox(IDS_UPDATE_REQUIRED, MB_ICONEXCLAMATION);
    return scanner;
}

void CQuarantineDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    } else {
        Default();
    }
}

void CQuarantineDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintScope paint(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.GetDC()));
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.GetDC(), x, y, m_hIcon);
}

HCURSOR CQuarantineDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CQuarantineDlg::OnBrowseFolder() {
    // The folder the organisation's policy sets is the only one.
    if (PolicyInForce(m_policy, PolicyId::QuarantineFolder)) return;
    std::wstring folder;
    if (!BrowseForQuarantineFolder(m_hWnd, &folder)) return;
    m_strFolder = folder;
    m_edtPath.SetWindowText(m_strFolder);
    FillQuarantineList();
    StoreQuarantineFolder(m_strFolder);
    KeepFocus();
}

void CQuarantineDlg::OnChangePath() {}

BOOL CQuarantineDlg::PreTranslateMessage(MSG* pMsg) {
    if (!::IsWindowEnabled(m_hWnd)) return FALSE;
    // Alt+Enter on the list opens the properties, as it does in Explorer. The
    // list itself never sees Alt with a key, and the dialog would look for
    // an access key and beep.
    if (pMsg->message == WM_SYSKEYDOWN && pMsg->wParam == VK_RETURN &&
        pMsg->hwnd == m_lstQuarantine.GetSafeHwnd()) {
        OnProperties();
        return TRUE;
    }
    // F5 reloads wherever the focus is, the path box included, and before the
    // control that has it sees the key. A disabled dialog is busy with a
    // message box or a long walk and reloads nothing.
    if (pMsg->message != WM_KEYDOWN || pMsg->wParam != VK_F5) return FALSE;
    // As in the list, only F5 alone reloads.
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return FALSE;
    OnReload();
    return TRUE;
}

void CQuarantineDlg::OnReload() {
    m_strFolder = PolicyInForce(m_policy, PolicyId::QuarantineFolder)
                      ? StartingQuarantineFolder(m_policy)
                      : m_edtPath.GetWindowText();
    RefillKeepingFocus();
    KeepFocus();
}

void CQuarantineDlg::RefillKeepingFocus() {
    const int firstSelected = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED);
    std::vector<std::wstring> candidates;
    for (const int row : FocusCandidateRows(firstSelected, m_lstQuarantine.GetItemCount()))
        candidates.push_back(m_lstQuarantine.GetItemText(row, kColumnQuarantineFile));
    FillQuarantineList();
    if (firstSelected < 0) return;
    // A folder's quarantine files have distinct names.
    std::unordered_map<std::wstring, int> rows;
    for (int row = 0; row < m_lstQuarantine.GetItemCount(); ++row)
        rows.emplace(m_lstQuarantine.GetItemText(row, kColumnQuarantineFile), row);
    for (const std::wstring& name : candidates) {
        const auto found = rows.find(name);
        if (found == rows.end()) continue;
        FocusListRow(m_lstQuarantine.GetSafeHwnd(), found->second, true);
        return;
    }
    FocusAfterRefill(firstSelected);
}

void CQuarantineDlg::FocusAfterRefill(int firstSelectedRow) {
    const int row = RowToFocusAfterRefill(firstSelectedRow, m_lstQuarantine.GetItemCount());
    FocusListRow(m_lstQuarantine.GetSafeHwnd(), row, firstSelectedRow >= 0);
}

void CQuarantineDlg::KeepFocus() {
    KeepFocusInDialog(m_hWnd, m_lstQuarantine.GetSafeHwnd());
}

void CQuarantineDlg::FillQuarantineList() {
    if (m_bFilling) return;
    CFlagScope filling(m_bFilling);
    // Emptying an empty list would only make it wait to be painted again.
    if (m_lstQuarantine.GetItemCount() > 0) m_lstQuarantine.DeleteAllItems();
    m_timestampMoments.Clear();
    m_strFolder = QuarantineFolderPath(m_strFolder);

    CZEBQtWrapper::QuarantinePtr quarantine = m_ZEBQt.OpenQuarantine(m_strFolder);
    if (!quarantine) return;
    // Reading the containers is nearly all of a fill's time; listing them is
    // the second, short stage under the same progress.
    CProgressWalk progress(m_hWnd, IDS_PROGRESS_FILL, 0, kFillProgressDelayMs);
    bool complete = true;
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
    if (!quarantine->EnumContainers(containers, [&](const CZEBQtWrapper::Container& container) {
            complete = progress.Next(QuarantineFileName(container.m_strFilePath));
            return complete;
        }))
        return;
    if (!::IsWindow(m_hWnd)) return;

    std::vector<std::wstring> names;
    names.reserve(containers.size());
    for (const CZEBQtWrapper::ContainerPtr& container : containers) {
        names.push_back(QuarantineFileName(container->m_strFilePath));
        ::OutputDebugStringW((L"Load: " + names.back() + L"\n").c_str());
    }

    progress.Restart(names.size());
    {
        CRedrawSuspension noRedraw(m_lstQuarantine);
        for (const size_t index : DescendingInsertionOrder(names)) {
            // Once cancelled, the rows read so far are all listed.
            if (complete && !progress.Next(names[index])) {
                complete = false;
                break;
            }
            InsertRow(names[index], *containers[index]);
        }
    }
    progress.End();
    if (!::IsWindow(m_hWnd)) return;
    // The list control orders the rows by their first column as they come in;
    // any other sort the user chose is made again, so that the rows, the
    // arrows and the next click agree.
    if (sortColumn == kColumnQuarantineFile && sortDescending == 0)
        ShowSortArrows(m_lstQuarantine.GetSafeHwnd(), kColumnQuarantineFile, false);
    else
        SortRows();
    // The top row takes the list's focus, unselected: a list without a
    // focused row shows no focus at all when the keyboard reaches it.
    FocusListRow(m_lstQuarantine.GetSafeHwnd(),
                 RowToFocusAfterRefill(-1, m_lstQuarantine.GetItemCount()), false);
    if (progress.Cancelled())
        AfxMessageBox(FillCounts(AfxLoadString(IDS_LIST_INCOMPLETE),
                                 {static_cast<uint64_t>(m_lstQuarantine.GetItemCount())}),
                      MB_ICONINFORMATION);
}

void CQuarantineDlg::InsertRow(const std::wstring& name, CZEBQtWrapper::Container& container) {
    const int row = m_lstQuarantine.InsertItem(m_lstQuarantine.GetItemCount(), name);
    if (row < 0) return;
    m_lstQuarantine.SetItemText(row, kColumnVirus, container.m_strVirus);
    int64_t moment = 0;
    const std::wstring timestamp = TimestampText(container.m_Time, &moment);
    m_timestampMoments.Add(timestamp, moment);
    FormerLocation former;
    std::vector<CZEBQtWrapper::FileObjectPtr> objects;
    if (container.EnumObjects(objects) && !objects.empty())
        former = SplitFormerPath(objects.front()->m_strOrigPath);
    m_lstQuarantine.SetItemText(row, kColumnFileName, former.fileName);
    m_lstQuarantine.SetItemText(row, kColumnPath, former.folder);
    m_lstQuarantine.SetItemText(row, kColumnTimestamp, timestamp);
}

int CQuarantineDlg::RestoreFromCommandLine(std::wstring source, std::wstring destination) {
    const QuarantinePolicy policy = ReadQuarantinePolicy();
    PolicyId id = PolicyId::DisallowRestore;
    if (PolicyRefuses(policy, AuditOperation::CommandLineRestore, &id)) {
        WriteAuditEntry(PolicyRefusalEntry(AuditOperation::CommandLineRestore,
                                           PolicyRefusalText(policy, id), std::wstring(),
                                           destination));
        return kCommandLineRefusedByPolicy;
    }
    return RestoreQuarantineInto(m_ZEBQt, source, destination);
}
