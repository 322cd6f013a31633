// Shows the main dialog's template with the main dialog's anchors, grown by
// the width and height given on the command line, for the given number of
// seconds, so that the layout can be looked at or photographed.
// Usage: resizing_showcase [extra-width extra-height [seconds]]
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "res/resource.h"
#include "ui/QuarantineDlg.h"
#include "ui/ResizingDialog.h"

namespace {

class CShowcaseDialog : public CResizingDialog {
public:
    CShowcaseDialog() : CResizingDialog(IDD_QUARANTINE_DIALOG, nullptr) {}

protected:
    BOOL OnInitDialog() override {
        CResizingDialog::OnInitDialog();
        AddControls(CQuarantineDlg::kControlAnchors);
        AllowResize(1, 1);

        HWND hList = GetDlgItem(IDC_QUARANTINE_LIST);
        const wchar_t* headings[] = {L"Quarantine-File", L"Virus", L"Filename", L"Path",
                                     L"Timestamp"};
        for (int i = 0; i < 5; ++i) {
            LVCOLUMNW col = {};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.cx = 120;
            col.pszText = const_cast<wchar_t*>(headings[i]);
            ::SendMessageW(hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        }
        ::SetDlgItemTextW(m_hWnd, IDC_PATH, L"C:\\ProgramData\\Quarantine\\");
        return TRUE;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    const int extraWidth = argc > 2 ? _wtoi(argv[1]) : 0;
    const int extraHeight = argc > 2 ? _wtoi(argv[2]) : 0;
    const int seconds = argc > 3 ? _wtoi(argv[3]) : 5;

    CShowcaseDialog dlg;
    if (!dlg.Create()) return 1;
    HWND hDlg = dlg.GetSafeHwnd();
    RECT rc = {};
    ::GetWindowRect(hDlg, &rc);
    ::SetWindowPos(hDlg, nullptr, 20, 20, rc.right - rc.left + extraWidth,
                   rc.bottom - rc.top + extraHeight, SWP_NOZORDER);

    const DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
    return 0;
}
