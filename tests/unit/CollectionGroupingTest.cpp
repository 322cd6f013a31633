#include <gtest/gtest.h>

#include <windows.h>

#include "restore/CollectionGrouping.h"
#include "restore/FileSize.h"
#include "tests/common/TestPaths.h"

namespace {

CollectionRow Row(const std::wstring& name, const std::wstring& virus, const std::wstring& fileName,
                  uint32_t sizeKB = 1) {
    return CollectionRow{name, virus, fileName, sizeKB};
}

std::vector<std::wstring> Files(const CArchiveEntry& entry) {
    std::vector<std::wstring> files;
    for (int i = 0; i < entry.m_nFiles; ++i) files.push_back(entry.m_strFile[i]);
    return files;
}

}  // namespace

TEST(CollectionGrouping, KeepsTheFirstThreeRowsOfAGroupWhateverTheExtensionsCase) {
    const auto groups =
        GroupCollection({Row(L"1.q", L"W32/X", L"a.exe"), Row(L"2.q", L"W32/X", L"b.EXE"),
                         Row(L"3.q", L"W32/X", L"c.exe"), Row(L"4.q", L"W32/X", L"d.exe"),
                         Row(L"5.q", L"W32/X", L"e.dll")});
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0]->m_strVirusName, L"W32/X");
    EXPECT_EQ(groups[0]->m_strExtension, L"EXE");
    EXPECT_EQ(Files(*groups[0]), (std::vector<std::wstring>{L"1.q", L"2.q", L"3.q"}));
    EXPECT_EQ(groups[1]->m_strExtension, L"DLL");
    EXPECT_EQ(Files(*groups[1]), (std::vector<std::wstring>{L"5.q"}));
    // Unused slots stay empty: the restore pass skips them.
    EXPECT_TRUE(groups[1]->m_strFile[1].empty());
    EXPECT_TRUE(groups[1]->m_strFile[2].empty());
}

TEST(CollectionGrouping, LeavesOutFilesAboveTheSizeLimit) {
    const auto groups =
        GroupCollection({Row(L"big.q", L"V", L"a.exe", 101), Row(L"edge.q", L"V", L"b.exe", 100),
                         Row(L"huge.q", L"V", L"c.exe", ~0u)});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(Files(*groups[0]), (std::vector<std::wstring>{L"edge.q"}));
    // A skipped row does not open a group nor take a slot.
    EXPECT_TRUE(GroupCollection({Row(L"big.q", L"V", L"a.exe", 101)}).empty());
}

TEST(CollectionGrouping, ComparesVirusNamesExactlyAndExtensionsAfterTheLastDot) {
    const auto groups =
        GroupCollection({Row(L"1.q", L"Demo.virus", L"README"), Row(L"2.q", L"DEMO.VIRUS", L"LICENSE"),
                         Row(L"3.q", L"Demo.virus", L"Makefile"), Row(L"4.q", L"Demo.virus", L"x.tar.gz"),
                         Row(L"5.q", L"Demo.virus", L"archive.")});
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0]->m_strExtension, L"");
    EXPECT_EQ(Files(*groups[0]), (std::vector<std::wstring>{L"1.q", L"3.q", L"5.q"}));
    EXPECT_EQ(groups[1]->m_strVirusName, L"DEMO.VIRUS");
    EXPECT_EQ(Files(*groups[1]), (std::vector<std::wstring>{L"2.q"}));
    EXPECT_EQ(groups[2]->m_strExtension, L"GZ");
}

TEST(CollectionGrouping, ExtensionIsUpperCasedTextAfterTheLastDot) {
    EXPECT_EQ(CollectionExtension(L"report.Doc"), L"DOC");
    EXPECT_EQ(CollectionExtension(L"no_dot"), L"");
    EXPECT_EQ(CollectionExtension(L""), L"");
}

TEST(CollectionGrouping, SizeIsCountedInWholeKiB) {
    EXPECT_EQ(SizeInKB(0, 103423), 100u);
    EXPECT_EQ(SizeInKB(0, 103424), 101u);
    EXPECT_EQ(SizeInKB(1, 0), 4194304u);
    EXPECT_EQ(SizeInKB(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFu);

    const std::wstring dir = MakeScratchDir(L"filesize");
    ASSERT_TRUE(WriteFileBytes(dir + L"\\edge.q", std::string(103423, 'x')));
    ASSERT_TRUE(WriteFileBytes(dir + L"\\over.q", std::string(103424, 'x')));
    EXPECT_EQ(GetFileSizeKB(dir + L"\\edge.q"), 100u);
    EXPECT_EQ(GetFileSizeKB(dir + L"\\over.q"), 101u);
    EXPECT_EQ(GetFileSizeKB(dir + L"\\missing.q"), 0u);
    // A wildcard must not let the search report another file's size.
    EXPECT_EQ(GetFileSizeKB(dir + L"\\ov*"), 0u);
    RemoveTree(dir);
}
