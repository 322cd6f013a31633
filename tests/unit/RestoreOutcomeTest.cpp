#include <gtest/gtest.h>

#include "res/resource.h"
#include "restore/RestoreOutcome.h"

TEST(RestoreOutcome, EachFailureCodeHasItsMessage) {
    EXPECT_EQ(RestoreFailureMessage(-3), static_cast<UINT>(IDS_VIRUS_NOT_REMOVED));
    EXPECT_EQ(RestoreFailureMessage(-2), static_cast<UINT>(IDS_TARGET_OPEN_FAILED));
    EXPECT_EQ(RestoreFailureMessage(-1), static_cast<UINT>(IDS_QFILE_OPEN_FAILED));
    for (int32_t code : {5, 7, -4, 1, INT32_MIN, INT32_MAX})
        EXPECT_EQ(RestoreFailureMessage(code), static_cast<UINT>(IDS_UNSPECIFIC_ERROR)) << code;
}

TEST(RestoreOutcome, SplitsAtTheLastBackslashButNeverAtTheFirstCharacter) {
    std::wstring folder, name;
    ASSERT_TRUE(SplitQuarantineFilePath(L"C:\\Q\\abc.q", &folder, &name));
    EXPECT_EQ(folder, L"C:\\Q");
    EXPECT_EQ(name, L"abc.q");
    ASSERT_TRUE(SplitQuarantineFilePath(L"\\\\?\\C:\\Q\\abc.q", &folder, &name));
    EXPECT_EQ(folder, L"\\\\?\\C:\\Q");
    ASSERT_TRUE(SplitQuarantineFilePath(L"C:\\Q\\", &folder, &name));
    EXPECT_EQ(name, L"");
    // An empty folder box leaves a single leading backslash: nothing to open.
    EXPECT_FALSE(SplitQuarantineFilePath(L"\\abc.q", &folder, &name));
    EXPECT_FALSE(SplitQuarantineFilePath(L"abc.q", &folder, &name));
    EXPECT_FALSE(SplitQuarantineFilePath(L"", &folder, &name));
}
