#include <gtest/gtest.h>

#include <clocale>
#include <ctime>

#include "ui/ListingText.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

// The C locale's "%x" is month/day/two-digit year.
class TimestampTextTest : public testing::Test {
protected:
    void SetUp() override { setlocale(LC_ALL, "C"); }
};

std::wstring EpochText() {
    const time_t epoch = 0;
    wchar_t buffer[128] = {};
    const size_t n = wcsftime(buffer, 128, L"%x %H:%M", localtime(&epoch));
    return std::wstring(buffer, n);
}

}  // namespace

TEST_F(TimestampTextTest, ShowsTheLocalWallClockTimeToTheMinute) {
    EXPECT_EQ(TimestampText(Time(2024, 3, 15, 13, 45, 59)), L"03/15/24 13:45");
    EXPECT_EQ(TimestampText(Time(2021, 12, 31, 0, 0, 0)), L"12/31/21 00:00");
    EXPECT_EQ(TimestampText(Time(2024, 2, 29, 23, 59, 0)), L"02/29/24 23:59");
}

TEST_F(TimestampTextTest, IgnoresDayOfWeekAndMilliseconds) {
    SYSTEMTIME time = Time(2024, 3, 15, 13, 45, 0);
    time.wDayOfWeek = 6;
    time.wMilliseconds = 999;
    EXPECT_EQ(TimestampText(time), L"03/15/24 13:45");
}

TEST_F(TimestampTextTest, YearsBefore1900StandForTheEpoch) {
    const std::wstring epoch = EpochText();
    ASSERT_FALSE(epoch.empty());
    EXPECT_EQ(TimestampText(Time(1899, 12, 31, 23, 59, 59)), epoch);
    EXPECT_EQ(TimestampText(SYSTEMTIME{}), epoch);
    // Out-of-range fields do not matter once the year says "epoch".
    EXPECT_EQ(TimestampText(Time(5, 77, 99, 99, 99, 99)), epoch);
}

TEST_F(TimestampTextTest, OutOfRangeFieldsGiveAnEmptyText) {
    EXPECT_EQ(TimestampText(Time(2024, 0, 10, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 13, 10, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 5, 0, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 5, 32, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 4, 31, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2023, 2, 29, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(1900, 2, 29, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 5, 10, 24, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 5, 10, 12, 60, 0)), L"");
    EXPECT_EQ(TimestampText(Time(2024, 5, 10, 12, 0, 60)), L"");
    EXPECT_EQ(TimestampText(Time(65535, 65535, 65535, 65535, 65535, 65535)), L"");
}

TEST_F(TimestampTextTest, TimesTheRuntimeCannotConvertGiveAnEmptyText) {
    // Before the epoch, and far beyond what a time value holds.
    EXPECT_EQ(TimestampText(Time(1950, 6, 1, 12, 0, 0)), L"");
    EXPECT_EQ(TimestampText(Time(65535, 12, 31, 23, 59, 59)), L"");
}

TEST(DescendingInsertionOrder, OrdersDescendingAndKeepsEqualTextsInTheirOrder) {
    const std::vector<std::wstring> names = {L"b.q", L"A.q", L"c.q", L"b.q", L"a.q"};
    const std::vector<size_t> order = DescendingInsertionOrder(names);
    ASSERT_EQ(order.size(), names.size());
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_GE(CompareListText(names[order[i - 1]], names[order[i]]), 0) << i;
    // The two "b.q" keep their enumeration order.
    EXPECT_EQ(order[1], 0u);
    EXPECT_EQ(order[2], 3u);
    EXPECT_EQ(order.front(), 2u);
    EXPECT_TRUE(DescendingInsertionOrder({}).empty());
}
