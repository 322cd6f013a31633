#include <windows.h>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "restore/PolicyRefusal.h"
#include "settings/Folders.h"
#include "ui/AccessibleNames.h"
#include "ui/DpiScale.h"
#include "ui/ListColumns.h"
#include "ui/PolicyTips.h"
#include "ui/QuarantineDlg.h"

// What the organisation's policies take away from the window, and the
// refusal of a command they forbid.

namespace {

// The path box stays readable and keeps the focus it has; only its text is
// fixed. Every other control is disabled.
void TakeAway(HWND hControl, bool away) {
    if (::GetDlgCtrlID(hControl) == IDC_PATH)
        ::SendMessageW(hControl, EM_SETREADONLY, away ? TRUE : FALSE, 0);
    else
        ::EnableWindow(hControl, away ? FALSE : TRUE);
}

}  // namespace

void CQuarantineDlg::ApplyPolicy() {
    // What an earlier policy took away comes back first, so that a refresh
    // lifts a policy as well as it sets one. The list's menu commands have
    // no control of their own.
    for (const PolicyControl& control : m_takenAway) {
        if (HWND hControl = GetDlgItem(static_cast<int>(control.nID))) {
            TakeAway(hControl, false);
            m_pAccessibleNames->ClearDescription(hControl);
        }
    }
    m_pPolicyTips.reset();
    m_takenAway = ControlsTakenAway(m_policy);
    if (m_takenAway.empty()) return;
    m_pPolicyTips.reset(new CPolicyTips());
    m_pPolicyTips->Create(m_hWnd, ScaleToDpi(360, WindowDpi(m_hWnd)));
    for (const PolicyControl& control : m_takenAway) {
        if (HWND hControl = GetDlgItem(static_cast<int>(control.nID))) {
            TakeAway(hControl, true);
            const std::wstring tip = AfxLoadString(control.nTip);
            m_pPolicyTips->Add(hControl, tip);
            m_pAccessibleNames->SetDescription(hControl, tip);
        }
    }
}

LRESULT CQuarantineDlg::OnSettingChange(WPARAM, LPARAM lParam) {
    // Group Policy announces a refresh of the policies this way; the window
    // follows at once, the list included when the folder it sets changed.
    const wchar_t* area = reinterpret_cast<const wchar_t*>(lParam);
    Default();
    if (area == nullptr || ::lstrcmpiW(area, L"Policy") != 0 || m_bFilling) return 0;
    const std::wstring folder = m_policy.Folder(PolicyId::QuarantineFolder);
    m_policy = ReadQuarantinePolicy();
    ApplyPolicy();
    const std::wstring newFolder = m_policy.Folder(PolicyId::QuarantineFolder);
    if (!newFolder.empty() && newFolder != folder) {
        m_strFolder = StartingQuarantineFolder(m_policy);
        m_edtPath.SetWindowText(m_strFolder);
        FillQuarantineList();
    }
    // A button that had the focus may be grey now.
    KeepFocus();
    return 0;
}

bool CQuarantineDlg::RefusedByPolicy(AuditOperation operation, const std::wstring& destination) {
    PolicyId policy = PolicyId::DisallowRestore;
    // As the policies stand now: a refresh may not have been announced yet.
    m_policy = ReadQuarantinePolicy();
    if (!PolicyRefuses(m_policy, operation, &policy)) return false;
    WriteAuditEntry(PolicyRefusalEntry(operation, PolicyRefusalText(m_policy, policy),
                                       SelectedNames(), destination));
    for (const PolicyControl& control : kPolicyControls) {
        if (control.policy != policy) continue;
        AfxMessageBox(control.nTip, MB_ICONEXCLAMATION);
        break;
    }
    KeepFocus();
    return true;
}

std::wstring CQuarantineDlg::SelectedNames() const {
    std::wstring names;
    for (int row = m_lstQuarantine.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_lstQuarantine.GetNextItem(row, LVNI_SELECTED))
        names +=
            (names.empty() ? L"" : L", ") + m_lstQuarantine.GetItemText(row, kColumnQuarantineFile);
    return names;
}
