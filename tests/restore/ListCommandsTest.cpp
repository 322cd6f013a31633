#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <utility>
#include <thread>

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/common/TestPaths.h"
#include "tests/doubles/restore_interposer/RestoreInterposer.h"
#include "tests/restore/RestoreFixture.h"
#include "ui/ProgressWalk.h"

// The list's own commands on the real dialog: delete, its keys, its context
// menu, and the progress of long walks.

namespace {

typedef std::vector<std::wstring> Names;

class ListCommands : public RestoreFixture {
protected:
    std::wstring DeleteQuestion(int count) const {
        return FillCounts(Text(IDS_CONFIRM_DELETE), {static_cast<uint64_t>(count)});
    }
};

std::wstring Visible(const std::wstring& menuText) {
    std::wstring text;
    for (const wchar_t c : menuText.substr(0, menuText.find(L'\t')))
        if (c != L'&') text += c;
    return text;
}

// A file opened without delete sharing cannot be deleted while it is open.
CUniqueHandle<FileTraits> HoldOpen(const std::wstring& path) {
    return CUniqueHandle<FileTraits>(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                   nullptr, OPEN_EXISTING, 0, nullptr));
}

// Stands between the binding and the stand-in as a library that keeps a
// quarantine file open, without delete sharing, while its container is open;
// records each close of such a container and of the quarantine after it, with
// whether the file was still there.
struct CHoldingLibrary {
    static PFN_ZEBQtOpenContainerByName s_open;
    static PFN_ZEBQtCloseContainer s_closeContainer;
    static PFN_ZEBQtCloseQuarantine s_closeQuarantine;
    static std::map<int32_t, std::wstring> s_held;
    static std::map<int32_t, CUniqueHandle<FileTraits>> s_files;
    static std::wstring s_file;
    static Names s_log;

    static std::wstring State() { return FileExists(s_file) ? L" file there" : L" file gone"; }
    static int32_t __cdecl Open(const wchar_t* path) {
        const int32_t handle = s_open(path);
        if (handle != -1) s_held[handle] = path, s_files[handle] = HoldOpen(path);
        return handle;
    }
    static int32_t __cdecl CloseContainer(int32_t handle) {
        if (s_held.count(handle))
            s_file = s_held[handle], s_log.push_back(L"CloseContainer" + State());
        s_files.erase(handle);
        return s_closeContainer(handle);
    }
    // Only the quarantine a held container was opened through; the list's
    // own fills open none by name.
    static int32_t __cdecl CloseQuarantine(int32_t handle) {
        if (!s_log.empty() && s_log.back().rfind(L"CloseContainer", 0) == 0)
            s_log.push_back(L"CloseQuarantine" + State());
        return s_closeQuarantine(handle);
    }

    explicit CHoldingLibrary(CZEBQtWrapper& wrapper) : m_wrapper(wrapper) {
        s_open = std::exchange(wrapper.ZEBQtOpenContainerByName, &Open);
        s_closeContainer = std::exchange(wrapper.ZEBQtCloseContainer, &CloseContainer);
        s_closeQuarantine = std::exchange(wrapper.ZEBQtCloseQuarantine, &CloseQuarantine);
    }
    ~CHoldingLibrary() {
        m_wrapper.ZEBQtOpenContainerByName = s_open;
        m_wrapper.ZEBQtCloseContainer = s_closeContainer;
        m_wrapper.ZEBQtCloseQuarantine = s_closeQuarantine;
        s_held.clear(), s_files.clear(), s_log.clear();
    }
    CZEBQtWrapper& m_wrapper;
};
PFN_ZEBQtOpenContainerByName CHoldingLibrary::s_open;
PFN_ZEBQtCloseContainer CHoldingLibrary::s_closeContainer;
PFN_ZEBQtCloseQuarantine CHoldingLibrary::s_closeQuarantine;
std::map<int32_t, std::wstring> CHoldingLibrary::s_held;
std::map<int32_t, CUniqueHandle<FileTraits>> CHoldingLibrary::s_files;
std::wstring CHoldingLibrary::s_file;
Names CHoldingLibrary::s_log;

}  // namespace

