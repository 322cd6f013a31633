#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "tests/cmdline/ProgramRun.h"
#include "tests/common/TestPaths.h"
#include "tests/restore/RestoreFixture.h"
#include "framework/Clipboard.h"
#include "ui/ItemPropertiesDlg.h"

// What a quarantine file holds (the properties dialog), what is in the way
// when a restore fails, and where the keyboard is after an operation.

namespace {

typedef std::vector<std::wstring> Names;

class ItemDetails : public RestoreFixture {
protected:
    ItemDetails() : RestoreFixture(L"itemdetails") {}

    // One quarantine file holding three files, made by the stand-in's tool,
    // which takes the originals away. Returns its name.
    std::wstring AddThreeFiles() {
        const Names before = scene.QuarantineFiles();
        for (const wchar_t* name : {L"one.txt", L"two.txt", L"three.txt"})
            EXPECT_TRUE(WriteFileBytes(OriginFile(name), "content"));
        const ProgramRun tool =
            RunProgram(TestBinDir() + L"\\standin\\ZEBQtTool.exe",
                       L"add \"" + scene.Quarantine() + L"\" \"" + OriginFile(L"one.txt") +
                           L"\" Multi.Virus --also \"" + OriginFile(L"two.txt") + L"\" --also \"" +
                           OriginFile(L"three.txt") + L"\"");
        EXPECT_TRUE(tool.finished && tool.exitCode == 0);
        for (const std::wstring& name : scene.QuarantineFiles())
            if (std::find(before.begin(), before.end(), name) == before.end()) return name;
        return std::wstring();
    }

    // A dialog of its own on the stand-in library, for one language's run.
    testing::AssertionResult Open(CMainDialogDriver& local) {
        if (!local.Dialog().m_ZEBQt.Load(StandinDir()) || !local.Create())
            return testing::AssertionFailure() << "the dialog did not open";
        answerer.ClearShown();
        return testing::AssertionSuccess();
    }
};

}  // namespace

TEST_F(ItemDetails, PropertiesListEveryFileOfTheItemInBothLanguages) {
    const std::wstring multi = AddThreeFiles();
    ASSERT_FALSE(multi.empty());
    InBothLanguages([&](bool german) {
        CMainDialogDriver local;
        ASSERT_TRUE(Open(local));
        local.SelectRows({0});

        if (german) {
            // The context menu's last item, by its access key.
            local.ContextMenu(L'e');
        } else {
            // Alt+Enter on the list, through the message loop.
            const HWND hList = ::GetDlgItem(local.Window(), IDC_QUARANTINE_LIST);
            ::PostMessageW(hList, WM_SYSKEYDOWN, VK_RETURN, 0x20000001);
            local.Pump();
        }

        const std::vector<ShownWindow> shown = answerer.ShownOfKind(ShownWindow::kDialog);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, german ? L"Eigenschaften" : L"Properties");
        const std::wstring origin = scene.Origin();
        EXPECT_EQ(shown[0].fields, (Names{multi, L"Multi.Virus", local.Row(0)[4], L"0"}));
        // Each file's name beside its folder.
        EXPECT_EQ(shown[0].listRows,
                  (Names{L"one.txt|" + origin, L"two.txt|" + origin, L"three.txt|" + origin}));
        EXPECT_NE(shown[0].text.find(german ? L"&Frühere Pfade:" : L"&Former paths:"),
                  std::wstring::npos);
        // The label says what the list's column says.
        EXPECT_NE(shown[0].text.find(german ? L"&Quarantäne-Datei:" : L"&Quarantine file:"),
                  std::wstring::npos);
    });
}

