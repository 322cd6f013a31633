#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/common/TestPaths.h"
#include "tests/doubles/hostile/HostileLibrary.h"
#include "tests/gui/GuiDriver.h"
#include "ui/FolderBrowser.h"

// The real main dialog, listing what the hostile library reports for a scratch
// folder that holds no file: whatever the program deletes there, nothing
// real is lost.
class HostileDialog : public testing::Test {
protected:
    static constexpr size_t kPathChars = 260;
    static constexpr size_t kVirusChars = 1024;

    void SetUp() override {
        m_folder = MakeScratchDir(L"hostile-dialog");
        m_settings.SetPath(m_folder);
    }
    void TearDown() override { RemoveTree(m_folder); }

    // Loads the library into the dialog before its set-up can load another,
    // configures it, creates the window and forgets what its set-up showed
    // (the scanner library is missing in the test prefix).
    void Create(const HostileSettings& settings) {
        m_hostile = settings;
        ASSERT_TRUE(m_driver.Dialog().m_ZEBQt.Load(CHostileLibrary::Directory()));
        m_library = std::make_unique<CHostileLibrary>(m_driver.Dialog().m_ZEBQt.m_hModule);
        ASSERT_TRUE(m_library->IsValid());
        m_library->Configure(settings);
        ASSERT_TRUE(m_driver.Create());
        m_answerer.ClearShown();
    }

    // Under Wine the first folder browser a window owns can end on an item
    // other than the one chosen for it (its tree is still being filled); one
    // browse made here takes that turn.
    void SettleFolderBrowser() {
        m_answerer.ChooseFolderInNextBrowser(m_folder);
        std::wstring chosen;
        BrowseForFolder(m_driver.Window(), std::wstring(), BIF_RETURNONLYFSDIRS, nullptr, 0,
                        &chosen);
        m_answerer.ClearShown();
    }

    HostileCounts Counts() const { return m_library->Counts(); }

    // Every handle the library handed out was closed, each once.
    void ExpectAllClosed() const {
        const HostileCounts counts = Counts();
        EXPECT_EQ(counts.outstanding, 0);
        EXPECT_EQ(counts.strayCloses, 0);
    }

    // Each row shows one container's texts, each cut at its buffer's end and
    // nothing added; the timestamp text fits its own buffer.
    void ExpectRowsBelongToTheirContainers() const {
        for (const std::vector<std::wstring>& row : m_driver.Rows()) {
            ASSERT_EQ(row.size(), 5u);
            const int32_t index = HostileIndexOf(row[0]);
            ASSERT_GE(index, 0) << "row named " << row[0].size() << " characters";
            const std::wstring path = HostileFilePath(index, m_hostile, kPathChars);
            EXPECT_EQ(row[0], path.substr(path.rfind(L'\\') + 1));
            EXPECT_EQ(row[1], HostileVirus(index, m_hostile, kVirusChars));
            if (m_hostile.fileObjectAt == kHostileNone) {
                EXPECT_EQ(row[2], L"");
                EXPECT_EQ(row[3], L"");
            } else {
                const HostileOrigParts former = HostileOrig(index, m_hostile, kPathChars);
                EXPECT_EQ(row[2], former.fileName);
                EXPECT_EQ(row[3], former.folder);
            }
            EXPECT_LT(row[4].size(), 128u);
        }
    }

    int32_t RowIndex(int row) const { return HostileIndexOf(m_driver.Row(row)[0]); }

    std::vector<ShownWindow> MessageBoxes() const {
        return m_answerer.ShownOfKind(ShownWindow::kMessageBox);
    }

    std::wstring m_folder;
    HostileSettings m_hostile;
    CSettingsSandbox m_settings;
    CModalAnswerer m_answerer;
    CMainDialogDriver m_driver;
    std::unique_ptr<CHostileLibrary> m_library;
};