// A library that keeps the quarantine file open while its container is open:
// the item is read, its container released, then its quarantine, and only
// then does the file go.
TEST_F(ListCommands, DeleteReleasesTheItemBeforeTheFileGoes) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    Create();
    const CHoldingLibrary holding(Library());
    Select({a});
    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(Messages(), Names{DeleteQuestion(1)});
    EXPECT_EQ(CHoldingLibrary::s_log,
              (Names{L"CloseContainer file there", L"CloseQuarantine file there"}));
    EXPECT_EQ(scene.QuarantineFiles(), Names{b});
    EXPECT_EQ(ListedNames(), Names{b});
}

TEST_F(ListCommands, DeleteAsksOnceWithTheCountAndOnlyYesDeletesAndRefills) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    const std::wstring c = Add(L"c.txt", "charlie");
    Create();
    const std::wstring late = Add(L"late.txt", "late");

    Select({a, c});
    answerer.AnswerNextMessageBox(IDNO);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(scene.QuarantineFiles(), (Names{a, b, c, late}));
    EXPECT_EQ(ListedNames(), (Names{a, b, c}));

    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);

    ASSERT_EQ(answerer.Shown().size(), 2u);
    for (const ShownWindow& shown : answerer.Shown()) {
        EXPECT_EQ(shown.text,
                  L"Permanently delete the selected quarantine files (2)? They cannot "
                  L"be restored afterwards.");
        EXPECT_EQ(shown.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(shown.defaultButton, IDNO);
        EXPECT_EQ(shown.icon, UINT(MB_ICONQUESTION));
        EXPECT_EQ(shown.caption, AfxGetAppTitle());
    }
    EXPECT_EQ(scene.QuarantineFiles(), (Names{b, late}));
    EXPECT_EQ(ListedNames(), (Names{b, late}));
    EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
}

TEST_F(ListCommands, AFileThatWillNotGoStaysListedAndIsReportedOnlyWhenAlone) {
    const std::wstring held = Add(L"held.txt", "held");
    const std::wstring other = Add(L"other.txt", "other");
    Create();
    const CUniqueHandle<FileTraits> hold = HoldOpen(scene.QuarantineFile(held));
    ASSERT_TRUE(hold);

    driver.SelectRows({});
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(Messages(), Texts({IDS_SELECT_FILES}));

    answerer.ClearShown();
    Select({held});
    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(Messages(), (Names{DeleteQuestion(1), Text(IDS_DELETE_FAILED)}));
    EXPECT_EQ(answerer.Shown().back().buttons, std::vector<int>{IDOK});

    answerer.ClearShown();
    Select({held, other});
    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(Messages(), (Names{DeleteQuestion(2), FailedRows(IDS_WALK_DELETE_FAILED, 2,
                                                               {{held, IDS_DELETE_FAILED}})}));
    EXPECT_EQ(scene.QuarantineFiles(), Names{held});
    EXPECT_EQ(ListedNames(), Names{held});
}

TEST_F(ListCommands, CtrlASelectsEveryRowAndF5ReloadsFromThePathBox) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    Create();
    const std::wstring late = Add(L"late.txt", "late");

    driver.SelectRows({});
    driver.PressKey('A');
    EXPECT_TRUE(driver.SelectedRows().empty());
    driver.PressKey('A', true);
    EXPECT_EQ(driver.SelectedRows(), (std::vector<int>{0, 1}));

    driver.TypePath(scene.Root());
    driver.PressKey(VK_F5);
    EXPECT_EQ(driver.RowCount(), 0);
    EXPECT_EQ(driver.Dialog().m_strFolder, scene.Root() + L"\\");
    driver.TypePath(scene.Quarantine());
    driver.PressKey(VK_F5);
    EXPECT_EQ(ListedNames(), (Names{a, b, late}));
    EXPECT_TRUE(answerer.Shown().empty());
}

