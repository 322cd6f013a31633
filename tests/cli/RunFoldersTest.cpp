#include <gtest/gtest.h>

#include <windows.h>

#include "cli/RunFolders.h"
#include "tests/common/TestPaths.h"

// A destination is made and tried before any item goes there; what was made
// for nothing goes again, and the trial leaves no file behind.
TEST(RunFolders, ADestinationIsMadeAndTriedOrTheSystemSaysWhyNot) {
    const std::wstring scratch = MakeScratchDir(L"run-folders-destination");
    ASSERT_TRUE(WriteFileBytes(scratch + L"\\a file", "x"));
    const std::wstring missing = MissingDrive();
    ASSERT_FALSE(missing.empty());
    const std::wstring longName = std::wstring(100, L'l');
    struct Case {
        std::wstring folder;
        bool usable;
        std::vector<std::wstring> created;
    } const cases[] = {
        {scratch, true, {}},
        {scratch + L"\\", true, {}},
        {scratch + L"\\new\\deeper\\", true, {scratch + L"\\new", scratch + L"\\new\\deeper"}},
        {scratch + L"\\" + longName + L"\\" + longName + L"\\" + longName,
         true,
         {scratch + L"\\" + longName, scratch + L"\\" + longName + L"\\" + longName,
          scratch + L"\\" + longName + L"\\" + longName + L"\\" + longName}},
        {scratch + L"\\a file\\sub", false, {}},
        {scratch + L"\\a file\\sub\\deeper", false, {}},
        {missing + L"\\out", false, {}},
        {missing + L"\\", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> created;
        const DWORD error = PrepareDestination(c.folder, &created);
        EXPECT_EQ(error == 0, c.usable) << c.folder << L": " << SystemErrorText(error);
        EXPECT_EQ(created, c.created) << c.folder;
        EXPECT_EQ(FilesIn(c.usable ? c.folder : scratch, L"~zqw-*"), std::vector<std::wstring>())
            << c.folder;
        RemoveEmptyFolders(created);
        for (const std::wstring& folder : created)
            EXPECT_EQ(::GetFileAttributesW((L"\\\\?\\" + folder).c_str()), INVALID_FILE_ATTRIBUTES)
                << folder;
    }
    EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED), L"error 5");
    EXPECT_EQ(SystemErrorText(0x2000FFFF), L"error 536936447");
    RemoveTree(scratch);
}
