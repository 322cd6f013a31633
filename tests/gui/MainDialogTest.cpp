#include <gtest/gtest.h>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/common/TestPaths.h"
#include "tests/gui/FakeDialog.h"
#include "ui/FolderBrowser.h"

namespace {

const wchar_t kUpdateRequired[] =
    L"The installed ZEB version is not up-to-date.\nPlease perform a software update.";
const wchar_t kScannerMissing[] = L"ZEB Scanner not installed!";

bool StandinsBuilt() {
    return FileExists(StandinDir() + L"\\ZEBQt.dll") &&
           FileExists(StandinDir() + L"\\ZEBScanP.dll");
}

}  // namespace

TEST(MainDialogSetUp, BothLibrariesMissingWarnsTwiceInOrderAndListsNothing) {
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    ASSERT_TRUE(driver.Create());

    const std::vector<ShownWindow> shown = answerer.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, kUpdateRequired);
    EXPECT_EQ(shown[1].text, kScannerMissing);
    for (const ShownWindow& box : shown) {
        EXPECT_EQ(box.kind, ShownWindow::kMessageBox);
        EXPECT_EQ(box.caption, AfxGetAppTitle());
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(box.icon, UINT(MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(driver.RowCount(), 0);
    // The dialog still works: the list and its columns are there.
    EXPECT_EQ(driver.ColumnHeading(4), L"Timestamp");
}

TEST(MainDialogSetUp, IncompleteQuarantineLibraryWarnsOnlyAboutTheUpdate) {
    const std::wstring incomplete = DoublesDir(L"zebqt_noexport");
    if (!FileExists(incomplete + L"\\ZEBQt.dll") || !StandinsBuilt())
        GTEST_SKIP() << "libraries not built";
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    ASSERT_TRUE(driver.Dialog().m_ZEBQt.Load(incomplete));
    ASSERT_TRUE(driver.Dialog().m_ScanP.LoadFrom(L"Engine A", L"Engine B", StandinDir()));
    ASSERT_TRUE(driver.Create());

    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, kUpdateRequired);
}

TEST(MainDialogSetUp, CompleteLibrariesShowNoMessage) {
    if (!StandinsBuilt()) GTEST_SKIP() << "stand-in libraries not built";
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    ASSERT_TRUE(driver.Dialog().m_ZEBQt.Load(StandinDir()));
    ASSERT_TRUE(driver.Dialog().m_ScanP.LoadFrom(L"Engine A", L"Engine B", StandinDir()));
    ASSERT_TRUE(driver.Create());
    EXPECT_TRUE(answerer.Shown().empty());
}

TEST(MainDialogSetUp, ListHasFullRowSelectionAndTheFiveColumns) {
    FakeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND hList = ::GetDlgItem(dialog.driver.Window(), IDC_QUARANTINE_LIST);
    EXPECT_NE(::SendMessageW(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, 0);

    const wchar_t* headings[] = {L"Quarantine-File", L"Virus", L"Filename", L"Path", L"Timestamp"};
    const int widths[] = {130, 100, 130, 130, 100};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(dialog.driver.ColumnHeading(column), headings[column]);
        EXPECT_EQ(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, column, 0), widths[column]) << column;
        LVCOLUMNW info = {};
        info.mask = LVCF_FMT;
        ::SendMessageW(hList, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << column;
    }
    EXPECT_EQ(dialog.driver.ColumnHeading(5), L"");
}

TEST(MainDialogSetUp, WindowCarriesTheApplicationIconBigAndSmall) {
    FakeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HICON icon = dialog.driver.Dialog().m_hIcon;
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(
        reinterpret_cast<HICON>(::SendMessageW(dialog.driver.Window(), WM_GETICON, ICON_BIG, 0)),
        icon);
    EXPECT_EQ(
        reinterpret_cast<HICON>(::SendMessageW(dialog.driver.Window(), WM_GETICON, ICON_SMALL, 0)),
        icon);
    EXPECT_EQ(
        reinterpret_cast<HICON>(::SendMessageW(dialog.driver.Window(), WM_QUERYDRAGICON, 0, 0)),
        icon);
}

struct FolderChoiceCase {
    const wchar_t* path;
    const wchar_t* quarantineDef;
    const wchar_t* pathBox;
    const wchar_t* opened;
};

class FolderChoice : public testing::TestWithParam<FolderChoiceCase> {};

TEST_P(FolderChoice, ComesFromPathElseQuarantineDefWithOneBackslashLess) {
    const FolderChoiceCase& c = GetParam();
    FakeDialog dialog;
    if (c.path != nullptr) dialog.settings.SetPath(c.path);
    if (c.quarantineDef != nullptr) dialog.settings.SetQuarantineDef(c.quarantineDef);
    ASSERT_TRUE(dialog.Create());

    EXPECT_EQ(dialog.driver.PathText(), c.pathBox);
    EXPECT_EQ(dialog.State().openedFolders, std::vector<std::wstring>{c.opened});
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, c.opened);
}

