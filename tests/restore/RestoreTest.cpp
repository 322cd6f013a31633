#include <gtest/gtest.h>

#include "audit/AuditTrail.h"
#include "res/resource.h"
#include "restore/CleanHook.h"
#include "tests/common/TestPaths.h"
#include "tests/doubles/restore_interposer/RestoreInterposer.h"
#include "tests/doubles/scan_record/ScanRecordDouble.h"
#include "tests/restore/RestoreFixture.h"

namespace {

typedef std::vector<std::wstring> Names;

class Restore : public RestoreFixture {};

}  // namespace

TEST_F(Restore, WithNothingSelectedEachCommandOnlyAsksForASelection) {
    const std::wstring name = Add(L"a.txt", "alpha");
    const std::wstring dest = scene.Root() + L"\\dest";
    ASSERT_TRUE(MakeFolders(dest));
    Create();
    driver.SelectRows({});

    driver.Click(IDC_RESTORE);
    driver.Click(IDC_CLEAN_AND_RESTORE);
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);

    // No folder is asked for when there is nothing to restore into it.
    const std::vector<ShownWindow>& shown = answerer.Shown();
    ASSERT_EQ(shown.size(), 3u);
    for (const ShownWindow& window : shown) {
        EXPECT_EQ(window.kind, ShownWindow::kMessageBox);
        EXPECT_EQ(window.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(window.icon, UINT(MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(Messages(), Texts({IDS_SELECT_FILES, IDS_SELECT_FILES, IDS_SELECT_FILES}));
    EXPECT_EQ(shown[0].caption, AfxGetAppTitle());
    EXPECT_NE(settings.DestPath(), dest);
    EXPECT_FALSE(FileExists(OriginFile(L"a.txt")));
    EXPECT_TRUE(FolderEntries(dest).empty());
    EXPECT_EQ(scene.QuarantineFiles(), Names{name});
}

TEST_F(Restore, YesRestoresByteForByteDeletesTheQuarantineFileAndRefillsTheList) {
    const std::string bytes("alpha\0\r\n\xff beta", 14);
    const std::wstring a = Add(L"a.txt", bytes);
    const std::wstring b = Add(L"b.txt", "bravo");
    Create();
    // Quarantined behind the list's back: only a refill shows it.
    const std::wstring late = Add(L"late.txt", "late");

    Select({a});
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_RESTORE);

    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE}));
    EXPECT_EQ(answerer.Shown()[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_EQ(ReadFileBytes(OriginFile(L"a.txt")), bytes);
    EXPECT_EQ(FolderEntries(scene.Origin()), Names{L"a.txt"});
    EXPECT_EQ(scene.QuarantineFiles(), (Names{b, late}));
    EXPECT_EQ(ListedNames(), (Names{b, late}));
}

// No restores and keeps the quarantine file; Cancel, or the box closed, ends
// the command before anything is restored.
TEST_F(Restore, NoRestoresAndKeepsTheQuarantineFileCancelRestoresNothing) {
    LoadScanner();
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    CRestoreInterposer interposer(Library());
    Create();
    const std::wstring late = Add(L"late.txt", "late");

    Select({a});
    answerer.AnswerNextMessageBox(IDNO);
    driver.Click(IDC_RESTORE);
    Select({b});
    for (const int button : {IDC_RESTORE, IDC_CLEAN_AND_RESTORE}) {
        answerer.AnswerNextMessageBox(IDCANCEL);
        driver.Click(button);
    }

    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE, IDS_DELETE_AFTER_RESTORE,
                                 IDS_DELETE_AFTER_RESTORE}));
    EXPECT_EQ(interposer.RestoredNames(), Names{a});
    EXPECT_EQ(ReadFileBytes(OriginFile(L"a.txt")), "alpha");
    EXPECT_EQ(FolderEntries(scene.Origin()), Names{L"a.txt"});
    EXPECT_EQ(scene.QuarantineFiles(), (Names{a, b, late}));
    EXPECT_EQ(ListedNames(), (Names{a, b}));
    EXPECT_EQ(driver.SelectedRows(), std::vector<int>{RowOf(b)});
}

