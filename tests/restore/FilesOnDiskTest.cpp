#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/common/TestPaths.h"
#include "tests/restore/RestoreFixture.h"

namespace {

typedef std::vector<std::wstring> Names;

class FilesOnDisk : public RestoreFixture {
protected:
    FilesOnDisk() : RestoreFixture(L"ondisk") {}

    void RestoreWithYes(const std::vector<std::wstring>& names) {
        answerer.ClearShown();
        Select(names);
        answerer.AnswerNextMessageBox(IDYES);
        driver.Click(IDC_RESTORE);
    }
};

}  // namespace

TEST_F(FilesOnDisk, AFormerFolderThatIsGoneIsMadeAgain) {
    const std::wstring home = scene.Root() + L"\\gone\\deeper";
    const std::wstring a = Add(L"a.txt", "alpha", L"Test.Virus", home);
    RemoveTree(scene.Root() + L"\\gone");
    Create();

    RestoreWithYes({a});

    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE}));
    EXPECT_EQ(ReadFileBytes(home + L"\\a.txt"), "alpha");
    EXPECT_TRUE(scene.QuarantineFiles().empty());
}

TEST_F(FilesOnDisk, AFormerFolderTakenByAFileFailsWithoutLeavingAnything) {
    const std::wstring home = scene.Root() + L"\\taken";
    const std::wstring a = Add(L"a.txt", "alpha", L"Test.Virus", home);
    RemoveTree(home);
    ASSERT_TRUE(WriteFileBytes(home, "a file where the folder was"));
    Create();

    RestoreWithYes({a});

    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE, IDS_TARGET_OPEN_FAILED}));
    EXPECT_EQ(ReadFileBytes(home), "a file where the folder was");
    EXPECT_EQ(FolderEntries(scene.Root()), (Names{L"origin", L"quarantine", L"taken"}));
    EXPECT_EQ(scene.QuarantineFiles(), Names{a});
}

TEST_F(FilesOnDisk, PathsAtTheLengthLimitAndNonLatinNamesComeBackWhole) {
    // The longest folder that can be made, and a name that brings the whole
    // path to the longest a plain path may be.
    const std::wstring base = scene.Root() + L"\\";
    const std::wstring longFolder = base + std::wstring(MAX_PATH - 12 - 1 - base.size(), L'd');
    const std::wstring longName =
        std::wstring(MAX_PATH - 1 - longFolder.size() - 1 - 4, L'n') + L".txt";
    ASSERT_EQ(longFolder.size() + 1 + longName.size(), static_cast<size_t>(MAX_PATH - 1));
    const std::wstring foreignFolder = scene.Root() + L"\\\x0434\x0430\x043d\x043d\x044b\x0435";
    const std::wstring foreignName =
        L"\x041f\x0440\x0438\x043c\x0435\x0440-\x4f8b-\x03a9\x03bc\x03ad\x03b3\x03b1.txt";
    const std::string bytes("\xd0\x9f\x00\xe4\xbe\x8b", 6);

    const std::wstring a = Add(longName, "long", L"Test.Long", longFolder);
    const std::wstring b =
        Add(foreignName, bytes, L"\x0412\x0438\x0440\x0443\x0441", foreignFolder);
    Create();
    EXPECT_EQ(driver.Row(RowOf(a))[2], longName);
    EXPECT_EQ(driver.Row(RowOf(a))[3], longFolder);
    EXPECT_EQ(driver.Row(RowOf(b))[1], L"\x0412\x0438\x0440\x0443\x0441");
    EXPECT_EQ(driver.Row(RowOf(b))[2], foreignName);

    RestoreWithYes({a, b});

    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE}));
    EXPECT_EQ(ReadFileBytes(longFolder + L"\\" + longName), "long");
    EXPECT_EQ(ReadFileBytes(foreignFolder + L"\\" + foreignName), bytes);
    EXPECT_EQ(FolderEntries(foreignFolder), Names{foreignName});
    EXPECT_TRUE(scene.QuarantineFiles().empty());
    EXPECT_EQ(driver.RowCount(), 0);
}

TEST_F(FilesOnDisk, AQuarantineFileGoneSinceTheListingIsSkippedAndNothingElseIsLost) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    const std::wstring c = Add(L"c.txt", "charlie");
    Create();
    ASSERT_TRUE(::DeleteFileW(scene.QuarantineFile(b).c_str()));

    RestoreWithYes({a, b, c});

    EXPECT_EQ(Messages(), (Names{Text(IDS_DELETE_AFTER_RESTORE),
                                 FailedRows(IDS_WALK_RESTORE_FAILED, 3, {{b, IDS_UNSPECIFIC_ERROR}})}));
    EXPECT_EQ(FolderEntries(scene.Origin()), (Names{L"a.txt", L"c.txt"}));
    EXPECT_TRUE(scene.QuarantineFiles().empty());
    EXPECT_EQ(driver.RowCount(), 0);
}