INSTANTIATE_TEST_SUITE_P(
    MainDialogSetUp, FolderChoice,
    testing::Values(FolderChoiceCase{L"D:\\Quarantine\\", nullptr, L"D:\\Quarantine",
                                     L"D:\\Quarantine\\"},
                    FolderChoiceCase{L"", L"C:\\Q", L"C:\\Q", L"C:\\Q\\"},
                    FolderChoiceCase{nullptr, L"C:\\Q\\", L"C:\\Q", L"C:\\Q\\"},
                    FolderChoiceCase{L"C:\\", nullptr, L"C:", L"C:\\"},
                    FolderChoiceCase{L"D:\\Q\\\\", nullptr, L"D:\\Q\\", L"D:\\Q\\"},
                    FolderChoiceCase{L"D:\\Mine", L"C:\\Product", L"D:\\Mine", L"D:\\Mine\\"},
                    FolderChoiceCase{nullptr, nullptr, L"", L"\\"}));

TEST(MainDialogReload, TakesThePathBoxAsTypedAndAddsOneBackslashForTheFill) {
    FakeDialog dialog;
    dialog.settings.SetPath(L"C:\\Start\\");
    ASSERT_TRUE(dialog.Create());
    dialog.State().openedFolders.clear();

    dialog.driver.TypePath(L"C:\\Quarantine");
    // Typing alone changes nothing the restore operations rely on.
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, L"C:\\Start\\");
    EXPECT_TRUE(dialog.State().openedFolders.empty());

    dialog.driver.Click(IDC_RELOAD);
    dialog.driver.TypePath(L"C:\\Quarantine\\");
    dialog.driver.Click(IDC_RELOAD);
    EXPECT_EQ(dialog.State().openedFolders,
              (std::vector<std::wstring>{L"C:\\Quarantine\\", L"C:\\Quarantine\\"}));
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, L"C:\\Quarantine\\");
    EXPECT_EQ(dialog.driver.PathText(), L"C:\\Quarantine\\");

    dialog.driver.TypePath(L"");
    dialog.driver.Click(IDC_RELOAD);
    EXPECT_EQ(dialog.State().openedFolders.back(), L"\\");
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, L"\\");
    EXPECT_EQ(dialog.driver.PathText(), L"");
    // Nothing is stored by a reload, and no message is shown.
    EXPECT_EQ(dialog.settings.Path(), L"C:\\Start\\");
    EXPECT_TRUE(dialog.answerer.Shown().empty());
}

TEST(MainDialogReload, F5InAnyControlReloadsFromThePathBoxUnlessTheDialogIsBusy) {
    FakeDialog dialog;
    dialog.settings.SetPath(L"C:\\Start\\");
    ASSERT_TRUE(dialog.Create());
    dialog.State().openedFolders.clear();

    dialog.driver.TypePath(L"C:\\Typed");
    for (const int nID : {IDC_PATH, IDC_RELOAD, IDC_QUARANTINE_LIST, IDCANCEL})
        dialog.driver.PressKeyIn(nID, VK_F5);
    EXPECT_EQ(dialog.State().openedFolders, std::vector<std::wstring>(4, L"C:\\Typed\\"));
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, L"C:\\Typed\\");

    // Del in the path box edits the text; it deletes no quarantine file.
    dialog.driver.PressKeyIn(IDC_PATH, VK_DELETE);
    EXPECT_TRUE(dialog.answerer.Shown().empty());
    // A disabled dialog waits for a message box or a long walk.
    ::EnableWindow(dialog.driver.Window(), FALSE);
    dialog.driver.PressKeyIn(IDC_PATH, VK_F5);
    ::EnableWindow(dialog.driver.Window(), TRUE);
    EXPECT_EQ(dialog.State().openedFolders.size(), 4u);
}

// Under Wine the first folder browser opened after new folders appear does
// not always take the selection it is given; one browser of the test's own,
// answered with the folder, gets past that before the dialog's is opened.
static void SettleBrowserOn(CModalAnswerer& answerer, const std::wstring& folder) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        answerer.ChooseFolderInNextBrowser(folder);
        std::wstring chosen;
        if (BrowseForFolder(nullptr, L"", BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE, nullptr, 0,
                            &chosen) == BrowseOutcome::Chosen &&
            chosen == folder)
            break;
    }
    answerer.ClearShown();
}

TEST(MainDialogBrowse, ChosenFolderIsListedShownAndStoredWithItsBackslash) {
    const std::wstring folder = MakeScratchDir(L"gui-browse");
    const std::wstring stored = MakeScratchDir(L"gui-browse-stored");
    FakeDialog dialog;
    dialog.settings.SetPath(stored + L"\\");
    ASSERT_TRUE(dialog.Create());
    dialog.State().openedFolders.clear();
    SettleBrowserOn(dialog.answerer, folder);

    dialog.answerer.ChooseFolderInNextBrowser(folder);
    dialog.driver.Click(IDC_BROWSE);

    ASSERT_EQ(dialog.answerer.ShownOfKind(ShownWindow::kFolderBrowser).size(), 1u);
    EXPECT_EQ(dialog.driver.PathText(), folder);
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, folder + L"\\");
    EXPECT_EQ(dialog.State().openedFolders, std::vector<std::wstring>{folder + L"\\"});
    EXPECT_EQ(dialog.settings.Path(), folder + L"\\");
    RemoveTree(folder);
    RemoveTree(stored);
}

