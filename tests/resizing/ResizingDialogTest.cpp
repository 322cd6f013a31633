#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "res/resource.h"
#include "ui/QuarantineDlg.h"
#include "ui/ResizingDialog.h"

namespace {

const int kControls[] = {IDC_PATH,
                         IDC_BROWSE,
                         IDC_RELOAD,
                         IDC_QUARANTINE_LIST,
                         IDC_CLEAN_AND_RESTORE,
                         IDC_RESTORE,
                         IDC_RESTORE_TO_NEW_LOCATION,
                         IDCANCEL,
                         IDC_COLLECTION};

MINMAXINFO SentinelMinMax() {
    MINMAXINFO mmi = {};
    mmi.ptReserved = {1, 2};
    mmi.ptMaxSize = {3001, 3002};
    mmi.ptMaxPosition = {-7, -8};
    mmi.ptMinTrackSize = {11, 12};
    mmi.ptMaxTrackSize = {4001, 4002};
    return mmi;
}

bool SameMinMax(const MINMAXINFO& a, const MINMAXINFO& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

// The main dialog's template with the main dialog's registrations.
class CTestDialog : public CResizingDialog {
public:
    CTestDialog(int allowHorz, int allowVert)
        : CResizingDialog(IDD_QUARANTINE_DIALOG, nullptr),
          m_nAllowHorz(allowHorz),
          m_nAllowVert(allowVert) {}

    using CResizingDialog::OnGetMinMaxInfo;
    const std::vector<ResizeItem>& Items() const { return m_Items; }

    MINMAXINFO m_mmiBeforeInit = {};

protected:
    BOOL OnInitDialog() override {
        m_mmiBeforeInit = SentinelMinMax();
        SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&m_mmiBeforeInit));
        CResizingDialog::OnInitDialog();
        AddControls(CQuarantineDlg::kControlAnchors);
        AllowResize(m_nAllowHorz, m_nAllowVert);
        return TRUE;
    }

private:
    int m_nAllowHorz;
    int m_nAllowVert;
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

RECT ChildRect(HWND hDlg, int nID) {
    RECT rc = {};
    ::GetWindowRect(::GetDlgItem(hDlg, nID), &rc);
    ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::map<int, RECT> AllChildRects(HWND hDlg) {
    std::map<int, RECT> rects;
    for (int id : kControls) rects[id] = ChildRect(hDlg, id);
    rects[IDC_SIZE_GRIP] = ChildRect(hDlg, IDC_SIZE_GRIP);
    return rects;
}

SIZE WindowSize(HWND hWnd) {
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void ExpectSameRects(const std::map<int, RECT>& expected, const std::map<int, RECT>& actual) {
    for (const auto& [id, rc] : expected) {
        const RECT& got = actual.at(id);
        EXPECT_TRUE(::EqualRect(&rc, &got))
            << "control " << id << ": expected (" << rc.left << "," << rc.top << "," << rc.right
            << "," << rc.bottom << ") got (" << got.left << "," << got.top << "," << got.right
            << "," << got.bottom << ")";
    }
}

// Counts the moves and resizes each child is asked to make. A list view also
// repositions itself with neither when its scroll bars come and go.
LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
    if (message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
            ++(*reinterpret_cast<std::map<HWND, int>*>(data))[hWnd];
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

class ResizingDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
    }

    void Open(int allowHorz = 1, int allowVert = 1) {
        m_pDlg = std::make_unique<CTestDialog>(allowHorz, allowVert);
        ASSERT_TRUE(m_pDlg->Create());
        m_hDlg = m_pDlg->GetSafeHwnd();
        Pump();
        m_start = WindowSize(m_hDlg);
        m_startRects = AllChildRects(m_hDlg);
    }

    void TearDown() override {
        m_pDlg.reset();
        Pump();
    }

    void ResizeBy(int dW, int dH) {
        ::SetWindowPos(m_hDlg, nullptr, 0, 0, m_start.cx + dW, m_start.cy + dH,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
    }

    void ExpectGripInCorner() {
        RECT client = {};
        ::GetClientRect(m_hDlg, &client);
        const RECT grip = ChildRect(m_hDlg, IDC_SIZE_GRIP);
        EXPECT_EQ(grip.right, client.right);
        EXPECT_EQ(grip.bottom, client.bottom);
        EXPECT_GT(grip.right - grip.left, 0);
        EXPECT_GT(grip.bottom - grip.top, 0);
    }

    MINMAXINFO QueryMinMax() {
        MINMAXINFO mmi = SentinelMinMax();
        ::SendMessageW(m_hDlg, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        return mmi;
    }

    std::unique_ptr<CTestDialog> m_pDlg;
    HWND m_hDlg = nullptr;
    SIZE m_start = {};
    std::map<int, RECT> m_startRects;
};

}  // namespace

TEST_F(ResizingDialogTest, GrowingMovesAndStretchesTheMainDialogsControls) {
    Open();
    ResizeBy(100, 50);
    const SIZE now = WindowSize(m_hDlg);
    ASSERT_EQ(now.cx, m_start.cx + 100);
    ASSERT_EQ(now.cy, m_start.cy + 50);

    // Change of left, top, right, bottom for each control.
    const std::map<int, RECT> shift = {
        {IDC_PATH, {0, 0, 100, 0}},
        {IDC_BROWSE, {100, 0, 100, 0}},
        {IDC_RELOAD, {100, 0, 100, 0}},
        {IDC_QUARANTINE_LIST, {0, 0, 100, 50}},
        {IDC_CLEAN_AND_RESTORE, {0, 50, 0, 50}},
        {IDC_RESTORE, {0, 50, 0, 50}},
        {IDC_RESTORE_TO_NEW_LOCATION, {0, 50, 0, 50}},
        {IDCANCEL, {100, 50, 100, 50}},
        {IDC_COLLECTION, {0, 50, 0, 50}},
        {IDC_SIZE_GRIP, {100, 50, 100, 50}},
    };
    std::map<int, RECT> expected;
    for (const auto& [id, d] : shift) {
        const RECT& rc = m_startRects.at(id);
        expected[id] =
            RECT{rc.left + d.left, rc.top + d.top, rc.right + d.right, rc.bottom + d.bottom};
    }
    ExpectSameRects(expected, AllChildRects(m_hDlg));

    // The items hold what the layout computed, which is where the controls are.
    ASSERT_EQ(m_pDlg->Items().size(), 10u);
    EXPECT_EQ(m_pDlg->Items().front().nID, IDC_SIZE_GRIP);
    for (const ResizeItem& item : m_pDlg->Items()) {
        const RECT rc = ChildRect(m_hDlg, item.nID);
        EXPECT_TRUE(::EqualRect(&rc, &item.rc)) << item.nID;
    }
}

TEST_F(ResizingDialogTest, ReturningToAnEarlierSizeRestoresEveryRectangle) {
    Open();
    ResizeBy(100, 50);
    const std::map<int, RECT> grown = AllChildRects(m_hDlg);
    ResizeBy(333, 211);
    ResizeBy(1, 0);
    ResizeBy(100, 50);
    ExpectSameRects(grown, AllChildRects(m_hDlg));
    ResizeBy(0, 0);
    ExpectSameRects(m_startRects, AllChildRects(m_hDlg));

    // Minimising shrinks the window far below what the controls need; the
    // layout must still come back intact.
    ResizeBy(100, 50);
    ::ShowWindow(m_hDlg, SW_MINIMIZE);
    Pump();
    ::ShowWindow(m_hDlg, SW_RESTORE);
    Pump();
    ASSERT_EQ(WindowSize(m_hDlg).cx, m_start.cx + 100);
    ExpectSameRects(grown, AllChildRects(m_hDlg));
}

TEST_F(ResizingDialogTest, OnlyControlsWhoseRectangleChangesAreMoved) {
    Open();
    std::map<HWND, int> moves;
    std::vector<HWND> children;
    for (const auto& entry : m_startRects) children.push_back(::GetDlgItem(m_hDlg, entry.first));
    for (HWND h : children)
        ASSERT_TRUE(::SetWindowSubclass(h, CountingProc, 1, reinterpret_cast<DWORD_PTR>(&moves)));

    RECT rc = {};
    ::GetWindowRect(m_hDlg, &rc);
    ::SetWindowPos(m_hDlg, nullptr, rc.left + 37, rc.top + 23, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    ::GetWindowRect(m_hDlg, &rc);
    ::SetWindowPos(m_hDlg, nullptr, rc.left - 37, rc.top - 23, rc.right - rc.left,
                   rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    // A size message without a size change is a layout pass with nothing to do.
    ::SendMessageW(m_hDlg, WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_TRUE(moves.empty());
    ExpectSameRects(m_startRects, AllChildRects(m_hDlg));

    // Wider only: the bottom row keeps its place and is left out.
    ResizeBy(60, 0);
    for (int id : {IDC_CLEAN_AND_RESTORE, IDC_RESTORE, IDC_RESTORE_TO_NEW_LOCATION, IDC_COLLECTION})
        EXPECT_EQ(moves[::GetDlgItem(m_hDlg, id)], 0) << id;
    for (int id : {IDC_PATH, IDC_BROWSE, IDC_RELOAD, IDC_QUARANTINE_LIST, IDCANCEL, IDC_SIZE_GRIP})
        EXPECT_EQ(moves[::GetDlgItem(m_hDlg, id)], 1) << id;

    for (HWND h : children) ::RemoveWindowSubclass(h, CountingProc, 1);
}

TEST_F(ResizingDialogTest, StartingSizeIsTheMinimum) {
    Open();
    const MINMAXINFO mmi = QueryMinMax();
    EXPECT_EQ(mmi.ptMinTrackSize.x, m_start.cx);
    EXPECT_EQ(mmi.ptMinTrackSize.y, m_start.cy);
    MINMAXINFO rest = mmi;
    rest.ptMinTrackSize = SentinelMinMax().ptMinTrackSize;
    EXPECT_TRUE(SameMinMax(rest, SentinelMinMax()));

    // Also after the window has grown: the minimum is the starting size, not
    // the size of the last layout pass.
    ResizeBy(120, 80);
    EXPECT_EQ(QueryMinMax().ptMinTrackSize.x, m_start.cx);
    EXPECT_EQ(QueryMinMax().ptMinTrackSize.y, m_start.cy);

    // A sizing border makes the platform apply the limits to every size
    // request, so asking for less than the start stops at the start.
    ResizeBy(-200, -150);
    EXPECT_EQ(WindowSize(m_hDlg).cx, m_start.cx);
    EXPECT_EQ(WindowSize(m_hDlg).cy, m_start.cy);
    ExpectSameRects(m_startRects, AllChildRects(m_hDlg));
}

TEST_F(ResizingDialogTest, AxisThatMayNotGrowIsCappedAtItsStartingSize) {
    Open(0, 1);
    const MINMAXINFO mmi = QueryMinMax();
    EXPECT_EQ(mmi.ptMaxSize.x, m_start.cx);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, m_start.cx);
    EXPECT_EQ(mmi.ptMaxSize.y, SentinelMinMax().ptMaxSize.y);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, SentinelMinMax().ptMaxTrackSize.y);
    EXPECT_EQ(mmi.ptMaxPosition.x, SentinelMinMax().ptMaxPosition.x);

    ResizeBy(150, 90);
    EXPECT_EQ(WindowSize(m_hDlg).cx, m_start.cx);
    EXPECT_EQ(WindowSize(m_hDlg).cy, m_start.cy + 90);

    ::ShowWindow(m_hDlg, SW_MAXIMIZE);
    Pump();
    EXPECT_EQ(WindowSize(m_hDlg).cx, m_start.cx);
    EXPECT_GT(WindowSize(m_hDlg).cy, m_start.cy + 90);
    ExpectGripInCorner();
}

TEST_F(ResizingDialogTest, GripStaysInTheBottomRightCorner) {
    Open();
    ExpectGripInCorner();
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(m_hDlg, IDC_SIZE_GRIP)));
    EXPECT_NE(::SendMessageW(::GetDlgItem(m_hDlg, IDC_SIZE_GRIP), STM_GETIMAGE, IMAGE_BITMAP, 0),
              0);
    for (const SIZE d :
         {SIZE{100, 50}, SIZE{1, 0}, SIZE{0, 1}, SIZE{517, 302}, SIZE{13, 7}, SIZE{0, 0}}) {
        ResizeBy(d.cx, d.cy);
        ExpectGripInCorner();
    }
}

TEST_F(ResizingDialogTest, BackgroundEraseLeavesTheGripAlone) {
    Open();
    RECT client = {};
    ::GetClientRect(m_hDlg, &client);
    const RECT grip = ChildRect(m_hDlg, IDC_SIZE_GRIP);
    const POINT inGrip = {grip.left + 2, grip.bottom - 2};
    const POINT outside = {grip.left - 3, grip.bottom - 2};
    const COLORREF marker = RGB(255, 0, 255);

    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, client.right, client.bottom);
    ::ReleaseDC(nullptr, hScreen);
    HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
    auto eraseOverMarker = [&] {
        ::SelectClipRgn(hMem, nullptr);
        HBRUSH hMarker = ::CreateSolidBrush(marker);
        ::FillRect(hMem, &client, hMarker);
        ::DeleteObject(hMarker);
        ::SendMessageW(m_hDlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMem), 0);
    };

    eraseOverMarker();
    EXPECT_EQ(::GetPixel(hMem, inGrip.x, inGrip.y), marker);
    EXPECT_NE(::GetPixel(hMem, outside.x, outside.y), marker);

    // A hidden grip is erased like the rest of the background.
    ::ShowWindow(::GetDlgItem(m_hDlg, IDC_SIZE_GRIP), SW_HIDE);
    eraseOverMarker();
    EXPECT_NE(::GetPixel(hMem, inGrip.x, inGrip.y), marker);

    ::SelectObject(hMem, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
}

TEST_F(ResizingDialogTest, SizeLimitsAreLeftAloneUntilInitialised) {
    Open();
    EXPECT_TRUE(SameMinMax(m_pDlg->m_mmiBeforeInit, SentinelMinMax()));

    CTestDialog unopened(0, 0);
    MINMAXINFO mmi = SentinelMinMax();
    unopened.OnGetMinMaxInfo(&mmi);
    EXPECT_TRUE(SameMinMax(mmi, SentinelMinMax()));
}
