#include <gtest/gtest.h>

#include <tuple>

#include "res/resource.h"
#include "restore/ItemOperations.h"
#include "restore/KeepBoth.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/common/TestPaths.h"

namespace {

const wchar_t kUnreadable[] =
    L"Reported as restored, but the restored file could not be read back.";
const wchar_t kAlphaSha256[] = L"8ed3f6ad685b959ead7022518e1af76cd816f8e8ec7ccdda1ed4018e8f2223f8";

// An outcome as its success, result, file number and hash.
using Expected = std::tuple<bool, std::wstring, size_t, std::wstring>;

}  // namespace

// Every face turns a restore's answer into outcomes this one way: the library's
// word for the item, then each file read back from where it was written.
TEST(RestoreOutcomes, AFileCountsAsRestoredOnlyWhenItCanBeReadBack) {
    const std::wstring out = MakeScratchDir(L"engine_outcomes");
    ASSERT_TRUE(WriteFileBytes(out + L"\\a.txt", "alpha"));
    struct Case {
        const char* name;
        std::vector<std::wstring> formerPaths;
        int32_t result;
        std::vector<Expected> expected;
    } const cases[] = {
        {"one file on disk, one not",
         {L"C:\\docs\\a.txt", L"C:\\docs\\b.txt"},
         kRestored,
         {{true, L"restored", 0, kAlphaSha256}, {false, kUnreadable, 1, L""}}},
        {"the library's failure, its message once",
         {L"C:\\docs\\a.txt", L"C:\\docs\\b.txt"},
         kRestoreTargetUnwritable,
         {{false, L"The target file could not be opened.", 0, L""}}},
        // The older form reads no former paths: nothing to look for.
        {"no former paths", {}, kRestored, {{true, L"restored", 0, L""}}},
        {"a former path naming no file", {L"C:\\"}, kRestored, {{true, L"restored", 0, L""}}},
    };
    for (const Case& c : cases) {
        QuarantineItem item;
        item.id = L"a.qtc";
        item.formerPaths = c.formerPaths;
        const std::vector<ItemAuditOutcome> outcomes = RestoreOutcomes(item, c.result, out);
        std::vector<Expected> seen;
        bool all = true;
        for (const ItemAuditOutcome& outcome : outcomes) {
            seen.emplace_back(outcome.success, outcome.result, outcome.file, outcome.sha256);
            EXPECT_EQ(outcome.destination, out) << c.name;
            all = all && outcome.success;
        }
        EXPECT_EQ(seen, c.expected) << c.name;
        EXPECT_EQ(AllSucceeded(outcomes), all) << c.name;
    }
    RemoveTree(out);
}

// The dialog and the commands delete one way: a plain name inside the folder,
// or nothing, and the reason when the file would not go.
TEST(DeleteQuarantineItem, DeletesAPlainNameInsideTheFolderOnly) {
    const std::wstring root = MakeScratchDir(L"engine_delete");
    const std::wstring folder = root + L"\\Q\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder + L"a.qtc", "held"));
    ASSERT_TRUE(WriteFileBytes(root + L"\\outside.qtc", "not ours"));
    struct Case {
        const wchar_t* id;
        bool success;
    } const cases[] = {
        {L"a.qtc", true}, {L"a.qtc", false}, {L"..\\outside.qtc", false}, {L"", false}};
    for (const Case& c : cases) {
        QuarantineItem item;
        item.id = c.id;
        const ItemAuditOutcome outcome = DeleteQuarantineItem(folder, &item);
        EXPECT_EQ(outcome.success, c.success) << c.id;
        EXPECT_EQ(outcome.result,
                  c.success ? L"deleted" : L"The quarantine file could not be deleted.")
            << c.id;
        EXPECT_TRUE(outcome.destination.empty()) << c.id;
    }
    EXPECT_FALSE(FileExists(folder + L"a.qtc"));
    EXPECT_TRUE(FileExists(root + L"\\outside.qtc"));
    RemoveTree(root);
}

TEST(KeepBoth, NumberedNamesFollowExplorersPattern) {
    const struct {
        const wchar_t* name;
        unsigned number;
        const wchar_t* numbered;
    } cases[] = {
        {L"report.docx", 2, L"report (2).docx"},
        {L"archive.tar.gz", 3, L"archive.tar (3).gz"},
        {L"README", 2, L"README (2)"},
        {L".profile", 2, L".profile (2)"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberedName(c.name, c.number), c.numbered) << c.name;
}

// A move never replaces: taken names, a folder of that name among them, are
// passed over, and what stood there keeps its bytes.
TEST(KeepBoth, AMoveTakesTheFirstFreeNameAndReplacesNothing) {
    const std::wstring folder = ScratchForThisTest();
    ASSERT_TRUE(WriteFileBytes(folder + L"\\a.txt", "mine"));
    ASSERT_TRUE(::CreateDirectoryW((folder + L"\\a (2).txt").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\staged", "restored"));
    DWORD error = 0;
    EXPECT_EQ(MoveToFreeName(folder + L"\\staged", folder + L"\\a.txt", &error),
              folder + L"\\a (3).txt");
    EXPECT_EQ(ReadFileBytes(folder + L"\\a.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(folder + L"\\a (3).txt"), "restored");
    EXPECT_EQ(MoveToFreeName(folder + L"\\gone", folder + L"\\b.txt", &error), L"");
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    RemoveTree(folder);
}
