// The main dialog lists and sorts what a misbehaving quarantine library
// reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <clocale>
#include <map>

#include "res/resource.h"
#include "tests/hardening_lib/HostileDialog.h"
#include "ui/ColumnSort.h"

namespace {

class HostileListing : public HostileDialog {
protected:
    void SetUp() override {
        HostileDialog::SetUp();
        setlocale(LC_ALL, "C");
    }

    // Every column clicked twice, ascending then descending (the first
    // column, listed ascending, descending then ascending): the rows stay
    // whole and the clicked text column stands in order.
    void SortEveryColumnTwice() {
        std::vector<std::vector<std::wstring>> before = m_driver.Rows();
        std::sort(before.begin(), before.end());
        for (int column = 0; column < 5; ++column) {
            for (int click = 0; click < 2; ++click) {
                SCOPED_TRACE(testing::Message() << "column " << column << ", click " << click);
                m_driver.ClickColumn(column);
                std::vector<std::vector<std::wstring>> after = m_driver.Rows();
                if (column != TIMESTAMP_COLUMN) {
                    for (size_t row = 1; row < after.size(); ++row) {
                        const int order = CompareTexts(after[row - 1][static_cast<size_t>(column)],
                                                       after[row][static_cast<size_t>(column)]);
                        const bool ascending = (click == 0) != (column == 0);
                        EXPECT_TRUE(ascending ? order <= 0 : order >= 0) << "row " << row;
                    }
                }
                std::sort(after.begin(), after.end());
                EXPECT_TRUE(after == before);
            }
        }
    }
};

TEST_F(HostileListing, TextsFillingEveryBufferAreListedWhole) {
    HostileSettings settings;
    settings.containerCount = 12;
    settings.objectCount = 4;
    settings.fileObjectAt = 2;
    Create(settings);

    ASSERT_EQ(m_driver.RowCount(), 12);
    ExpectRowsBelongToTheirContainers();
    for (const std::vector<std::wstring>& row : m_driver.Rows()) {
        EXPECT_EQ(row[1].size(), kVirusChars);
        EXPECT_EQ(row[3].size() + 1 + row[2].size(), kPathChars - 4);
    }
    EXPECT_TRUE(MessageBoxes().empty());
    ExpectAllClosed();
}

TEST_F(HostileListing, NamesAsLongAsTheBufferAreListedWholeAndSorted) {
    HostileSettings settings;
    settings.containerCount = 9;
    settings.nameLength = 259;
    Create(settings);

    ASSERT_EQ(m_driver.RowCount(), 9);
    ExpectRowsBelongToTheirContainers();
    for (const std::wstring& name : m_driver.Column(0)) EXPECT_EQ(name.size(), 259u);
    SortEveryColumnTwice();
    ExpectRowsBelongToTheirContainers();
    ExpectAllClosed();
}

TEST_F(HostileListing, TimeStampsOutOfRangeListTheirRowsAndSort) {
    HostileSettings settings;
    settings.containerCount = kHostileTimeCount;
    Create(settings);

    ASSERT_EQ(m_driver.RowCount(), kHostileTimeCount);
    ExpectRowsBelongToTheirContainers();
    std::map<int32_t, std::wstring> timestamps;
    for (const std::vector<std::wstring>& row : m_driver.Rows())
        timestamps[HostileIndexOf(row[0])] = row[4];
    // Month 0, 13 and 65535, day 0, 32 and 30 February, hour 24 and 65535,
    // minute 60, second 60: no date is made up for them.
    for (int32_t index = 0; index < 10; ++index)
        EXPECT_EQ(timestamps[index], L"") << "time stamp " << index;
    EXPECT_EQ(timestamps[14], L"");
    // Years 1899 and 0 both stand for the same moment.
    EXPECT_FALSE(timestamps[10].empty());
    EXPECT_EQ(timestamps[10], timestamps[11]);
    for (int32_t index = 15; index < kHostileTimeCount; ++index)
        EXPECT_FALSE(timestamps[index].empty()) << "time stamp " << index;

    SortEveryColumnTwice();
    ExpectAllClosed();
}

TEST_F(HostileListing, TheInRangeTimeStampsLeadADescendingSort) {
    HostileSettings settings;
    settings.containerCount = kHostileTimeCount * 3;
    settings.fillBuffers = 0;
    Create(settings);

    m_driver.ClickColumn(TIMESTAMP_COLUMN);
    m_driver.ClickColumn(TIMESTAMP_COLUMN);
    ASSERT_EQ(m_driver.RowCount(), kHostileTimeCount * 3);
    // 8 December 2026, 14 July 2025, 29 February 2024, three of each.
    std::vector<int32_t> leading;
    for (int row = 0; row < 9; ++row) leading.push_back(RowIndex(row) % kHostileTimeCount);
    EXPECT_EQ(leading, (std::vector<int32_t>{15, 15, 15, 17, 17, 17, 16, 16, 16}));
    ExpectRowsBelongToTheirContainers();
}

TEST_F(HostileListing, ObjectsOfUnknownKindsAndGapsLeaveTheFormerLocationEmpty) {
    HostileSettings settings;
    settings.containerCount = 5;
    settings.objectCount = 9;
    settings.fileObjectAt = kHostileNone;
    Create(settings);

    ASSERT_EQ(m_driver.RowCount(), 5);
    ExpectRowsBelongToTheirContainers();
    ExpectAllClosed();
}

TEST_F(HostileListing, AMinusOneInTheMiddleListsTheContainersBeforeIt) {
    HostileSettings settings;
    settings.containerCount = 8;
    settings.containerGapAt = 3;
    Create(settings);

    std::vector<int32_t> indexes;
    for (int row = 0; row < m_driver.RowCount(); ++row) indexes.push_back(RowIndex(row));
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (std::vector<int32_t>{0, 1, 2}));
    ExpectAllClosed();
}