TEST_F(Restore, ASingleFailedRowShowsItsMessageOnceAndIsNeitherDeletedNorRefilled) {
    LoadScanner();
    const std::wstring unreadable = Add(L"unreadable.txt", "one");
    const std::wstring occupied = Add(L"occupied.txt", "two");
    const std::wstring incurable = Add(L"incurable.txt", "x" + IncurableSignature());
    const std::wstring odd = Add(L"odd.txt", "four");
    const std::wstring vanished = Add(L"vanished.txt", "five");
    const std::wstring hollow = Add(L"hollow.txt", "six");
    CRestoreInterposer interposer(Library());
    interposer.FailWith(odd, 7);
    // Said to be restored, with nothing written: the quarantine file stays.
    interposer.FailWith(hollow, kRestored);
    Create();
    const std::wstring late = Add(L"late.txt", "late");

    ASSERT_TRUE(WriteFileBytes(scene.QuarantineFile(unreadable), "not a container"));
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"occupied.txt"), "already here"));
    ASSERT_TRUE(::DeleteFileW(scene.QuarantineFile(vanished).c_str()));

    struct Case {
        std::wstring name;
        int button;
        UINT message;
        std::wstring inTheWay;  // after the library's message
    };
    const Case cases[] = {
        {unreadable, IDC_RESTORE, IDS_QFILE_OPEN_FAILED, L""},
        {occupied, IDC_RESTORE, IDS_TARGET_OPEN_FAILED, InTheWay(L"occupied.txt", scene.Origin())},
        {incurable, IDC_CLEAN_AND_RESTORE, IDS_VIRUS_NOT_REMOVED, L""},
        {odd, IDC_RESTORE, IDS_UNSPECIFIC_ERROR, L""},
        {vanished, IDC_RESTORE, IDS_UNSPECIFIC_ERROR, L""},
        {hollow, IDC_RESTORE, IDS_RESTORED_FILE_UNREADABLE, L""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        answerer.ClearShown();
        Select({c.name});
        answerer.AnswerNextMessageBox(IDYES);
        driver.Click(c.button);
        // A file in the way is asked about; the user's default, Skip, says so.
        Names expected{Text(IDS_DELETE_AFTER_RESTORE)};
        if (!c.inTheWay.empty())
            expected.push_back(ConflictQuestion({OriginFile(L"occupied.txt")}));
        expected.push_back((c.inTheWay.empty() ? Text(c.message) : Text(IDS_SKIPPED_AS_CHOSEN)) +
                           c.inTheWay);
        EXPECT_EQ(Messages(), expected);
        EXPECT_EQ(answerer.Shown().back().buttons, std::vector<int>{IDOK});
        EXPECT_EQ(answerer.Shown().back().icon, UINT(MB_ICONEXCLAMATION));
        EXPECT_EQ(answerer.Shown().front().icon, 0u) << "the question has no icon";
        EXPECT_EQ(ListedNames(), (Names{unreadable, occupied, incurable, odd, vanished, hollow}));
    }

    EXPECT_EQ(ReadFileBytes(OriginFile(L"occupied.txt")), "already here");
    EXPECT_EQ(FolderEntries(scene.Origin()), Names{L"occupied.txt"});
    EXPECT_EQ(scene.QuarantineFiles(), (Names{unreadable, occupied, incurable, odd, hollow, late}));
}

TEST_F(Restore, WithSeveralRowsAFailureIsReportedOnceAtTheEndAndTheOthersAreRestored) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    const std::wstring c = Add(L"c.txt", "charlie");
    Create();
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"b.txt"), "in the way"));

    Select({a, b, c});
    answerer.AnswerNextMessageBox(IDYES);
    answerer.AnswerNextMessageBox(IDNO);
    driver.Click(IDC_RESTORE);

    EXPECT_EQ(Messages(),
              (Names{Text(IDS_DELETE_AFTER_RESTORE), ConflictQuestion({OriginFile(L"b.txt")}),
                     L"1 of 3 quarantine files could not be restored:\n\n" + b + L": " +
                         OneLine(Skipped(L"b.txt", scene.Origin()))}));
    EXPECT_EQ(answerer.Shown().back().icon, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(ReadFileBytes(OriginFile(L"a.txt")), "alpha");
    EXPECT_EQ(ReadFileBytes(OriginFile(L"b.txt")), "in the way");
    EXPECT_EQ(ReadFileBytes(OriginFile(L"c.txt")), "charlie");
    EXPECT_EQ(FolderEntries(scene.Origin()), (Names{L"a.txt", L"b.txt", L"c.txt"}));
    EXPECT_EQ(scene.QuarantineFiles(), Names{b});
    EXPECT_EQ(ListedNames(), Names{b});
}

