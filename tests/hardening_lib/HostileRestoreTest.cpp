// Restore and collection through the main dialog when the quarantine library
// answers with codes nobody knows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <initializer_list>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/hardening_lib/HostileDialog.h"

namespace {

class HostileRestore : public HostileDialog {
protected:
    void SetCodes(HostileSettings& settings, std::initializer_list<int32_t> codes) {
        std::copy(codes.begin(), codes.end(), settings.restoreCodes);
        settings.restoreCodeCount = static_cast<int32_t>(codes.size());
    }

    // The texts of the message boxes shown since the last ClearShown.
    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> texts;
        for (const ShownWindow& shown : MessageBoxes()) texts.push_back(shown.text);
        return texts;
    }

    // The row that shows the container with this index.
    int RowOfIndex(int32_t index) const {
        for (int row = 0; row < m_driver.RowCount(); ++row)
            if (RowIndex(row) == index) return row;
        return -1;
    }
};

TEST_F(HostileRestore, OneRowWithAnUnknownCodeShowsTheUnspecificErrorOnce) {
    const std::wstring question = AfxLoadString(IDS_DELETE_AFTER_RESTORE);
    const std::wstring unspecific = AfxLoadString(IDS_UNSPECIFIC_ERROR);
    HostileSettings settings;
    settings.containerCount = 4;
    settings.nameLength = 200;
    Create(settings);
    SettleFolderBrowser();
    ASSERT_EQ(m_driver.RowCount(), 4);
    m_driver.SelectRows({1});

    // Each code through another command, and the question answered each way.
    struct Case {
        int32_t code;
        int command;
        int answer;
    };
    const Case cases[] = {
        {7, IDC_RESTORE, IDNO},
        {-4, IDC_RESTORE, IDYES},
        {INT32_MIN, IDC_CLEAN_AND_RESTORE, IDNO},
        {INT32_MAX, IDC_RESTORE_TO_NEW_LOCATION, 0},
        {1, IDC_CLEAN_AND_RESTORE, IDYES},
        {-5, IDC_RESTORE, IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        SetCodes(settings, {c.code});
        m_library->Configure(settings);
        m_answerer.ClearShown();
        if (c.command == IDC_RESTORE_TO_NEW_LOCATION)
            m_answerer.ChooseFolderInNextBrowser(m_folder);
        else
            m_answerer.AnswerNextMessageBox(c.answer);
        m_driver.Click(c.command);

        if (c.command == IDC_RESTORE_TO_NEW_LOCATION)
            EXPECT_EQ(Messages(), std::vector<std::wstring>{unspecific});
        else
            EXPECT_EQ(Messages(), (std::vector<std::wstring>{question, unspecific}));
        const HostileCounts counts = Counts();
        EXPECT_EQ(counts.restoreCalls, 1);
        EXPECT_EQ(counts.hookCalls, c.command == IDC_CLEAN_AND_RESTORE ? 2 : 0);
        ExpectAllClosed();
    }
    EXPECT_EQ(m_driver.RowCount(), 4);
}

// Unknown codes read as "Unspecific error." in the one message after the walk.
TEST_F(HostileRestore, SeveralRowsWithUnknownCodesAreReportedOnceAsUnspecific) {
    const std::wstring question = AfxLoadString(IDS_DELETE_AFTER_RESTORE);
    const std::wstring unspecific = AfxLoadString(IDS_UNSPECIFIC_ERROR);
    const auto summaryOf = [&](size_t failed, size_t listed) {
        const std::vector<std::wstring> shown = Messages();
        if (shown.empty()) return std::wstring(L"<none>");
        const std::wstring& text = shown.back();
        size_t reasons = 0;
        for (size_t at = text.find(L": " + unspecific); at != std::wstring::npos;
             at = text.find(L": " + unspecific, at + 1))
            ++reasons;
        const std::wstring head = std::to_wstring(failed) + L" of " + std::to_wstring(failed);
        return text.compare(0, head.size(), head) == 0 && reasons == listed ? std::wstring(L"ok")
                                                                            : text;
    };
    HostileSettings settings;
    settings.containerCount = 6;
    SetCodes(settings, {7, -4, INT32_MIN, INT32_MAX, 1, -5});
    Create(settings);
    SettleFolderBrowser();

    m_driver.SelectRows({0, 1, 2, 3, 4, 5});
    m_answerer.AnswerNextMessageBox(IDYES);
    m_driver.Click(IDC_RESTORE);
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages().front(), question);
    EXPECT_EQ(summaryOf(6, 5), L"ok");
    EXPECT_NE(Messages().back().find(L"... and 1 more."), std::wstring::npos);
    EXPECT_EQ(Counts().restoreCalls, 6);
    // Yes refills the list; no row went away.
    EXPECT_EQ(m_driver.RowCount(), 6);
    ExpectAllClosed();

    m_library->Configure(settings);
    m_answerer.ClearShown();
    m_driver.SelectRows({1, 4});
    m_answerer.AnswerNextMessageBox(IDYES);
    m_driver.Click(IDC_CLEAN_AND_RESTORE);
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(summaryOf(2, 2), L"ok");
    EXPECT_EQ(Counts().hookCalls, 4);

    m_library->Configure(settings);
    m_answerer.ClearShown();
    m_driver.SelectRows({0, 5});
    m_answerer.ChooseFolderInNextBrowser(m_folder);
    m_driver.Click(IDC_RESTORE_TO_NEW_LOCATION);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(summaryOf(2, 2), L"ok");
    EXPECT_EQ(Counts().restoreCalls, 2);
    ExpectAllClosed();
}