// Long former paths that differ only in their file names: each name shows
// whole in its own column, the folder beside it, and Ctrl+C copies the
// selected paths whole.
TEST(ItemPropertiesDialog, LongPathsShowTheirNamesWholeAndCopyWhole) {
    const std::wstring folder = L"C:\\Users\\someone\\Documents\\" + std::wstring(180, L'x');
    ItemProperties item;
    item.quarantineFile = L"0001.qua";
    item.formerPaths = {folder + L"\\report-2024-final.docx", folder + L"\\report-2024-draft.docx",
                        L"nofolder.txt"};
    CItemPropertiesDlg dialog(item, nullptr);
    ASSERT_TRUE(dialog.Create());
    CListCtrl paths;
    paths.Attach(dialog.GetDlgItem(IDC_PROP_FORMER_PATHS));
    ASSERT_EQ(paths.GetItemCount(), 3);
    EXPECT_EQ(paths.GetItemText(0, 0), L"report-2024-final.docx");
    EXPECT_EQ(paths.GetItemText(1, 0), L"report-2024-draft.docx");
    EXPECT_EQ(paths.GetItemText(1, 1), folder);
    EXPECT_EQ(paths.GetItemText(2, 0), L"nofolder.txt");
    EXPECT_EQ(paths.GetItemText(2, 1), L"");

    RECT client = {};
    ::GetClientRect(paths.GetSafeHwnd(), &client);
    const int nameColumn = static_cast<int>(paths.SendMessage(LVM_GETCOLUMNWIDTH, 0));
    const int folderColumn = static_cast<int>(paths.SendMessage(LVM_GETCOLUMNWIDTH, 1));
    const int nameText = static_cast<int>(paths.SendMessage(
        LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"report-2024-final.docx")));
    EXPECT_GT(nameColumn, nameText);
    EXPECT_LE(nameColumn + folderColumn, client.right);

    paths.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    paths.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    SendKey(paths.GetSafeHwnd(), 'C', true);
    EXPECT_EQ(ClipboardText(dialog.GetSafeHwnd()),
              folder + L"\\report-2024-draft.docx\r\nnofolder.txt");
}

// Files of the selected items on taken names: the question comes once, before
// anything is written, naming the files in the way. Cancel restores nothing;
// Skip passes those items over and says so, one line per row.
TEST_F(ItemDetails, ATakenNameIsAskedAboutOnceAndCancelOrSkipOverwritesNothingInBothLanguages) {
    const std::wstring multi = AddThreeFiles();
    const std::wstring single = Add(L"single.txt", "single");
    // Only one of the three names is taken.
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"two.txt"), "mine"));
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"single.txt"), "mine too"));
    const std::wstring folder = scene.Origin();

    InBothLanguages([&](bool german) {
        CMainDialogDriver local;
        ASSERT_TRUE(Open(local));
        const auto rowOf = [&local](const std::wstring& name) {
            const Names names = local.Column(0);
            return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        };
        const std::wstring skipped = german ? L"Übersprungen, wie gewählt: Eine Datei ist im Weg."
                                            : L"Skipped, as chosen: a file is in the way.";
        // The folder whole on a line of its own.
        const auto inTheWay = [&](const std::wstring& name) {
            return german
                       ? L"Eine Datei namens „" + name +
                             L"“ liegt bereits in diesem Ordner; nichts wurde überschrieben:\n" +
                             folder
                       : L"A file named \"" + name +
                             L"\" is already in this folder; nothing was overwritten:\n" + folder;
        };
        // An item of several files says that none of them came back.
        const std::wstring noneOfThree =
            german ? L"Keine der 3 Dateien dieses Objekts wurde zurückbewegt."
                   : L"None of this item's 3 files was restored.";

        local.SelectRows({rowOf(multi)});
        answerer.AnswerNextMessageBox(IDNO);
        answerer.AnswerNextMessageBox(IDCANCEL);
        local.Click(IDC_RESTORE);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(Messages()[1], ConflictQuestion({folder + L"\\two.txt"}));
        EXPECT_EQ(Messages()[1].find(german ? L"Für 1 der zurückzubewegenden Dateien"
                                            : L"1 of the files to restore"),
                  0u);
        EXPECT_EQ(answerer.Shown()[1].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
        EXPECT_EQ(FolderEntries(scene.Origin()), (Names{L"single.txt", L"two.txt"}));

        answerer.ClearShown();
        local.SelectRows({rowOf(multi), rowOf(single)});
        answerer.AnswerNextMessageBox(IDNO);
        answerer.AnswerNextMessageBox(IDNO);
        local.Click(IDC_RESTORE);
        ASSERT_EQ(Messages().size(), 3u);
        const std::wstring message = Messages()[2];
        // One line per row, after a blank line.
        EXPECT_NE(message.find(L":\n\n"), std::wstring::npos);
        EXPECT_NE(
            message.find(multi + L": " +
                         OneLine(skipped + L"\n" + inTheWay(L"two.txt") + L"\n" + noneOfThree)),
            std::wstring::npos)
            << std::string(message.begin(), message.end());
        EXPECT_NE(message.find(single + L": " + OneLine(skipped + L"\n" + inTheWay(L"single.txt"))),
                  std::wstring::npos);
        EXPECT_EQ(std::count(message.begin(), message.end(), L'\n'), 3);
    });
    EXPECT_EQ(ReadFileBytes(OriginFile(L"two.txt")), "mine");
    EXPECT_EQ(ReadFileBytes(OriginFile(L"single.txt")), "mine too");
    EXPECT_EQ(FolderEntries(scene.Origin()), (Names{L"single.txt", L"two.txt"}));
    EXPECT_EQ(scene.QuarantineFiles().size(), 2u);
}

