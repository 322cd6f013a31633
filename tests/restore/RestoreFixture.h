#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/WalkFailures.h"
#include "tests/gui/GuiDriver.h"
#include "ui/ConflictQuestion.h"
#include "tests/restore/QuarantineScene.h"
#include "ui/FolderBrowser.h"

// The real main dialog on a scratch quarantine of the stand-in library, with
// every message box and folder browser answered by script.
class RestoreFixture : public testing::Test {
protected:
    explicit RestoreFixture(const std::wstring& sceneName = L"restore") : scene(sceneName) {}

    void SetUp() override {
        ASSERT_TRUE(Library().Load(StandinDir()));
        settings.SetPath(scene.Quarantine() + L"\\");
    }

    CZEBQtWrapper& Library() { return driver.Dialog().m_ZEBQt; }
    void LoadScanner() {
        ASSERT_TRUE(driver.Dialog().m_ScanP.LoadFrom(L"Engine A", L"Engine B", StandinDir()));
    }
    std::wstring Add(const std::wstring& fileName, const std::string& bytes,
                     const std::wstring& virus = L"Test.Virus",
                     const std::wstring& folder = std::wstring()) {
        const std::wstring name = scene.Add(Library(), fileName, bytes, virus, folder);
        EXPECT_FALSE(name.empty())
            << "could not quarantine " << std::string(fileName.begin(), fileName.end());
        return name;
    }
    void Create() {
        ASSERT_TRUE(driver.Create());
        answerer.ClearShown();
    }

    // The platform's folder browser may not yet find folders made moments
    // before it first opens; browsing to them once beforehand settles that.
    void SettleBrowserOn(const std::wstring& folder) {
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

    int RowOf(const std::wstring& name) const {
        const std::vector<std::wstring> names = driver.Column(0);
        const auto found = std::find(names.begin(), names.end(), name);
        return found == names.end() ? -1 : static_cast<int>(found - names.begin());
    }
    void Select(const std::vector<std::wstring>& names) {
        std::vector<int> rows;
        for (const std::wstring& name : names) rows.push_back(RowOf(name));
        driver.SelectRows(rows);
    }
    std::vector<std::wstring> ListedNames() const {
        std::vector<std::wstring> names = driver.Column(0);
        std::sort(names.begin(), names.end());
        return names;
    }

    // The texts of the message boxes shown since the dialog was set up.
    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> texts;
        for (const ShownWindow& shown : answerer.ShownOfKind(ShownWindow::kMessageBox))
            texts.push_back(shown.text);
        return texts;
    }
    static std::wstring Text(UINT nID) { return AfxLoadString(nID); }
    static std::vector<std::wstring> Texts(const std::vector<UINT>& ids) {
        std::vector<std::wstring> texts;
        for (const UINT nID : ids) texts.push_back(Text(nID));
        return texts;
    }

    // The one message after a walk of several rows: each failed row's name
    // with the text of its single-row message.
    static std::wstring FailedRows(UINT nHeadID, size_t tried,
                                   const std::vector<std::pair<std::wstring, UINT>>& rows) {
        CWalkFailures failures;
        for (const auto& row : rows) failures.Add(row.first, Text(row.second));
        return WalkFailureText(Text(nHeadID), Text(IDS_WALK_MORE_FAILED), failures, tried);
    }

    // The lines a failed restore adds for a file already at its target: the
    // folder whole on a line of its own.
    static std::wstring InTheWay(const std::wstring& name, const std::wstring& folder) {
        return L"\nA file named \"" + name +
               L"\" is already in this folder; nothing was overwritten:\n" + folder;
    }
    // The question when files of the selected items would land on taken names.
    static std::wstring ConflictQuestion(const std::vector<std::wstring>& inTheWay) {
        return ListedPathsText(Text(IDS_CONFLICT_QUESTION), Text(IDS_WALK_MORE_FAILED), inTheWay) +
               L"\n\n" + Text(IDS_CONFLICT_CHOICES);
    }
    // A row passed over for a file in the way, as its message says.
    static std::wstring Skipped(const std::wstring& name, const std::wstring& folder) {
        return Text(IDS_SKIPPED_AS_CHOSEN) + InTheWay(name, folder);
    }
    // The same as one line, as the message after a walk of several rows lists it.
    static std::wstring OneLine(std::wstring text) {
        std::replace(text.begin(), text.end(), L'\n', L' ');
        return text;
    }

    std::wstring OriginFile(const std::wstring& name) const {
        return scene.Origin() + L"\\" + name;
    }

    // Members go in reverse: the dialog (and its library) first, the files last.
    CQuarantineScene scene;
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
};

// A browser item that exists but has no file-system path.
inline const wchar_t* ComputerFolderItem() {
    return L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
}
