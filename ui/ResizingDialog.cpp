// The size-grip bitmap id is one of the OEM resources.
#ifndef OEMRESOURCE
#define OEMRESOURCE
#endif

#include "ui/ResizingDialog.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/DpiScale.h"

namespace {

int Width(const RECT& rc) {
    return rc.right - rc.left;
}
int Height(const RECT& rc) {
    return rc.bottom - rc.top;
}

// The platform's grip bitmap comes in its 96-DPI size; on a finer screen it
// is stretched by the same factor as every other measure the program sets.
HGDIOBJ ScaledGripBitmap(HBITMAP hBitmap, int dpi) {
    BITMAP info = {};
    if (hBitmap == nullptr || ::GetObjectW(hBitmap, sizeof info, &info) == 0) return hBitmap;
    const int width = ScaleToDpi(info.bmWidth, dpi);
    const int height = ScaleToDpi(info.bmHeight, dpi);
    if (width == info.bmWidth && height == info.bmHeight) return hBitmap;
    HANDLE hScaled = ::CopyImage(hBitmap, IMAGE_BITMAP, width, height, LR_COPYDELETEORG);
    return hScaled != nullptr ? static_cast<HGDIOBJ>(hScaled) : hBitmap;
}

}  // namespace

CResizingDialog::CResizingDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

CResizingDialog::~CResizingDialog() {
    // A modal dialog that has ended took the grip down with it; only a live
    // dialog still has one to destroy.
    if (m_hWnd != nullptr && m_wndGrip.m_hWnd != nullptr && ::IsChild(m_hWnd, m_wndGrip.m_hWnd))
        ::DestroyWindow(m_wndGrip.m_hWnd);
    m_wndGrip.Detach();
    m_bmpGrip.Reset();
    m_Items.clear();
}

BEGIN_MESSAGE_MAP(CResizingDialog, CDialog)
ON_WM_SIZE()
ON_WM_GETMINMAXINFO()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CResizingDialog::AddControl(int nID, int nHorzMode, int nVertMode, bool bExcludeFromErase,
                                 int nBandStart, int nBandReserve) {
    // An id that names no child would register a rectangle of nothing.
    HWND hCtrl = GetDlgItem(nID);
    if (hCtrl == nullptr) return;
    RECT rc = {};
    ::GetWindowRect(hCtrl, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    m_Items.push_back(MakeResizeItem(nID, nHorzMode, nVertMode, rc, bExcludeFromErase, nBandStart,
                                     nBandReserve, Width(m_rcReference), Height(m_rcReference)));
}

void CResizingDialog::AllowResize(int horizontal, int vertical) {
    m_bAllowHorz = horizontal;
    m_bAllowVert = vertical;
}

BOOL CResizingDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    // A dialog object that is run again starts over with a new window.
    m_Items.clear();

    ::GetWindowRect(m_hWnd, &m_rcReference);
    m_nInitialWidth = Width(m_rcReference);
    m_nInitialHeight = Height(m_rcReference);

    m_bmpGrip.Reset(
        ScaledGripBitmap(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(OBM_SIZE)), WindowDpi(m_hWnd)));
    m_wndGrip.Attach(
        ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 10, 10,
                          m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_SIZE_GRIP)),
                          AfxGetResourceHandle(), nullptr));
    m_wndGrip.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bmpGrip.Get()));

    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);
    RECT rcGrip = {};
    ::GetWindowRect(m_wndGrip.m_hWnd, &rcGrip);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcGrip), 2);
    ::SetWindowPos(m_wndGrip.m_hWnd, nullptr, rcGrip.left + rcClient.right - rcGrip.right,
                   rcGrip.top + rcClient.bottom - rcGrip.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    AddControl(IDC_SIZE_GRIP, kResizeMove, kResizeMove, true, 0, 0);
    m_bLayoutActive = true;
    return TRUE;
}

void CResizingDialog::OnSize(UINT, int, int) {
    Default();
    if (m_Items.empty()) return;

    RECT rcNow = {};
    ::GetWindowRect(m_hWnd, &rcNow);
    const ResizeChange change = {Width(rcNow) - Width(m_rcReference),
                                 Height(rcNow) - Height(m_rcReference), Width(rcNow),
                                 Height(rcNow)};

    HDWP hdwp = ::BeginDeferWindowPos(20);
    for (ResizeItem& item : m_Items) {
        const RECT rc = LayoutResizeItem(item, change);
        if (::EqualRect(&rc, &item.rc)) continue;
        HWND hCtrl = GetDlgItem(item.nID);
        // A control's old pixels are not carried to its new place: the dialog
        // does not clip its children, so the erase of what its growth
        // uncovered paints over copied pixels that nothing then redraws, and
        // a stretched list would keep its header's old right end. Each
        // control the batch changes is repainted whole instead.
        if (hdwp != nullptr && hCtrl != nullptr)
            hdwp = ::DeferWindowPos(hdwp, hCtrl, nullptr, rc.left, rc.top, Width(rc), Height(rc),
                                    SWP_NOZORDER | SWP_NOCOPYBITS);
        item.rc = rc;
    }
    if (hdwp != nullptr) ::EndDeferWindowPos(hdwp);
    m_rcReference = rcNow;
}

void CResizingDialog::OnGetMinMaxInfo(MINMAXINFO* pInfo) {
    if (!m_bLayoutActive || pInfo == nullptr) return;
    pInfo->ptMinTrackSize.x = m_nInitialWidth;
    pInfo->ptMinTrackSize.y = m_nInitialHeight;
    if (!m_bAllowHorz) {
        pInfo->ptMaxSize.x = m_nInitialWidth;
        pInfo->ptMaxTrackSize.x = m_nInitialWidth;
    }
    if (!m_bAllowVert) {
        pInfo->ptMaxSize.y = m_nInitialHeight;
        pInfo->ptMaxTrackSize.y = m_nInitialHeight;
    }
}

BOOL CResizingDialog::OnEraseBkgnd(HDC hDC) {
    for (const ResizeItem& item : m_Items) {
        if (item.nID == IDC_SIZE_GRIP && !::IsWindowVisible(m_wndGrip.m_hWnd)) continue;
        if (item.bExcludeFromErase)
            ::ExcludeClipRect(hDC, item.rc.left, item.rc.top, item.rc.right, item.rc.bottom);
    }
    // The platform erases what is left once this handler returns.
    Default();
    return FALSE;
}
