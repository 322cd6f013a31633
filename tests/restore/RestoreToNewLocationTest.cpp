#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "res/resource.h"
#include "tests/common/TestPaths.h"
#include "tests/doubles/restore_interposer/RestoreInterposer.h"
#include "tests/common/PolicySandbox.h"
#include "tests/restore/RestoreFixture.h"

namespace {

typedef std::vector<std::wstring> Names;

// Records which tree item each folder browser has selected once it is set up,
// before anything else touches it.
class CBrowserSelectionProbe {
public:
    CBrowserSelectionProbe() {
        s_pProbe = this;
        m_hHook =
            ::SetWindowsHookExW(WH_CALLWNDPROCRET, &HookProc, nullptr, ::GetCurrentThreadId());
    }
    ~CBrowserSelectionProbe() {
        ::UnhookWindowsHookEx(m_hHook);
        s_pProbe = nullptr;
    }
    CBrowserSelectionProbe(const CBrowserSelectionProbe&) = delete;
    CBrowserSelectionProbe& operator=(const CBrowserSelectionProbe&) = delete;

    const std::vector<std::wstring>& Selected() const { return m_selected; }

private:
    static BOOL CALLBACK FindTree(HWND hWnd, LPARAM lParam) {
        wchar_t name[64] = {};
        ::GetClassNameW(hWnd, name, 64);
        if (std::wstring(name) != WC_TREEVIEWW) return TRUE;
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        const CWPRETSTRUCT* pMsg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && s_pProbe != nullptr && pMsg->message == WM_INITDIALOG) {
            HWND hTree = nullptr;
            ::EnumChildWindows(pMsg->hwnd, &FindTree, reinterpret_cast<LPARAM>(&hTree));
            if (hTree != nullptr) {
                wchar_t text[MAX_PATH] = {};
                TVITEMW item = {};
                item.mask = TVIF_TEXT;
                item.hItem = reinterpret_cast<HTREEITEM>(
                    ::SendMessageW(hTree, TVM_GETNEXTITEM, TVGN_CARET, 0));
                item.pszText = text;
                item.cchTextMax = MAX_PATH;
                if (item.hItem == nullptr ||
                    !::SendMessageW(hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
                    text[0] = L'\0';
                text[MAX_PATH - 1] = L'\0';
                s_pProbe->m_selected.push_back(text);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static CBrowserSelectionProbe* s_pProbe;
    HHOOK m_hHook = nullptr;
    std::vector<std::wstring> m_selected;
};
CBrowserSelectionProbe* CBrowserSelectionProbe::s_pProbe = nullptr;

// Records what a folder browser is sent.
class CBrowserWindowDouble {
public:
    CBrowserWindowDouble() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &WndProc;
        wc.lpszClassName = L"BrowserWindowDouble";
        ::RegisterClassW(&wc);
        m_hWnd = ::CreateWindowW(L"BrowserWindowDouble", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CBrowserWindowDouble() { ::DestroyWindow(m_hWnd); }
    CBrowserWindowDouble(const CBrowserWindowDouble&) = delete;
    CBrowserWindowDouble& operator=(const CBrowserWindowDouble&) = delete;

    HWND Window() const { return m_hWnd; }
    // Each BFFM_SETSELECTIONW as its flag and text.
    std::vector<std::pair<WPARAM, std::wstring>> selections;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<CBrowserWindowDouble*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (message == BFFM_SETSELECTIONW && self != nullptr) {
            self->selections.emplace_back(wParam, reinterpret_cast<const wchar_t*>(lParam));
            return 0;
        }
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
    HWND m_hWnd = nullptr;
};

class RestoreToNewLocation : public RestoreFixture {
protected:
    RestoreToNewLocation() : RestoreFixture(L"newlocation") {}
    std::wstring Folder(const std::wstring& name) {
        const std::wstring folder = scene.Root() + L"\\" + name;
        EXPECT_TRUE(MakeFolders(folder));
        return folder;
    }
};

}  // namespace

TEST_F(RestoreToNewLocation, RestoresIntoTheChosenFolderWithoutAskingOrDeleting) {
    const std::wstring a = Add(L"a.txt", std::string("alpha\0omega", 11));
    const std::wstring b =
        Add(L"b.txt", "bravo", L"Test.Virus", scene.Root() + L"\\elsewhere\\deep");
    const std::wstring dest = Folder(L"dest");
    CRestoreInterposer interposer(Library());
    Create();
    SettleBrowserOn(dest);

    Select({a, b});
    answerer.ChooseFolderInNextBrowser(dest);
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);

    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].kind, ShownWindow::kFolderBrowser);
    EXPECT_EQ(answerer.Shown()[0].caption.empty(), false);
    EXPECT_EQ(ReadFileBytes(dest + L"\\a.txt"), std::string("alpha\0omega", 11));
    EXPECT_EQ(ReadFileBytes(dest + L"\\b.txt"), "bravo");
    EXPECT_EQ(FolderEntries(dest), (Names{L"a.txt", L"b.txt"}));
    EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
    EXPECT_EQ(scene.QuarantineFiles(), (Names{a, b}));
    EXPECT_EQ(ListedNames(), (Names{a, b}));
    EXPECT_EQ(settings.DestPath(), dest);

    const uintptr_t scanner = reinterpret_cast<uintptr_t>(&driver.Dialog().m_ScanP);
    ASSERT_EQ(interposer.Calls().size(), 2u);
    for (const RestoreCall& call : interposer.Calls()) {
        EXPECT_EQ(call.destination, dest);
        EXPECT_EQ(call.hook, nullptr);
        EXPECT_EQ(call.context, scanner);
    }
}

TEST_F(RestoreToNewLocation, KeepsTheChosenFolderWhateverTheRestoreGives) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring dest = Folder(L"dest");
    ASSERT_TRUE(WriteFileBytes(dest + L"\\a.txt", "mine"));
    Create();
    SettleBrowserOn(dest);

