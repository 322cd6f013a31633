#include <gtest/gtest.h>

#include "framework/WinApp.h"
#include "restore/QuarantineFileDelete.h"
#include "ui/ProgressWalk.h"

TEST(FillCounts, ReplacesEachPlaceholderInTurnAndKeepsTheRest) {
    EXPECT_EQ(FillCounts(L"%d of %d", {3, 1000}), L"3 of 1000");
    EXPECT_EQ(FillCounts(L"files (%d)?", {4294967296ull}), L"files (4294967296)?");
    EXPECT_EQ(FillCounts(L"%d %d %s 100%", {1}), L"1 %d %s 100%");
    EXPECT_EQ(FillCounts(L"", {1, 2}), L"");
}

TEST(ProgressDue, OnlyForSeveralRowsAfterTheDelay) {
    EXPECT_FALSE(ProgressDue(CProgressWalk::kDelayMs - 1, 2, 10));
    EXPECT_TRUE(ProgressDue(CProgressWalk::kDelayMs, 2, 10));
    EXPECT_TRUE(ProgressDue(60000, 10, 10));
    EXPECT_FALSE(ProgressDue(60000, 1, 1));
    EXPECT_FALSE(ProgressDue(60000, 11, 10));
}

TEST(NamesFileInFolder, OnlyPlainFileNamesPassTheDeleteGuard) {
    EXPECT_TRUE(NamesFileInFolder(L"00A1.qua"));
    EXPECT_TRUE(NamesFileInFolder(L"...qua"));
    for (const wchar_t* name :
         {L"", L".", L"..", L"../report.doc", L"..\\x", L"C:x", L"a:stream", L"sub/a.qua"})
        EXPECT_FALSE(NamesFileInFolder(name)) << name;
}