// The library writes nothing, whatever it answers: no row is restored whole,
// so no quarantine file goes, even after a Yes. The file that 0 promises for
// container 0 stands there before the restore, so it is a file in the way,
// and the user skips that item; container 3's 0 is not taken either.
TEST_F(HostileRestore, NoQuarantineFileGoesForARowTheLibraryOnlyClaimsToHaveRestored) {
    HostileSettings settings;
    settings.fillBuffers = 0;
    settings.containerCount = 6;
    SetCodes(settings, {0, 7, INT32_MIN, 0, -4, INT32_MAX});
    for (int32_t index = 0; index < 6; ++index)
        ASSERT_TRUE(WriteFileBytes(m_folder + L"\\" + HostileName(index, 0), "quarantined"));
    const HostileOrigParts restored = HostileOrig(0, settings, 0);
    ::CreateDirectoryW(restored.folder.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(restored.folder + L"\\" + restored.fileName, "mine"));
    Create(settings);

    m_driver.SelectRows({0, 1, 2, 3, 4, 5});
    m_answerer.AnswerNextMessageBox(IDYES);
    m_answerer.AnswerNextMessageBox(IDNO);
    m_driver.Click(IDC_RESTORE);
    EXPECT_EQ(ReadFileBytes(restored.folder + L"\\" + restored.fileName), "mine");
    ::DeleteFileW((restored.folder + L"\\" + restored.fileName).c_str());
    EXPECT_EQ(Messages().size(), 3u) << "the two questions, and one message for the six rows";
    for (int32_t index = 0; index < 6; ++index)
        EXPECT_TRUE(FileExists(m_folder + L"\\" + HostileName(index, 0)))
            << "quarantine file " << index;
    ExpectAllClosed();
}

// A name the library reports may lead out of the quarantine folder; the
// program deletes only what lies inside it.
TEST_F(HostileRestore, ANameLeadingOutOfTheFolderDeletesNothingOutsideIt) {
    const std::wstring quarantine = m_folder + L"\\quarantine";
    ASSERT_TRUE(::CreateDirectoryW(quarantine.c_str(), nullptr));
    m_settings.SetPath(quarantine);
    HostileSettings settings;
    settings.fillBuffers = 0;
    settings.climbOut = 1;
    settings.containerCount = 2;
    for (int32_t index = 0; index < 2; ++index)
        ASSERT_TRUE(WriteFileBytes(m_folder + L"\\" + HostileName(index, 0), "not quarantined"));
    Create(settings);
    ASSERT_EQ(m_driver.RowCount(), 2);

    m_driver.SelectRows({0, 1});
    m_answerer.AnswerNextMessageBox(IDYES);
    m_driver.Click(IDC_RESTORE);
    EXPECT_EQ(Counts().restoreCalls, 2);
    for (int32_t index = 0; index < 2; ++index)
        EXPECT_TRUE(FileExists(m_folder + L"\\" + HostileName(index, 0))) << index;
    ExpectAllClosed();
}

TEST_F(HostileRestore, ARowWhoseNameTheLibraryDoesNotKnowIsUnspecific) {
    HostileSettings settings;
    settings.containerCount = 3;
    Create(settings);
    ASSERT_EQ(m_driver.RowCount(), 3);

    // The library now answers nothing by name for rows it listed before.
    settings.containerCount = 0;
    m_library->Configure(settings);
    m_driver.SelectRows({2});
    m_answerer.AnswerNextMessageBox(IDNO);
    m_driver.Click(IDC_RESTORE);
    EXPECT_EQ(Messages().back(), AfxLoadString(IDS_UNSPECIFIC_ERROR));
    EXPECT_EQ(Counts().restoreCalls, 0);
    ExpectAllClosed();
}

TEST_F(HostileRestore, CollectionOfRowsWithHostileTextsAndCodesShowsNothing) {
    HostileSettings settings;
    settings.containerCount = 40;
    settings.duplicateHandles = 1;
    SetCodes(settings, {INT32_MIN, 7, -4, INT32_MAX});
    Create(settings);
    SettleFolderBrowser();
    ASSERT_EQ(m_driver.RowCount(), 40);

    m_answerer.ChooseFolderInNextBrowser(m_folder);
    m_driver.Click(IDC_COLLECTION);
    EXPECT_TRUE(Messages().empty());
    const HostileCounts counts = Counts();
    EXPECT_GT(counts.restoreCalls, 0);
    EXPECT_LE(counts.restoreCalls, 40);
    EXPECT_EQ(counts.hookCalls, 0);
    ExpectAllClosed();
    EXPECT_EQ(m_driver.RowCount(), 40);
}

TEST_F(HostileRestore, SortedThenRestoredRowsStillFindTheirContainers) {
    HostileSettings settings;
    settings.containerCount = 8;
    settings.nameLength = 259;
    SetCodes(settings, {0, 7});
    Create(settings);

    m_driver.ClickColumn(1);
    m_driver.ClickColumn(1);
    // Container 3 answers 7; container 4 answers 0 and writes nothing.
    m_driver.SelectRows({RowOfIndex(3)});
    m_answerer.AnswerNextMessageBox(IDNO);
    m_driver.Click(IDC_RESTORE);
    EXPECT_EQ(Messages().back(), AfxLoadString(IDS_UNSPECIFIC_ERROR));

    m_answerer.ClearShown();
    m_driver.SelectRows({RowOfIndex(4)});
    m_answerer.AnswerNextMessageBox(IDNO);
    m_driver.Click(IDC_RESTORE);
    EXPECT_EQ(Messages().back(), AfxLoadString(IDS_RESTORED_FILE_UNREADABLE));
    EXPECT_EQ(Counts().restoreCalls, 2);
    ExpectAllClosed();
}

}  // namespace