TEST_F(HostileListing, TheSameHandleTwiceListsTwoRows) {
    HostileSettings settings;
    settings.duplicateHandles = 1;
    settings.objectCount = 2;
    Create(settings);

    std::vector<int32_t> indexes;
    for (int row = 0; row < m_driver.RowCount(); ++row) indexes.push_back(RowIndex(row));
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (std::vector<int32_t>{0, 0, 2}));
    ExpectRowsBelongToTheirContainers();
    SortEveryColumnTwice();
    ExpectAllClosed();
}

TEST_F(HostileListing, ARefusedEnumerationOrFailedPropertiesShowNothingAndSayNothing) {
    HostileSettings settings;
    settings.startEnumResult = INT32_MIN;
    Create(settings);
    EXPECT_EQ(m_driver.RowCount(), 0);

    settings.startEnumResult = 0;
    settings.propertiesResult = 7;
    m_library->Configure(settings);
    m_driver.Click(IDC_RELOAD);
    ASSERT_EQ(m_driver.RowCount(), 3);
    for (const std::vector<std::wstring>& row : m_driver.Rows()) {
        EXPECT_EQ(row[0], L"");
        EXPECT_EQ(row[1], L"");
        EXPECT_EQ(row[2], L"");
        EXPECT_EQ(row[3], L"");
    }
    SortEveryColumnTwice();
    EXPECT_TRUE(MessageBoxes().empty());
    ExpectAllClosed();
}

TEST_F(HostileListing, ALongEnumerationIsListedAndSorted) {
    HostileSettings settings;
    settings.containerCount = 600;
    settings.objectCount = 3;
    settings.fileObjectAt = 1;
    Create(settings);

    ASSERT_EQ(m_driver.RowCount(), 600);
    ExpectRowsBelongToTheirContainers();
    SortEveryColumnTwice();
    ExpectAllClosed();
}

// A library that never ends an enumeration: the dialog still comes up, with
// a list, and the objects of every container are left behind closed.
TEST_F(HostileListing, EndlessObjectEnumerationsStillListEveryContainer) {
    HostileSettings settings;
    settings.containerCount = 4;
    settings.objectCount = kHostileEndless;
    settings.fileObjectAt = 6;
    Create(settings);

    ASSERT_EQ(m_driver.RowCount(), 4);
    ExpectRowsBelongToTheirContainers();
    EXPECT_EQ(Counts().runawayStops, 0);
    ExpectAllClosed();
}

}  // namespace
