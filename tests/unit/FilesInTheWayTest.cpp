#include <gtest/gtest.h>

#include "restore/FilesInTheWay.h"

TEST(FilesInTheWay, TargetsAreTheFormerNamesInTheDestinationOrTheFormerPaths) {
    const std::vector<std::wstring> former = {L"C:\\Users\\a\\report.doc",
                                              L"\\\\?\\D:\\deep\\tool.exe", L"C:\\x\\REPORT.DOC",
                                              L"noFolder", L"C:\\y\\other.txt"};
    // Into a folder: each name once (Windows names ignore case), names
    // without a folder have nowhere to come from and are left out.
    EXPECT_EQ(RestoreTargets(L"E:\\Restored", former),
              (std::vector<std::wstring>{L"E:\\Restored\\report.doc", L"E:\\Restored\\tool.exe",
                                         L"E:\\Restored\\other.txt"}));
    EXPECT_EQ(RestoreTargets(L"E:\\", {L"C:\\a\\b.txt"}),
              std::vector<std::wstring>{L"E:\\b.txt"});
    // Back to the former place: the paths as the library gave them.
    EXPECT_EQ(RestoreTargets(L"", {L"C:\\a\\b.txt", L"\\\\?\\D:\\c.txt", L"c:\\A\\B.TXT"}),
              (std::vector<std::wstring>{L"C:\\a\\b.txt", L"\\\\?\\D:\\c.txt"}));
    EXPECT_TRUE(RestoreTargets(L"E:\\R", {}).empty());
}
