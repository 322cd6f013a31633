#include <gtest/gtest.h>

#include <windows.h>

#include "framework/LongPaths.h"

// A path is handed to a file call in the extended form only where the plain
// form could fail: past the limit of the shortest file call, as a full path.
TEST(LongPaths, TheExtendedFormOfAFullPath) {
    const struct {
        const wchar_t* full;
        const wchar_t* extended;
    } cases[] = {
        {L"C:\\a\\b.txt", L"\\\\?\\C:\\a\\b.txt"},
        {L"z:\\", L"\\\\?\\z:\\"},
        {L"\\\\server\\share\\b.txt", L"\\\\?\\UNC\\server\\share\\b.txt"},
        // Already extended, or a device: as it is.
        {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
        {L"\\\\?\\UNC\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a"},
        {L"\\\\.\\pipe\\a", L"\\\\.\\pipe\\a"},
        {L"\\??\\C:\\a", L"\\??\\C:\\a"},
        // Not full: as it is, for the system to refuse as it would have.
        {L"C:relative", L"C:relative"},
        {L"relative\\a", L"relative\\a"},
        {L"\\rooted", L"\\rooted"},
        {L"\\\\", L"\\\\"},
        {L"1:\\a", L"1:\\a"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtendedLengthPath(c.full), c.extended) << c.full;
}

TEST(LongPaths, FileCallsGetTheExtendedFormOnlyPastThePlainLimit) {
    wchar_t current[MAX_PATH] = {};
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, current), 0u);
    const std::wstring here = current;
    ASSERT_LT(here.size(), 200u);
    const std::wstring deep(300, L'd');
    const std::wstring atLimit = L"C:\\" + std::wstring(kPlainPathLimit - 3, L'x');
    // A relative path that the current folder takes past the limit.
    const std::wstring relative(kPlainPathLimit + 1 - here.size(), L'r');

    const struct {
        std::wstring path;
        std::wstring expected;
    } cases[] = {
        {L"C:\\a\\b.txt", L"C:\\a\\b.txt"},
        {L"b.txt", L"b.txt"},
        {atLimit, atLimit},
        {atLimit + L"y", L"\\\\?\\" + atLimit + L"y"},
        {L"C:\\" + deep + L"\\b.txt", L"\\\\?\\C:\\" + deep + L"\\b.txt"},
        // What the plain form would have cleaned up is cleaned up first.
        {L"C:/" + deep + L"/skipped/../b.txt", L"\\\\?\\C:\\" + deep + L"\\b.txt"},
        {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
        {L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
        {relative, L"\\\\?\\" + here + L"\\" + relative},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileCallPath(c.path), c.expected) << c.path.size() << " characters";

    // Reports name every folder whole, however it was typed and however long.
    const std::wstring parent = here.substr(0, here.rfind(L'\\'));
    const struct {
        std::wstring given, whole;
    } full[] = {
        {L"", L""},
        {L"rel\\out", here + L"\\rel\\out"},
        {L"..\\Q", parent + L"\\Q"},
        {L".\\a\\..\\b\\", here + L"\\b\\"},
        {L"C:\\Q\\.\\x\\..\\y", L"C:\\Q\\y"},
        {deep + L"\\" + deep, here + L"\\" + deep + L"\\" + deep},
    };
    for (const auto& c : full) EXPECT_EQ(FullPathName(c.given), c.whole) << c.given.size();
}