// Keep both, with a clean and restore: the cured files arrive, the one whose
// name is taken beside the user's as "two (2).txt", and the item's
// quarantine file goes after the Yes, as it was restored whole.
TEST_F(ItemDetails, KeepBothRestoresACleanedItemBesideTheUsersFile) {
    LoadScanner();
    const std::wstring multi = AddThreeFiles();
    ASSERT_TRUE(WriteFileBytes(OriginFile(L"two.txt"), "mine"));
    CMainDialogDriver local;
    ASSERT_TRUE(Open(local));
    local.SelectRows({0});
    answerer.AnswerNextMessageBox(IDYES);
    answerer.AnswerNextMessageBox(IDYES);
    local.Click(IDC_CLEAN_AND_RESTORE);

    const std::wstring origin = scene.Origin();
    EXPECT_EQ(FolderEntries(origin), (Names{L"one.txt", L"three.txt", L"two (2).txt", L"two.txt"}));
    EXPECT_EQ(ReadFileBytes(OriginFile(L"two.txt")), "mine");
    for (const wchar_t* name : {L"one.txt", L"two (2).txt", L"three.txt"})
        EXPECT_EQ(ReadFileBytes(OriginFile(name)), "content");
    EXPECT_TRUE(scene.QuarantineFiles().empty());
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_EQ(Messages()[2],
              L"1 restored files were kept under another name, beside the file "
              L"already there:\n\n" +
                  origin + L"\\two (2).txt");
}

TEST_F(ItemDetails, AfterADeleteTheKeyboardIsOnTheRowThatTookTheSelectionsPlace) {
    const std::wstring a = Add(L"a.txt", "a");
    const std::wstring b = Add(L"b.txt", "b");
    const std::wstring c = Add(L"c.txt", "c");
    const std::wstring d = Add(L"d.txt", "d");
    Create();
    const HWND hList = ::GetDlgItem(driver.Window(), IDC_QUARANTINE_LIST);
    ::SetFocus(hList);
    Select({b, c});

    answerer.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE);

    ASSERT_EQ(driver.Column(0), (Names{a, d}));
    EXPECT_EQ(::GetFocus(), hList);
    EXPECT_EQ(driver.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(::SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 1);
}

// A delete, a restore with Yes and a Reload keep the user's sort, and the
// keyboard goes on from the item that came next in the view, never from the
// row that now stands at the old index.
TEST_F(ItemDetails, AfterARefillTheSortHoldsAndTheNextItemInTheViewIsSelectedInBothLanguages) {
    for (const wchar_t* file :
         {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt", L"f.txt", L"g.txt"})
        Add(file, "x");
    InBothLanguages([&](bool) {
        CMainDialogDriver local;
        ASSERT_TRUE(Open(local));
        const auto selected = [&local] {
            Names names;
            for (const int row : local.SelectedRows())
                names.push_back(local.Row(row)[kColumnFileName]);
            return names;
        };
        const auto without = [](Names names, const std::wstring& name) {
            names.erase(std::find(names.begin(), names.end(), name));
            return names;
        };
        // By file name, descending, against the first column's order.
        local.ClickColumn(kColumnFileName);
        local.ClickColumn(kColumnFileName);
        Names view = local.Column(kColumnFileName);
        ASSERT_GE(view.size(), 4u);
        ASSERT_TRUE(std::is_sorted(view.rbegin(), view.rend()));
        const std::wstring deleted = view[1], restored = view[2], last = view[3];

        local.SelectRows({1});
        // What each step takes out of the view, and the item selected after it.
        const struct {
            int command;  // IDC_RELOAD, IDC_RESTORE (answered Yes), or 0 for the Del key
            std::wstring gone, selected;
        } steps[] = {
            {0, deleted, restored}, {IDC_RELOAD, L"", restored}, {IDC_RESTORE, restored, last}};
        for (const auto& step : steps) {
            if (step.command != IDC_RELOAD) answerer.AnswerNextMessageBox(IDYES);
            if (step.command == 0)
                local.PressKey(VK_DELETE);
            else
                local.Click(step.command);
            if (!step.gone.empty()) view = without(view, step.gone);
            EXPECT_EQ(local.Column(kColumnFileName), view) << step.command;
            EXPECT_EQ(selected(), Names{step.selected}) << step.command;
        }

        // The arrow still says descending, so the next click goes ascending.
        local.ClickColumn(kColumnFileName);
        EXPECT_EQ(local.Column(kColumnFileName), Names(view.rbegin(), view.rend()));
    });
}
