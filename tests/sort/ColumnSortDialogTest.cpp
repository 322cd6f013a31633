#include <gtest/gtest.h>

#include "tests/common/LocaleScope.h"

#include <windows.h>

#include <clocale>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/doubles/memory/MemoryQuarantine.h"
#include "tests/gui/GuiDriver.h"

namespace {

enum { kName, kVirus, kFileName, kPath, kTimestamp };

struct Container {
    const wchar_t* name;
    const wchar_t* virus;
    const wchar_t* origPath;
    SYSTEMTIME time;
};

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

class ColumnSortDialog : public testing::Test {
protected:
    void SetUp() override {
        settings.SetPath(L"C:\\Q");
        driver.Dialog().m_ScanP.LoadFrom(L"Engine A", L"Engine B", DoublesDir(L"scan_empty"));
        ASSERT_TRUE(driver.Dialog().m_ZEBQt.Load(DoublesDir(L"memory")));
        HMODULE module = driver.Dialog().m_ZEBQt.m_hModule;
        m_pfnClear = ProcCast<PFN_MemoryClear>(::GetProcAddress(module, "MemoryClear"));
        m_pfnAdd = ProcCast<PFN_MemoryAddContainer>(::GetProcAddress(module, "MemoryAddContainer"));
        ASSERT_NE(m_pfnClear, nullptr);
        ASSERT_NE(m_pfnAdd, nullptr);
        m_pfnClear();
    }

    void Serve(const std::vector<Container>& containers) {
        m_pfnClear();
        for (const Container& c : containers) {
            const std::wstring file = std::wstring(L"C:\\Q\\") + c.name;
            m_pfnAdd(file.c_str(), c.virus, c.origPath, &c.time);
        }
    }

    void Open(const std::vector<Container>& containers) {
        Serve(containers);
        ASSERT_TRUE(driver.Create());
        ASSERT_EQ(driver.RowCount(), static_cast<int>(containers.size()));
        m_rowsAtStart = driver.Rows();
    }

    void Click(int column) {
        driver.ClickColumn(column);
        driver.Pump();
    }

    // The first-column texts top to bottom.
    std::vector<std::wstring> Names() const { return driver.Column(kName); }

    // Every row still shows the texts it was listed with.
    void ExpectRowsIntact() {
        std::vector<std::vector<std::wstring>> now = driver.Rows();
        std::vector<std::vector<std::wstring>> before = m_rowsAtStart;
        std::sort(now.begin(), now.end());
        std::sort(before.begin(), before.end());
        EXPECT_EQ(now, before);
    }

    void ExpectState(int column, int descending) {
        EXPECT_EQ(driver.Dialog().sortColumn, column);
        EXPECT_EQ(driver.Dialog().sortDescending, descending);
    }

    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    PFN_MemoryClear m_pfnClear = nullptr;
    PFN_MemoryAddContainer m_pfnAdd = nullptr;
    std::vector<std::vector<std::wstring>> m_rowsAtStart;
};

const SYSTEMTIME kSomeTime = Time(2026, 12, 8, 4, 36);

}  // namespace

TEST_F(ColumnSortDialog, ClicksToggleOnTheSameColumnAndStartAscendingOnAnother) {
    Open({{L"a.q", L"Delta", L"C:\\Work\\report.doc", kSomeTime},
          {L"b.q", L"alpha", L"D:\\Apps\\tool.exe", kSomeTime},
          {L"c.q", L"Charlie", L"C:\\Data\\sheet.xls", kSomeTime},
          {L"d.q", L"bravo", L"\\\\?\\E:\\Backup\\archive.zip", kSomeTime}});
    ExpectState(kName, 0);
    ASSERT_EQ(Names(), (std::vector<std::wstring>{L"a.q", L"b.q", L"c.q", L"d.q"}));

    Click(kVirus);
    ExpectState(kVirus, 0);
    EXPECT_EQ(driver.Column(kVirus),
              (std::vector<std::wstring>{L"alpha", L"bravo", L"Charlie", L"Delta"}));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"b.q", L"d.q", L"c.q", L"a.q"}));
    EXPECT_EQ(driver.Row(0), (std::vector<std::wstring>{L"b.q", L"alpha", L"tool.exe", L"D:\\Apps",
                                                        driver.Row(0)[4]}));
    ExpectRowsIntact();

    Click(kVirus);
    ExpectState(kVirus, 1);
    EXPECT_EQ(driver.Column(kVirus),
              (std::vector<std::wstring>{L"Delta", L"Charlie", L"bravo", L"alpha"}));
    ExpectRowsIntact();

    Click(kVirus);
    ExpectState(kVirus, 0);
    EXPECT_EQ(driver.Column(kVirus),
              (std::vector<std::wstring>{L"alpha", L"bravo", L"Charlie", L"Delta"}));

    Click(kPath);
    ExpectState(kPath, 0);
    EXPECT_EQ(driver.Column(kPath),
              (std::vector<std::wstring>{L"C:\\Data", L"C:\\Work", L"D:\\Apps", L"E:\\Backup"}));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"c.q", L"a.q", L"b.q", L"d.q"}));
    EXPECT_EQ(driver.Column(kFileName), (std::vector<std::wstring>{L"sheet.xls", L"report.doc",
                                                                   L"tool.exe", L"archive.zip"}));
    ExpectRowsIntact();
}

TEST_F(ColumnSortDialog, TextsDifferingOnlyInCaseCompareEqualAndKeepTheirOrder) {
    Open({{L"a.q", L"W32/Sample", nullptr, kSomeTime},
          {L"b.q", L"Other", nullptr, kSomeTime},
          {L"c.q", L"w32/sample", nullptr, kSomeTime},
          {L"d.q", L"W32/SAMPLE", nullptr, kSomeTime}});
    Click(kVirus);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"b.q", L"a.q", L"c.q", L"d.q"}));
    Click(kVirus);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"a.q", L"c.q", L"d.q", L"b.q"}));
    ExpectRowsIntact();
}

