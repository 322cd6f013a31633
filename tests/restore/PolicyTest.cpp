#include <commctrl.h>

#include <map>

#include "audit/AuditTrail.h"
#include "tests/common/PolicySandbox.h"
#include "tests/restore/RestoreFixture.h"

// The window under each of the organisation's policies, in English and German.
namespace {

using Names = std::vector<std::wstring>;

class PolicyWindow : public RestoreFixture {
protected:
    PolicyWindow() : RestoreFixture(L"policy") {}
};

const int kControls[] = {IDC_PATH,
                         IDC_BROWSE,
                         IDC_RELOAD,
                         IDC_RESTORE,
                         IDC_CLEAN_AND_RESTORE,
                         IDC_RESTORE_TO_NEW_LOCATION,
                         IDC_COLLECTION};

bool Contains(const std::vector<int>& ids, int nID) {
    return std::find(ids.begin(), ids.end(), nID) != ids.end();
}

// Grey, or read-only for the path box.
bool IsTakenAway(HWND hDialog, int nID) {
    const HWND hControl = ::GetDlgItem(hDialog, nID);
    if (nID == IDC_PATH) return (::GetWindowLongW(hControl, GWL_STYLE) & ES_READONLY) != 0;
    return ::IsWindowEnabled(hControl) == FALSE;
}

// The tips of the dialog's tip window, by the control each covers: a tool
// of the control's own, or a rectangle of the dialog's over the control's
// middle.
std::map<int, std::wstring> TipsOf(HWND hDialog) {
    std::map<int, std::wstring> tips;
    for (HWND hTip = nullptr;
         (hTip = ::FindWindowExW(nullptr, hTip, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
        if (::GetWindow(hTip, GW_OWNER) != hDialog) continue;
        const int count = static_cast<int>(::SendMessageW(hTip, TTM_GETTOOLCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            wchar_t text[1024] = {};
            TOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.lpszText = text;
            if (!::SendMessageW(hTip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(&tool)))
                continue;
            text[1023] = L'\0';
            if (tool.uFlags & TTF_IDISHWND) {
                tips[::GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
                continue;
            }
            const int nID = static_cast<int>(tool.uId);
            RECT control = {};
            ::GetWindowRect(::GetDlgItem(hDialog, nID), &control);
            ::MapWindowPoints(HWND_DESKTOP, hDialog, reinterpret_cast<POINT*>(&control), 2);
            const POINT middle = {(control.left + control.right) / 2,
                                  (control.top + control.bottom) / 2};
            if (::PtInRect(&tool.rect, middle)) tips[nID] = text;
        }
    }
    return tips;
}

}  // namespace

TEST_F(PolicyWindow, EachPolicyTakesItsCommandsAwayAndSaysWhyInTheUsersLanguage) {
    const std::wstring a = Add(L"a.txt", "alpha");
    struct Case {
        PolicyId policy;
        HKEY root;                   // null: no policy set
        std::vector<int> takenAway;  // controls and the list's menu commands
        UINT nTip;
        int attempt;  // the command tried all the same (Del for delete), 0 for none
        AuditOperation operation;
    };
    const Case cases[] = {
        {PolicyId::DisallowRestore, nullptr, {}, 0, 0, AuditOperation::Restore},
        {PolicyId::DisallowRestore,
         HKEY_LOCAL_MACHINE,
         {IDC_RESTORE, IDC_CLEAN_AND_RESTORE, IDC_RESTORE_TO_NEW_LOCATION},
         IDS_POLICY_NO_RESTORE,
         IDC_CLEAN_AND_RESTORE,
         AuditOperation::CleanAndRestore},
        {PolicyId::DisallowDelete,
         HKEY_CURRENT_USER,
         {ID_LIST_DELETE},
         IDS_POLICY_NO_DELETE,
         ID_LIST_DELETE,
         AuditOperation::Delete},
        {PolicyId::DisallowCollection,
         HKEY_CURRENT_USER,
         {IDC_COLLECTION},
         IDS_POLICY_NO_COLLECTION,
         IDC_COLLECTION,
         AuditOperation::Collection},
        // The folder the policy sets is opened, not the user's Path.
        {PolicyId::QuarantineFolder,
         HKEY_LOCAL_MACHINE,
         {IDC_PATH, IDC_BROWSE},
         IDS_POLICY_FOLDER_SET,
         0,
         AuditOperation::Restore},
    };
    const auto set = [&](const Case& test) {
        // The user's Path names another folder where the policy sets one.
        settings.SetPath(test.policy == PolicyId::QuarantineFolder ? scene.Origin()
                                                                   : scene.Quarantine());
        if (test.root == nullptr) return;
        if (test.policy == PolicyId::QuarantineFolder)
            CPolicySandbox::SetFolder(test.root, test.policy, scene.Quarantine());
        else
            CPolicySandbox::SetSwitch(test.root, test.policy, 1);
    };
    InBothLanguages([&](bool) {
        for (const Case& test : cases) {
            SCOPED_TRACE(test.nTip);
            CPolicySandbox policies;
            set(test);
            // The fixture's answerer answers this window's boxes; the
            // fixture's own window is never made.
            CMainDialogDriver window;
            ASSERT_TRUE(window.Dialog().m_ZEBQt.Load(StandinDir()));
            ASSERT_TRUE(window.Create());
            const HWND hWnd = window.Window();
            answerer.ClearShown();
            EXPECT_EQ(window.Column(0), Names{a});
            EXPECT_EQ(window.PathText(), scene.Quarantine());

            std::map<int, std::wstring> expectedTips;
            for (const int nID : kControls) {
                EXPECT_EQ(IsTakenAway(hWnd, nID), Contains(test.takenAway, nID)) << nID;
                if (Contains(test.takenAway, nID)) expectedTips[nID] = Text(test.nTip);
            }
            EXPECT_EQ(TipsOf(hWnd), expectedTips);
            // The tips follow their controls as the window grows.
            RECT frame = {};
            ::GetWindowRect(hWnd, &frame);
            ::SetWindowPos(hWnd, nullptr, 0, 0, frame.right - frame.left + 120,
                           frame.bottom - frame.top + 80, SWP_NOMOVE | SWP_NOZORDER);
            EXPECT_EQ(TipsOf(hWnd), expectedTips);

            window.SelectRows({0});
            // Commands no policy governs keep their own rules.
            const std::vector<ShownMenuItem> menu = window.ContextMenu(0);
            ASSERT_FALSE(menu.empty());
            for (const ShownMenuItem& item : menu) {
                if (!std::any_of(std::begin(kPolicyControls), std::end(kPolicyControls),
                                 [&](const PolicyControl& c) { return c.nID == item.nID; }))
                    continue;
                EXPECT_EQ(item.grayed, Contains(test.takenAway, static_cast<int>(item.nID)))
                    << item.nID;
            }

            // A refresh of the policies lifts them at once; in the window
            // without any, it sets one. A command asks the registry afresh.
            CPolicySandbox::Clear();
            if (test.root == nullptr)
                CPolicySandbox::SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowCollection, 1);
            ::SendMessageW(hWnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
            for (const int nID : kControls)
                EXPECT_EQ(IsTakenAway(hWnd, nID), test.root == nullptr && nID == IDC_COLLECTION)
                    << nID;
            EXPECT_EQ(TipsOf(hWnd).size(), test.root == nullptr ? 1u : 0u);
            set(test);

            if (test.attempt == 0) continue;
            std::vector<AuditEntry> entries;
            SetAuditSinkForTesting(
                [&entries](const AuditEntry& entry) { entries.push_back(entry); });
            if (test.attempt == ID_LIST_DELETE)
                window.PressKey(VK_DELETE);
            else
                window.Click(test.attempt);
            SetAuditSinkForTesting(nullptr);
            EXPECT_EQ(Messages(), Names{Text(test.nTip)});
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_TRUE(entries[0].refused);
            EXPECT_EQ(entries[0].operation, test.operation);
            EXPECT_EQ(entries[0].itemId, a);
            EXPECT_EQ(scene.QuarantineFiles(), Names{a});
            EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
        }
    });
}