    Select({a});
    answerer.ChooseFolderInNextBrowser(dest);
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);

    EXPECT_EQ(Messages(), (Names{ConflictQuestion({dest + L"\\a.txt"}), Skipped(L"a.txt", dest)}));
    EXPECT_EQ(ReadFileBytes(dest + L"\\a.txt"), "mine");
    EXPECT_EQ(FolderEntries(dest), Names{L"a.txt"});
    EXPECT_EQ(settings.DestPath(), dest);
}

TEST_F(RestoreToNewLocation, TheNextBrowserOpensOnTheFolderChosenLast) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring first = Folder(L"first-choice");
    const std::wstring second = Folder(L"second-choice");
    Create();
    SettleBrowserOn(first);
    SettleBrowserOn(second);
    CBrowserSelectionProbe probe;

    Select({a});
    answerer.ChooseFolderInNextBrowser(first);
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);
    answerer.ChooseFolderInNextBrowser(second);
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);

    ASSERT_EQ(probe.Selected().size(), 2u);
    EXPECT_EQ(probe.Selected()[1], L"first-choice");
    EXPECT_EQ(settings.DestPath(), second);
    EXPECT_EQ(FolderEntries(first), Names{L"a.txt"});
    EXPECT_EQ(FolderEntries(second), Names{L"a.txt"});
}

TEST_F(RestoreToNewLocation, TheBrowserIsSentTheStoredFolderAfreshEvenWhenItIsGone) {
    CBrowserWindowDouble browser;
    settings.SetDestPath(L"C:\\no\\such\\folder");
    BrowseCallbackProc(browser.Window(), BFFM_INITIALIZED, 0, 0);
    BrowseCallbackProc(browser.Window(), BFFM_SELCHANGED, 0, 0);
    settings.SetDestPath(L"");
    BrowseCallbackProc(browser.Window(), BFFM_INITIALIZED, 0, 0);
    // The folder the organisation's policy offers comes before the user's.
    CPolicySandbox policies;
    settings.SetDestPath(L"C:\\chosen\\last");
    policies.SetFolder(HKEY_CURRENT_USER, PolicyId::DestinationFolder, L"C:\\offered");
    BrowseCallbackProc(browser.Window(), BFFM_INITIALIZED, 0, 0);

    ASSERT_EQ(browser.selections.size(), 3u);
    EXPECT_EQ(browser.selections[0].first, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(browser.selections[0].second, L"C:\\no\\such\\folder");
    EXPECT_EQ(browser.selections[1].second, L"");
    EXPECT_EQ(browser.selections[2].second, L"C:\\offered");
}

TEST_F(RestoreToNewLocation, ACancelledBrowserOrAnItemWithoutAPathDoesNothing) {
    const std::wstring a = Add(L"a.txt", "alpha");
    const std::wstring kept = Folder(L"kept");
    settings.SetDestPath(kept);
    Create();
    SettleBrowserOn(kept);
    // The item really comes back from the browser, as one without a path.
    answerer.ChooseFolderInNextBrowser(ComputerFolderItem());
    std::wstring path;
    ASSERT_EQ(BrowseForFolder(nullptr, L"", BIF_NEWDIALOGSTYLE, nullptr, 0, &path),
              BrowseOutcome::NoFileSystemPath);
    answerer.ClearShown();

    driver.SelectRows({RowOf(a)});
    answerer.CancelNextBrowser();
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);
    answerer.ChooseFolderInNextBrowser(ComputerFolderItem());
    driver.Click(IDC_RESTORE_TO_NEW_LOCATION);

    ASSERT_EQ(answerer.Shown().size(), 2u);
    for (const ShownWindow& shown : answerer.Shown())
        EXPECT_EQ(shown.kind, ShownWindow::kFolderBrowser);
    EXPECT_EQ(answerer.Shown()[1].answer, IDOK);
    EXPECT_EQ(settings.DestPath(), kept);
    EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
    EXPECT_TRUE(FolderEntries(kept).empty());
    EXPECT_EQ(scene.QuarantineFiles(), Names{a});
}

// The quarantine-folder browser (button "...") shares the probe above.
TEST_F(RestoreToNewLocation, TheQuarantineFolderBrowserOpensOnPathAndIgnoresAnItemWithoutAPath) {
    const std::wstring typed = Folder(L"typed-since");
    Create();
    SettleBrowserOn(scene.Quarantine());
    const std::wstring folderBefore = driver.Dialog().m_strFolder;
    driver.TypePath(typed);
    CBrowserSelectionProbe probe;

    answerer.ChooseFolderInNextBrowser(ComputerFolderItem());
    driver.Click(IDC_BROWSE);

    ASSERT_EQ(probe.Selected().size(), 1u);
    const std::wstring stored = scene.Quarantine();
    EXPECT_EQ(probe.Selected()[0], stored.substr(stored.rfind(L'\\') + 1));
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].answer, IDOK);
    EXPECT_EQ(driver.PathText(), typed);
    EXPECT_EQ(driver.Dialog().m_strFolder, folderBefore);
    EXPECT_EQ(settings.Path(), stored + L"\\");
}
