#include <gtest/gtest.h>

#include "tests/common/TestPaths.h"
#include "tests/doubles/in_process/FakeQuarantineLibrary.h"
#include "tests/gui/GuiDriver.h"
#include "tests/loader/DebuggeeRun.h"

// The fill's "Load: " lines are read the way a debugger reads them: this test
// program runs itself as a debuggee, with only the disabled test below, which
// lists three containers.

TEST(ListingDebugOutput, DISABLED_ListsThreeContainers) {
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    CFakeQuarantineLibrary fake(driver.Dialog().m_ZEBQt);
    fake.State().containers = {
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\b.q", L"V", L"C:\\a\\b", SYSTEMTIME{}),
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\A.q", L"V", L"C:\\a\\a", SYSTEMTIME{}),
        CFakeQuarantineLibrary::MakeContainer(L"c.q", L"V", L"C:\\a\\c", SYSTEMTIME{}),
    };
    ASSERT_TRUE(driver.Create());
}

TEST(ListingDebugOutput, OneLoadLinePerContainerInTheLibrarysOrder) {
    const std::wstring self = TestBinDir() + L"\\gui_tests.exe";
    const DebuggeeRun run =
        RunAsDebuggee(L"\"" + self +
                      L"\" --gtest_also_run_disabled_tests "
                      L"--gtest_filter=ListingDebugOutput.DISABLED_ListsThreeContainers");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> loads;
    for (const std::string& text : run.debugOutput)
        if (text.compare(0, 6, "Load: ") == 0) loads.push_back(text);
    EXPECT_EQ(loads,
              (std::vector<std::string>{"Load: b.q\n", "Load: A.q\n", "Load: c.q\n"}));
}
