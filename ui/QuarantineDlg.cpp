#include "ui/QuarantineDlg.h"

#include "framework/WinApp.h"
#include "res/resource.h"

CQuarantineDlg::CQuarantineDlg(CWnd* pParent)
    : CResizingDialog(IDD_QUARANTINE_DIALOG, pParent),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      sortColumn(-1),
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
END_MESSAGE_MAP()

void CQuarantineDlg::DoDataExchange() {
    m_edtPath.Attach(GetDlgItem(IDC_PATH));
    m_lstQuarantine.Attach(GetDlgItem(IDC_QUARANTINE_LIST));
}

BOOL CQuarantineDlg::OnInitDialog() {
    CResizingDialog::OnInitDialog();
    LoadLibraries();
    FillQuarantineList();
    return TRUE;
}

bool CQuarantineDlg::LoadLibraries() {
    const bool scanner = m_ScanP.Load(AfxLoadString(IDS_ENGINE_A), AfxLoadString(IDS_ENGINE_B));
    m_ZEBQt.Load(std::wstring());
    if (m_ZEBQt.m_hModule == nullptr || m_ZEBQt.m_bEntryPointMissing)
        AfxMessageBox(IDS_UPDATE_REQUIRED, MB_ICONEXCLAMATION);
    return scanner;
}

void CQuarantineDlg::OnSysCommand(UINT, LPARAM) { Default(); }
void CQuarantineDlg::OnPaint() { Default(); }
HCURSOR CQuarantineDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
void CQuarantineDlg::OnBrowseFolder() {}
void CQuarantineDlg::OnChangePath() {}
void CQuarantineDlg::OnReload() {
    m_strFolder = m_edtPath.GetWindowText();
    FillQuarantineList();
}
void CQuarantineDlg::FillQuarantineList() {}
