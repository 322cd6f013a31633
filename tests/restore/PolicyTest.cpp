#include <commctrl.h>

#include <functional>
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
    const std::wstring elsewhere = scene.Origin();
    struct Case {
        const char* name;
        std::function<void()> set;
        std::vector<int> takenAway;  // grey, or read-only for the path box
        std::vector<int> greyMenu;   // grey in the list's menu with a row selected
        UINT nTip;
        std::function<void(CMainDialogDriver&)> attempt;  // tried all the same
        AuditOperation operation;
    };
    const std::vector<int> restores = {IDC_RESTORE, IDC_CLEAN_AND_RESTORE,
                                       IDC_RESTORE_TO_NEW_LOCATION};
    const Case cases[] = {
        {"none", [] {}, {}, {}, 0, nullptr, AuditOperation::Restore},
        {"DisallowRestore",
         [] { CPolicySandbox::SetSwitch(HKEY_LOCAL_MACHINE, PolicyId::DisallowRestore, 1); },
         restores, restores, IDS_POLICY_NO_RESTORE,
         [](CMainDialogDriver& d) { d.Click(IDC_CLEAN_AND_RESTORE); },
         AuditOperation::CleanAndRestore},
        {"DisallowDelete",
         [] { CPolicySandbox::SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowDelete, 1); },
         {},
         {ID_LIST_DELETE},
         IDS_POLICY_NO_DELETE,
         [](CMainDialogDriver& d) { d.PressKey(VK_DELETE); },
         AuditOperation::Delete},
        {"DisallowCollection",
         [] { CPolicySandbox::SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowCollection, 1); },
         {IDC_COLLECTION},
         {IDC_COLLECTION},
         IDS_POLICY_NO_COLLECTION,
         [](CMainDialogDriver& d) { d.Click(IDC_COLLECTION); },
         AuditOperation::Collection},
        // The folder the policy sets is opened, not the user's Path.
        {"QuarantineFolder",
         [&] {
             CPolicySandbox::SetFolder(HKEY_LOCAL_MACHINE, PolicyId::QuarantineFolder,
                                       scene.Quarantine());
             settings.SetPath(elsewhere);
         },
         {IDC_PATH, IDC_BROWSE},
         {},
         IDS_POLICY_FOLDER_SET,
         nullptr,
         AuditOperation::Restore},
    };
    InBothLanguages([&](bool) {
        for (const Case& test : cases) {
            SCOPED_TRACE(test.name);
            CPolicySandbox policies;
            settings.SetPath(scene.Quarantine());
            test.set();
            // The fixture's answerer answers this window's boxes; the
            // fixture's own window is never made.
            CMainDialogDriver window;
            ASSERT_TRUE(window.Dialog().m_ZEBQt.Load(StandinDir()));
            ASSERT_TRUE(window.Create());
            answerer.ClearShown();
            EXPECT_EQ(window.Column(0), Names{a});
            EXPECT_EQ(window.PathText(), scene.Quarantine());

            std::map<int, std::wstring> expectedTips;
            for (const int nID : kControls) {
                const HWND hControl = ::GetDlgItem(window.Window(), nID);
                const bool takenAway = Contains(test.takenAway, nID);
                if (nID == IDC_PATH)
                    EXPECT_EQ((::GetWindowLongW(hControl, GWL_STYLE) & ES_READONLY) != 0,
                              takenAway);
                else
                    EXPECT_EQ(::IsWindowEnabled(hControl) == FALSE, takenAway) << nID;
                if (takenAway) expectedTips[nID] = Text(test.nTip);
            }
            EXPECT_EQ(TipsOf(window.Window()), expectedTips);
            // The tips follow their controls as the window grows.
            RECT frame = {};
            ::GetWindowRect(window.Window(), &frame);
            ::SetWindowPos(window.Window(), nullptr, 0, 0, frame.right - frame.left + 120,
                           frame.bottom - frame.top + 80, SWP_NOMOVE | SWP_NOZORDER);
            EXPECT_EQ(TipsOf(window.Window()), expectedTips);

            window.SelectRows({0});
            for (const ShownMenuItem& item : window.ContextMenu(0)) {
                const int nID = static_cast<int>(item.nID);
                if (Contains(restores, nID) || nID == IDC_COLLECTION || nID == ID_LIST_DELETE) {
                    EXPECT_EQ(item.grayed, Contains(test.greyMenu, nID)) << nID;
                }
            }

            // A refresh of the policies lifts them at once; in the window
            // without any, it sets one. A command asks the registry afresh.
            CPolicySandbox::Clear();
            if (test.nTip == 0)
                CPolicySandbox::SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowCollection, 1);
            ::SendMessageW(window.Window(), WM_SETTINGCHANGE, 0,
                           reinterpret_cast<LPARAM>(L"Policy"));
            for (const int nID : {IDC_BROWSE, IDC_RESTORE, IDC_COLLECTION})
                EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(window.Window(), nID)) == FALSE,
                          test.nTip == 0 && nID == IDC_COLLECTION)
                    << nID;
            EXPECT_EQ(
                ::GetWindowLongW(::GetDlgItem(window.Window(), IDC_PATH), GWL_STYLE) & ES_READONLY,
                0);
            EXPECT_EQ(TipsOf(window.Window()).size(), test.nTip == 0 ? 1u : 0u);
            test.set();

            if (!test.attempt) continue;
            std::vector<AuditEntry> entries;
            SetAuditSinkForTesting(
                [&entries](const AuditEntry& entry) { entries.push_back(entry); });
            test.attempt(window);
            SetAuditSinkForTesting(nullptr);
            const std::vector<ShownWindow> shown = answerer.ShownOfKind(ShownWindow::kMessageBox);
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, Text(test.nTip));
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_TRUE(entries[0].refused);
            EXPECT_EQ(entries[0].operation, test.operation);
            EXPECT_EQ(entries[0].itemId, a);
            EXPECT_EQ(scene.QuarantineFiles(), Names{a});
            EXPECT_TRUE(FolderEntries(scene.Origin()).empty());
        }
    });
}