TEST_F(ListCommands, ContextMenuGreysWhatNeedsASelectionAndEachItemRunsItsCommand) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    Create();

    driver.SelectRows({});
    const std::vector<ShownMenuItem> items = driver.ContextMenu(0);
    ASSERT_EQ(items.size(), 10u);
    const UINT ids[] = {IDC_RESTORE,
                        IDC_CLEAN_AND_RESTORE,
                        IDC_RESTORE_TO_NEW_LOCATION,
                        IDC_COLLECTION,
                        0,
                        ID_LIST_DELETE,
                        0,
                        ID_LIST_SELECT_ALL,
                        0,
                        ID_LIST_PROPERTIES};
    // Separators are left out of the check: they count as greyed on some systems.
    const bool grayed[] = {true, true, true, false, false, true, false, false, false, true};
    const wchar_t* texts[] = {L"Restore...",
                              L"Clean and restore...",
                              L"Restore to new location...",
                              L"Collection",
                              L"",
                              L"Delete...",
                              L"",
                              L"Select all",
                              L"",
                              L"Properties"};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].nID, ids[i]) << i;
        if (ids[i] != 0) {
            EXPECT_EQ(items[i].grayed, grayed[i]) << i;
        }
        EXPECT_EQ(Visible(items[i].text), texts[i]) << i;
    }
    EXPECT_TRUE(answerer.Shown().empty());

    // Select all needs no selection; a right click opens the menu where it was.
    RECT list = {};
    ::GetWindowRect(::GetDlgItem(driver.Window(), IDC_QUARANTINE_LIST), &list);
    const POINT click = {list.left + 40, list.top + 40};
    driver.ContextMenu(L'a', &click);
    EXPECT_EQ(driver.SelectedRows(), (std::vector<int>{0, 1}));

    struct Case {
        wchar_t key;
        bool browser;
        std::wstring text;
    };
    const Case cases[] = {{L'r', false, Text(IDS_DELETE_AFTER_RESTORE)},
                          {L'c', false, Text(IDS_DELETE_AFTER_RESTORE)},
                          {L'n', true, L""},
                          {L'o', true, L""},
                          {L'd', false, DeleteQuestion(1)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.key)));
        answerer.ClearShown();
        Select({a});
        if (c.browser)
            answerer.CancelNextBrowser();
        else
            answerer.AnswerNextMessageBox(IDNO);
        const std::vector<ShownMenuItem> shown =
            driver.ContextMenu(c.key, c.key == L'r' ? nullptr : &click);
        ASSERT_FALSE(shown.empty());
        EXPECT_FALSE(shown[0].grayed);
        ASSERT_FALSE(answerer.Shown().empty());
        EXPECT_EQ(answerer.Shown()[0].kind,
                  c.browser ? ShownWindow::kFolderBrowser : ShownWindow::kMessageBox);
        EXPECT_EQ(answerer.Shown()[0].text, c.text);
    }
    // "Restore..." with No restored the file and kept its quarantine file.
    EXPECT_EQ(ReadFileBytes(OriginFile(L"a.txt")), "alpha");
    EXPECT_EQ(ListedNames(), (Names{a, b}));
}