TEST(MainDialogBrowse, ChosenFolderIsWhereTheNextStartBegins) {
    const std::wstring folder = MakeScratchDir(L"gui-next-start");
    const std::wstring before = MakeScratchDir(L"gui-before");
    CSettingsSandbox settings;
    // Under Wine the browser ignores a later selection once it was
    // preselected with an empty text; a stored folder avoids that.
    settings.SetPath(before);
    {
        CModalAnswerer answerer;
        CMainDialogDriver driver;
        CFakeQuarantineLibrary fake(driver.Dialog().m_ZEBQt);
        ASSERT_TRUE(driver.Create());
        SettleBrowserOn(answerer, folder);
        answerer.ChooseFolderInNextBrowser(folder);
        driver.Click(IDC_BROWSE);
        ASSERT_EQ(answerer.ShownOfKind(ShownWindow::kFolderBrowser).size(), 1u);
        ASSERT_EQ(driver.PathText(), folder);
    }
    ASSERT_EQ(settings.Path(), folder + L"\\");
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    CFakeQuarantineLibrary fake(driver.Dialog().m_ZEBQt);
    ASSERT_TRUE(driver.Create());
    EXPECT_EQ(driver.PathText(), folder);
    EXPECT_EQ(fake.State().openedFolders, std::vector<std::wstring>{folder + L"\\"});
    RemoveTree(folder);
    RemoveTree(before);
}

TEST(MainDialogBrowse, CancelChangesNothing) {
    FakeDialog dialog;
    dialog.settings.SetPath(L"C:\\Kept\\");
    ASSERT_TRUE(dialog.Create());
    dialog.driver.TypePath(L"C:\\Typed");
    dialog.State().openedFolders.clear();

    dialog.answerer.CancelNextBrowser();
    dialog.driver.Click(IDC_BROWSE);

    ASSERT_EQ(dialog.answerer.Shown().size(), 1u);
    EXPECT_EQ(dialog.answerer.Shown()[0].kind, ShownWindow::kFolderBrowser);
    EXPECT_EQ(dialog.driver.PathText(), L"C:\\Typed");
    EXPECT_EQ(dialog.driver.Dialog().m_strFolder, L"C:\\Kept\\");
    EXPECT_TRUE(dialog.State().openedFolders.empty());
    EXPECT_EQ(dialog.settings.Path(), L"C:\\Kept\\");
}

TEST(MainDialogAbout, OpensForSystemCommandsSixteenToThirtyOne) {
    FakeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    for (const UINT command : {16u, 17u, 31u}) {
        dialog.answerer.ClearShown();
        dialog.driver.SystemCommand(command);
        ASSERT_EQ(dialog.answerer.Shown().size(), 1u) << command;
        const ShownWindow& about = dialog.answerer.Shown()[0];
        EXPECT_EQ(about.kind, ShownWindow::kDialog);
        EXPECT_EQ(about.caption, L"Info über Quarantine");
        EXPECT_EQ(about.text.find(L"Quarantine Version 1.0\n"), 0u) << about.text;
    }
    dialog.answerer.ClearShown();
    dialog.driver.SystemCommand(32);
    dialog.driver.SystemCommand(0);
    EXPECT_TRUE(dialog.answerer.Shown().empty());
}

TEST(MainDialogLanguage, GermanUserInterfaceGetsTheGermanTexts) {
    CThreadLanguage german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    ASSERT_TRUE(driver.Create());

    wchar_t caption[64] = {};
    ::GetWindowTextW(driver.Window(), caption, 64);
    EXPECT_STREQ(caption, L"Quarantäne");
    EXPECT_EQ(driver.ControlText(IDC_RELOAD), L"Erneut &Laden");
    EXPECT_EQ(driver.ControlText(IDC_CLEAN_AND_RESTORE), L"&Säubern und Zurückbewegen...");
    EXPECT_EQ(driver.ControlText(IDCANCEL), L"S&chließen");
    EXPECT_EQ(driver.ColumnHeading(0), L"Quarantäne-Datei");
    EXPECT_EQ(driver.ColumnHeading(3), L"Ordner");
    ASSERT_EQ(answerer.Shown().size(), 2u);
    EXPECT_EQ(answerer.Shown()[0].text,
              L"Die installierte ZEB Version ist nicht auf dem aktuellen Stand.\n"
              L"Bitte führen sie ein Softwareupdate durch.");
    EXPECT_EQ(answerer.Shown()[1].text, L"ZEB Scanner nicht installiert!");

    answerer.ClearShown();
    driver.SystemCommand(IDM_ABOUTBOX);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].caption, L"Info über Quarantine");
}