TEST_F(Restore, YesRefillsEvenWhenEveryRowFailsAndTheWaitCursorShowsThroughout) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    CRestoreInterposer interposer(Library());
    interposer.FailWith(a, -2);
    interposer.FailWith(b, 7);
    Create();
    const std::wstring late = Add(L"late.txt", "late");

    // The answerer sets the arrow as it closes the question, as a real box
    // does under the pointer; every restore after it still shows the wait cursor.
    Select({a, b});
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_RESTORE);

    EXPECT_EQ(Messages(),
              (Names{Text(IDS_DELETE_AFTER_RESTORE),
                     FailedRows(IDS_WALK_RESTORE_FAILED, 2,
                                {{a, IDS_TARGET_OPEN_FAILED}, {b, IDS_UNSPECIFIC_ERROR}})}));
    ASSERT_EQ(interposer.Calls().size(), 2u);
    for (const RestoreCall& call : interposer.Calls()) EXPECT_TRUE(call.waitCursor);
    EXPECT_EQ(ListedNames(), (Names{a, b, late})) << "the list was filled again";
    EXPECT_EQ(scene.QuarantineFiles(), (Names{a, b, late}));
}

TEST_F(Restore, CleanAndRestoreHandsTheHookToTheLibraryAndRestoresOnlyCuredFiles) {
    LoadScanner();
    const std::string curable = "head-" + CurableTestText() + "-tail";
    const std::wstring a = Add(L"a.txt", curable);
    const std::wstring b = Add(L"b.txt", IncurableSignature() + CurableTestText());
    const std::wstring c = Add(L"c.txt", "clean");
    CRestoreInterposer interposer(Library());
    Create();

    Select({a, b});
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_CLEAN_AND_RESTORE);
    Select({c});
    answerer.AnswerNextMessageBox(IDNO);
    driver.Click(IDC_RESTORE);

    ASSERT_EQ(CurableTestText().size(), 68u);
    EXPECT_EQ(ReadFileBytes(OriginFile(L"a.txt")), "head--tail");
    EXPECT_EQ(ReadFileBytes(OriginFile(L"c.txt")), "clean");
    EXPECT_EQ(FolderEntries(scene.Origin()), (Names{L"a.txt", L"c.txt"}));
    EXPECT_EQ(scene.QuarantineFiles(), (Names{b, c}));

    const uintptr_t scanner = reinterpret_cast<uintptr_t>(&driver.Dialog().m_ScanP);
    const std::vector<RestoreCall>& calls = interposer.Calls();
    ASSERT_EQ(calls.size(), 3u);
    for (const RestoreCall& call : calls) {
        EXPECT_EQ(call.destination, L"");
        EXPECT_EQ(call.flags, 0u);
        EXPECT_EQ(call.context, scanner);
        EXPECT_EQ(call.reserved, 0u);
    }
    EXPECT_EQ(calls[0].hook, &CleanHook);
    EXPECT_EQ(calls[1].hook, &CleanHook);
    EXPECT_EQ(calls[1].result, -3);
    EXPECT_EQ(calls[2].hook, nullptr);
}

TEST_F(Restore, ACureThatThrowsFailsTheCleanRestoreAndLeavesNothingBehind) {
    // Only where modules share their unwinding (x86_64) can an exception that
    // leaves the scanner library reach the hook's handler; in the 32-bit
    // program the library has to catch it itself, as the stand-ins do.
    if (sizeof(void*) == 4) GTEST_SKIP() << "exceptions do not cross modules here";
    CZEBScanPWrapper& scanner = driver.Dialog().m_ScanP;
    ASSERT_TRUE(scanner.LoadFrom(L"Engine A", L"Engine B", DoublesDir(L"scan_record")));
    const auto setCureAnswer = ProcCast<PFN_ScanDoubleSetCureAnswer>(
        ::GetProcAddress(CZEBScanPWrapper::State().m_hModule, "ScanDoubleSetCureAnswer"));
    ASSERT_NE(setCureAnswer, nullptr);
    setCureAnswer(kScanDoubleCureThrows);
    const std::wstring a = Add(L"a.txt", "head-" + CurableTestText());
    Create();

    Select({a});
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_CLEAN_AND_RESTORE);

    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE, IDS_VIRUS_NOT_REMOVED}));
    EXPECT_TRUE(FolderEntries(scene.Origin()).empty()) << "no temporary file either";
    EXPECT_EQ(scene.QuarantineFiles(), Names{a});
}

