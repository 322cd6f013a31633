// The size-grip bitmap id is one of the OEM resources.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/gui/GuiDriver.h"
#include "ui/DpiScale.h"

// The main dialog on a finer screen. A process reads the screen's DPI once,
// when it starts, so each DPI runs the dialog in a child process of this test
// executable started after the prefix's LogPixels was changed.
namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kChildDpi[] = L"QUARANTINE_TEST_DPI";

// Sets the user's LogPixels and puts the earlier value back when it goes.
class CLogPixels {
public:
    CLogPixels() {
        DWORD size = sizeof m_dwSaved;
        m_bSaved = ::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                                  nullptr, &m_dwSaved, &size) == ERROR_SUCCESS;
    }
    ~CLogPixels() {
        if (m_bSaved)
            Set(m_dwSaved);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    CLogPixels(const CLogPixels&) = delete;
    CLogPixels& operator=(const CLogPixels&) = delete;

    void Set(DWORD dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi,
                          sizeof dpi);
    }

private:
    bool m_bSaved = false;
    DWORD m_dwSaved = 0;
};

SIZE ClientSize(HWND hWnd) {
    RECT rc = {};
    ::GetClientRect(hWnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

TEST(HighDpi, ColumnWidthsAndSizeGripScaleAt144And192Dpi) {
    CLogPixels logPixels;
    for (const int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        logPixels.Set(dpi);
        ::SetEnvironmentVariableW(kChildDpi, std::to_wstring(dpi).c_str());
        std::wstring self(MAX_PATH, L'\0');
        self.resize(::GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
        const ProgramRun child = RunProgram(
            self, L"--gtest_also_run_disabled_tests --gtest_filter=HighDpi.DISABLED_InChild");
        ::SetEnvironmentVariableW(kChildDpi, nullptr);
        ASSERT_TRUE(child.finished);
        EXPECT_EQ(child.exitCode, 0u) << "the child's failures are printed above";
    }
}

// Runs only in the child that the test above starts.
TEST(HighDpi, DISABLED_InChild) {
    wchar_t text[16] = {};
    ASSERT_GT(::GetEnvironmentVariableW(kChildDpi, text, 16), 0u);
    const int dpi = std::stoi(text);

    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    ASSERT_TRUE(driver.Create());
    ASSERT_EQ(WindowDpi(driver.Window()), dpi);

    HWND hList = ::GetDlgItem(driver.Window(), IDC_QUARANTINE_LIST);
    const int widths[] = {130, 100, 130, 130, 100};
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(ListView_GetColumnWidth(hList, column), widths[column] * dpi / 96) << column;

    // The grip: the platform's 96-DPI bitmap, scaled, still in the corner.
    HBITMAP hNative = static_cast<HBITMAP>(
        ::LoadImageW(nullptr, MAKEINTRESOURCEW(OBM_SIZE), IMAGE_BITMAP, 0, 0, 0));
    BITMAP native = {};
    ASSERT_NE(::GetObjectW(hNative, sizeof native, &native), 0);
    ::DeleteObject(hNative);
    HWND hGrip = ::GetDlgItem(driver.Window(), IDC_SIZE_GRIP);
    EXPECT_EQ(ClientSize(hGrip).cx, MulDiv(native.bmWidth, dpi, 96));
    EXPECT_EQ(ClientSize(hGrip).cy, MulDiv(native.bmHeight, dpi, 96));
    RECT grip = {};
    ::GetWindowRect(hGrip, &grip);
    ::MapWindowPoints(nullptr, driver.Window(), reinterpret_cast<POINT*>(&grip), 2);
    EXPECT_EQ(grip.right, ClientSize(driver.Window()).cx);
    EXPECT_EQ(grip.bottom, ClientSize(driver.Window()).cy);
}