TEST_F(ListCommands, GermanMenuAndDeleteTexts) {
    const CThreadLanguage german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring b = Add(L"b.txt", "bravo");
    const std::wstring c = Add(L"c.txt", "charlie");
    Create();
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"b.txt"), "in the way"));

    Select({a});
    std::vector<std::wstring> texts;
    for (const ShownMenuItem& item : driver.ContextMenu(0)) texts.push_back(Visible(item.text));
    EXPECT_EQ(texts, (Names{L"Zurückbewegen...", L"Säubern und Zurückbewegen...",
                            L"Zurückbewegen (neuer Ordner)...", L"Sammlung", L"", L"Löschen...",
                            L"", L"Alle auswählen", L"", L"Eigenschaften"}));

    const CUniqueHandle<FileTraits> hold = HoldOpen(scene.QuarantineFile(a));
    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);
    EXPECT_EQ(Messages(), (Names{L"Die ausgewählten Quarantänedateien (1) endgültig löschen? Sie "
                                 L"können danach nicht wiederhergestellt werden.",
                                 L"Die Quarantänedatei konnte nicht gelöscht werden."}));
    EXPECT_EQ(FillCounts(Text(IDS_PROGRESS_COUNT), {3, 20}), L"3 von 20");

    // After a walk of several rows, one message names the rows that failed.
    answerer.ClearShown();
    Select({b, c});
    answerer.AnswerNextMessageBox(IDNO);
    answerer.AnswerNextMessageBox(IDNO);
    driver.Click(IDC_RESTORE);
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_EQ(Messages()[2],
              L"1 von 2 Quarantänedateien konnten nicht zurückbewegt werden:\n\n" + b +
                  L": Übersprungen, wie gewählt: Eine Datei ist im Weg. " +
                  L"Eine Datei namens „b.txt“ liegt bereits in diesem Ordner; nichts "
                  L"wurde überschrieben: " +
                  scene.Origin());
    EXPECT_EQ(ReadFileBytes(OriginFile(L"c.txt")), "charlie");
}

// A restore of many rows with a slow library: the first row takes longer than
// the progress dialog's delay, the others a little while each. Another
// thread plays the user: it waits for the progress dialog, reads it, sends
// the main window a message, and presses Cancel.
TEST_F(ListCommands, ProgressComesUpForALongWalkAndCancelStopsAfterTheCurrentRow) {
    const int kRows = 20;
    Names names;
    for (int i = 0; i < kRows; ++i) names.push_back(Add(L"f" + std::to_wstring(i) + L".txt", "x"));
    CRestoreInterposer interposer(Library());
    Create();
    const HWND hMain = driver.Window();

    std::atomic<size_t> started(0);
    size_t startedAtCancel = 0;
    interposer.BeforeEachCall([&](size_t index) {
        started = index + 1;
        // The library's own work time, not a wait for anything: the first row
        // outlasts the progress's delay, each other one outlasts the interval
        // at which the walk asks for Cancel, as a real restore does.
        ::Sleep(static_cast<DWORD>(index == 0 ? CProgressWalk::kDelayMs + 100 : 100));
    });
    CProgressCanceller user(
        hMain,
        [&](const Names& texts) {
            const bool counted =
                std::any_of(texts.begin(), texts.end(), [&](const std::wstring& t) {
                    return t.size() > 6 && t.compare(t.size() - 6, 6, L" of 20") == 0;
                });
            const bool named = std::any_of(texts.begin(), texts.end(), [&](const std::wstring& t) {
                return std::find(names.begin(), names.end(), t) != names.end();
            });
            return counted && named;
        },
        [&] { startedAtCancel = started; });

    driver.PressKey('A', true);
    answerer.AnswerNextMessageBox(IDYES);
    driver.Click(IDC_RESTORE);
    user.Join();

    ASSERT_TRUE(user.found) << "no progress dialog with the count and a file name came up";
    EXPECT_EQ(user.caption, Text(IDS_PROGRESS_RESTORE));
    EXPECT_TRUE(user.mainDisabled);
    EXPECT_TRUE(user.mainAnswered);
    EXPECT_TRUE(::IsWindowEnabled(hMain));

    // Cancel ends the walk before the next row: what was done stays done, and
    // after the Yes the list is refilled.
    const size_t restored = interposer.Calls().size();
    EXPECT_GE(restored, startedAtCancel);
    EXPECT_LE(restored, startedAtCancel + 1);
    EXPECT_LT(restored, static_cast<size_t>(kRows));
    EXPECT_EQ(scene.QuarantineFiles().size(), static_cast<size_t>(kRows) - restored);
    EXPECT_EQ(ListedNames(), scene.QuarantineFiles());
    EXPECT_EQ(Messages(), Texts({IDS_DELETE_AFTER_RESTORE}));
}