TEST_F(Restore, CleanAndRestoreWithoutAScannerRestoresNothingUncleaned) {
    const std::wstring a = Add(L"a.txt", "plain");
    const std::wstring b = Add(L"b.txt", "head-" + CurableTestText());
    Create();

    Select({a});
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_CLEAN_AND_RESTORE);
    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE, IDS_VIRUS_NOT_REMOVED}));

    answerer.ClearShown();
    Select({a, b});
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_CLEAN_AND_RESTORE);
    EXPECT_EQ(Messages(),
              (Names{Text(IDS_DELETE_AFTER_RESTORE),
                     FailedRows(IDS_WALK_RESTORE_FAILED, 2,
                                {{a, IDS_VIRUS_NOT_REMOVED}, {b, IDS_VIRUS_NOT_REMOVED}})}));

    EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
    EXPECT_EQ(scene.QuarantineFiles(), (Names{a, b}));
    EXPECT_EQ(ListedNames(), (Names{a, b}));
}

TEST_F(Restore, RowsAreRestoredInTheListsDisplayOrder) {
    const std::wstring a = Add(L"m.txt", "1");
    const std::wstring b = Add(L"z.txt", "2");
    const std::wstring c = Add(L"a.txt", "3");
    const std::wstring d = Add(L"q.txt", "4");
    CRestoreInterposer interposer(Library());
    Create();
    driver.ClickColumn(2);
    driver.ClickColumn(2);
    ASSERT_EQ(driver.Column(0), (Names{b, d, a, c}));

    Select({a, b, c, d});
    answerer.AnswerNextMessageBox(IDNO);
    driver.Click(IDC_RESTORE);

    EXPECT_EQ(interposer.RestoredNames(), (Names{b, d, a, c}));
    EXPECT_EQ(FolderEntries(scene.Origin()), (Names{L"a.txt", L"m.txt", L"q.txt", L"z.txt"}));
}

// Every row a dialog operation works on leaves one entry in the audit trail,
// with the row's own texts, the outcome as the user was told it, and the
// restored file's SHA-256 (seen here through the trail's test seam).
// The entries hold what the library reports, as the command line's do: a
// former path keeps its long-path prefix, which the list does not show.
TEST_F(Restore, EachRowOfARestoreAndADeleteLeavesOneAuditEntry) {
    const std::wstring a = Add(L"a.txt", "alpha", L"Virus.A");
    const std::wstring b = Add(L"b.txt", "bravo", L"Virus.B");
    const std::wstring c = Add(L"c.txt", "charlie", L"Virus.C", L"\\\\?\\" + scene.Origin());
    Create();
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"b.txt"), "in the way"));
    std::vector<AuditEntry> entries;
    SetAuditSinkForTesting([&entries](const AuditEntry& entry) { entries.push_back(entry); });

    // b's name is taken: kept beside it, under the next free name.
    Select({a, b, c});
    answerer.AnswerNextMessageBox(IDNO);
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_RESTORE);
    Select({b});
    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);
    SetAuditSinkForTesting(nullptr);

    AuditEntry restored;
    restored.operation = AuditOperation::Restore;
    restored.success = true;
    restored.itemId = a;
    restored.virus = L"Virus.A";
    restored.formerPath = OriginFile(L"a.txt");
    restored.result = L"restored";
    restored.sha256 = L"8ed3f6ad685b959ead7022518e1af76cd816f8e8ec7ccdda1ed4018e8f2223f8";
    AuditEntry kept = restored;
    kept.itemId = b;
    kept.virus = L"Virus.B";
    kept.formerPath = OriginFile(L"b.txt");
    kept.destination = OriginFile(L"b (2).txt");
    kept.sha256 = L"f144a6907dc4284d1f9fe6a7d9b9ff53c02c1d07ba68f24d413d7ff7f757a782";
    AuditEntry prefixed = restored;
    prefixed.itemId = c;
    prefixed.virus = L"Virus.C";
    prefixed.formerPath = L"\\\\?\\" + OriginFile(L"c.txt");
    prefixed.sha256 = L"b9dd960c1753459a78115d3cb845a57d924b6877e805b08bd01086ccdf34433c";
    AuditEntry deleted = kept;
    deleted.operation = AuditOperation::Delete;
    deleted.destination.clear();
    deleted.sha256.clear();
    deleted.result = L"deleted";
    EXPECT_EQ(entries, (std::vector<AuditEntry>{restored, kept, prefixed, deleted}));
    EXPECT_EQ(ReadFileBytes(OriginFile(L"b.txt")), "in the way");
    EXPECT_EQ(ReadFileBytes(OriginFile(L"b (2).txt")), "bravo");
}