TEST_F(ColumnSortDialog, TimestampsSortByTimeInEnglishAndGermanLocales) {
    for (const wchar_t* locale :
         {L"English_United States.1252", L"English_United Kingdom.1252", L"German_Germany.1252"}) {
        SCOPED_TRACE(testing::Message()
                     << "locale " << std::string(locale, locale + wcslen(locale)));
        LocaleScope scope(locale);
        ASSERT_TRUE(scope.ok());
        CMainDialogDriver localDriver;
        localDriver.Dialog().m_ScanP.LoadFrom(L"Engine A", L"Engine B", DoublesDir(L"scan_empty"));
        ASSERT_TRUE(localDriver.Dialog().m_ZEBQt.Load(DoublesDir(L"memory")));
        HMODULE module = localDriver.Dialog().m_ZEBQt.m_hModule;
        auto clear = ProcCast<PFN_MemoryClear>(::GetProcAddress(module, "MemoryClear"));
        auto add = ProcCast<PFN_MemoryAddContainer>(::GetProcAddress(module, "MemoryAddContainer"));
        ASSERT_NE(add, nullptr);
        clear();
        const struct {
            const wchar_t* name;
            SYSTEMTIME time;
        } rows[] = {
            {L"a.q", Time(2026, 12, 8, 4, 36)},  {L"b.q", Time(2026, 12, 7, 23, 59)},
            {L"c.q", Time(2026, 11, 12, 10, 0)}, {L"d.q", Time(2027, 1, 1, 0, 0)},
            {L"e.q", Time(2026, 1, 10, 9, 5)},   {L"f.q", Time(2026, 13, 1, 0, 0)},
        };
        for (const auto& row : rows)
            add((std::wstring(L"C:\\Q\\") + row.name).c_str(), L"V", nullptr, &row.time);
        ASSERT_TRUE(localDriver.Create());
        ASSERT_EQ(localDriver.RowCount(), 6);

        localDriver.ClickColumn(kTimestamp);
        // The month-13 time stamp has no text and goes first.
        EXPECT_EQ(localDriver.Column(kName),
                  (std::vector<std::wstring>{L"f.q", L"e.q", L"c.q", L"b.q", L"a.q", L"d.q"}));
        localDriver.ClickColumn(kTimestamp);
        EXPECT_EQ(localDriver.Column(kName),
                  (std::vector<std::wstring>{L"d.q", L"a.q", L"b.q", L"c.q", L"e.q", L"f.q"}));
    }
}

TEST_F(ColumnSortDialog, AnEmptyListOnlyChangesTheState) {
    Open({});
    Click(kFileName);
    ExpectState(kFileName, 0);
    Click(kFileName);
    ExpectState(kFileName, 1);
    EXPECT_EQ(driver.RowCount(), 0);
}

TEST_F(ColumnSortDialog, AReloadKeepsTheSortAndTheNextClickReversesIt) {
    Open({{L"a.q", L"V", nullptr, Time(2026, 12, 8, 4, 36)},
          {L"b.q", L"V", nullptr, Time(2026, 12, 7, 23, 59)},
          {L"c.q", L"V", nullptr, Time(2026, 12, 9, 0, 0)}});
    Click(kTimestamp);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"b.q", L"a.q", L"c.q"}));
    ExpectState(kTimestamp, 0);

    driver.Click(IDC_RELOAD);
    driver.Pump();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"b.q", L"a.q", L"c.q"}));
    ExpectState(kTimestamp, 0);

    Click(kTimestamp);
    ExpectState(kTimestamp, 1);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"c.q", L"a.q", L"b.q"}));
    ExpectRowsIntact();
}

TEST_F(ColumnSortDialog, TimestampsSortByTheFillsMomentsWhateverTheRowsShare) {
    // Two quarantine files of one name from different folders, with different
    // times; a time stamp two-digit years cannot place; the epoch of a year
    // before 1900; a time with no text.
    Open({{L"a\\x.q", L"Third", nullptr, Time(2026, 12, 8, 4, 36)},
          {L"b\\x.q", L"First", nullptr, Time(1999, 1, 1, 0, 0)},
          {L"c.q", L"Fourth", nullptr, Time(2070, 6, 1, 8, 0)},
          {L"d.q", L"Epoch", nullptr, Time(1899, 1, 1, 0, 0)},
          {L"e.q", L"Second", nullptr, Time(2026, 1, 10, 9, 5)},
          {L"f.q", L"None", nullptr, Time(2026, 13, 1, 0, 0)}});
    const std::vector<std::wstring> ascending = {L"None",   L"Epoch", L"First",
                                                 L"Second", L"Third", L"Fourth"};
    // The sort does not read the texts in the locale it runs in.
    for (const wchar_t* locale : {L"C", L"German_Germany.1252", L"English_United States.1252"}) {
        SCOPED_TRACE(testing::Message()
                     << "sorted in locale " << std::string(locale, locale + wcslen(locale)));
        LocaleScope scope(locale);
        ASSERT_TRUE(scope.ok());
        Click(kTimestamp);
        if (driver.Dialog().sortDescending == 0) {
            EXPECT_EQ(driver.Column(kVirus), ascending);
        } else {
            EXPECT_EQ(driver.Column(kVirus),
                      std::vector<std::wstring>(ascending.rbegin(), ascending.rend()));
        }
        ExpectRowsIntact();
    }
}
