#include <gtest/gtest.h>

#include "tests/common/LocaleScope.h"

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <numeric>
#include <string>
#include <vector>

#include "ui/ColumnSort.h"
#include "ui/ListingText.h"

namespace {

const wchar_t* const kUnitedStates = L"English_United States.1252";
const wchar_t* const kUnitedKingdom = L"English_United Kingdom.1252";
const wchar_t* const kGermany = L"German_Germany.1252";

DateOrder Order(int day, int month, int year) {
    DateOrder order;
    order.day = day;
    order.month = month;
    order.year = year;
    return order;
}
const DateOrder kDayMonthYear = Order(0, 1, 2);
const DateOrder kMonthDayYear = Order(1, 0, 2);
const DateOrder kYearMonthDay = Order(2, 1, 0);

// The text the listing shows for a local wall-clock time.
std::wstring ListingText(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    return TimestampText(time);
}

std::vector<LPARAM> SortedRows(const SortSnapshot& snapshot, bool descending) {
    std::vector<LPARAM> rows(snapshot.ranks.size());
    std::iota(rows.begin(), rows.end(), 0);
    std::sort(rows.begin(), rows.end(), [&](LPARAM a, LPARAM b) {
        return CompareSnapshotRows(snapshot, a, b, descending) < 0;
    });
    return rows;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

TEST(CompareTimestamps, FixedLayoutReadsDayMonthYearWhateverTheLocale) {
    for (const DateOrder& order : {kDayMonthYear, kMonthDayYear, kYearMonthDay}) {
        EXPECT_EQ(CompareTimestamps(L"08.12.2026 04:36", L"07.12.2026 23:59", order), 1);
        EXPECT_EQ(CompareTimestamps(L"07.12.2026 23:59", L"08.12.2026 04:36", order), -1);
        EXPECT_EQ(CompareTimestamps(L"08.12.2026 04:36", L"08.12.2026 04:36", order), 0);
        EXPECT_EQ(CompareTimestamps(L"01.02.2026 00:00", L"02.01.2026 00:00", order), 1);
    }
    // Pieces convert as wcstol does: leading blanks and signs are accepted,
    // and anything after the 16th character is not read.
    EXPECT_EQ(CompareTimestamps(L" 8. 12.2026 04:36", L"08.12.2026 04:36x", kDayMonthYear), 0);
    EXPECT_EQ(CompareTimestamps(L"+8.12.2026 04:36", L"08.12.2026 04:36", kDayMonthYear), 0);
}

TEST(CompareTimestamps, OtherTextsFollowTheGivenDateOrder) {
    // Month first: 12 November is before 1 December although the fixed
    // reading would take it for 11 December.
    EXPECT_EQ(CompareTimestamps(L"11/12/2026 04:36", L"12/1/2026 00:00", kMonthDayYear), -1);
    EXPECT_EQ(CompareTimestamps(L"12/8/2026 04:36", L"12/7/2026 23:59", kMonthDayYear), 1);
    EXPECT_EQ(CompareTimestamps(L"1/5/2026 10:00", L"12/10/2025 10:00", kMonthDayYear), 1);
    EXPECT_EQ(CompareTimestamps(L"12/08/2026 04:36", L"12/8/2026 04:36", kMonthDayYear), 0);
    // Day first with one- and two-digit days and months, mixed with the
    // fixed layout.
    EXPECT_EQ(CompareTimestamps(L"8.12.2026 04:36", L"07.12.2026 23:59", kDayMonthYear), 1);
    EXPECT_EQ(CompareTimestamps(L"8.9.2026 04:36", L"10.8.2026 04:36", kDayMonthYear), 1);
    EXPECT_EQ(CompareTimestamps(L"08/12/2026 04:36", L"8/12/2026 04:36", kDayMonthYear), 0);
    EXPECT_EQ(CompareTimestamps(L"8.12.2026 04:36", L"08.12.2026 04:36", kDayMonthYear), 0);
    // Year first, with the separators some locales put between the pieces.
    EXPECT_EQ(CompareTimestamps(L"2026/12/8 04:36", L"2026/11/30 23:59", kYearMonthDay), 1);
    EXPECT_EQ(CompareTimestamps(L"2026. 12. 8. 04:36", L"2026-12-08 04:36", kYearMonthDay), 0);
    // Two-digit years belong to 1970 to 2069.
    EXPECT_EQ(CompareTimestamps(L"12/08/99 04:36", L"01/01/26 00:00", kMonthDayYear), -1);
    EXPECT_EQ(CompareTimestamps(L"12/08/26 04:36", L"12/8/2026 04:36", kMonthDayYear), 0);
}

TEST(CompareTimestamps, TextsNamingNoValidTimeComeFirstAndTieAmongThemselves) {
    const std::wstring valid = L"02.01.1970 12:00";
    const std::vector<std::wstring> invalid = {
        L"",
        L"abc",
        L"08.12.2026",
        L"32.12.2026 04:36",
        L"00.12.2026 04:36",
        L"08.13.2026 04:36",
        L"08.00.2026 04:36",
        L"08.12.1899 04:36",
        L"08.12.2026 24:00",
        L"08.12.2026 04:60",
        L"-8.12.2026 04:36",
        L"31.02.2026 10:00",
        L"01.01.9999 00:00",
        L"8.12.2026 4:36",
        L"12/8 04:36",
        L"1/2/3/2026 04:36",
        L"12345678901/8/2026 04:36",
    };
    for (const std::wstring& text : invalid) {
        EXPECT_FALSE(ParseTimestamp(text, kDayMonthYear).valid) << text.c_str();
        EXPECT_EQ(CompareTimestamps(text, valid, kDayMonthYear), -1) << text.c_str();
        EXPECT_EQ(CompareTimestamps(valid, text, kDayMonthYear), 1) << text.c_str();
        EXPECT_EQ(CompareTimestamps(text, L"", kDayMonthYear), 0) << text.c_str();
    }
}

TEST(CompareTimestamps, ListingTextsSortByTimeInEveryLocale) {
    struct Moment {
        int year, month, day, hour, minute;
    };
    // In time order.
    const Moment moments[] = {{1999, 12, 31, 23, 59}, {2026, 1, 5, 10, 0},   {2026, 11, 12, 4, 36},
                              {2026, 12, 1, 0, 0},    {2026, 12, 7, 23, 59}, {2026, 12, 8, 4, 36},
                              {2026, 12, 8, 4, 37},   {2026, 12, 10, 0, 0}};
    for (const wchar_t* locale :
         {kUnitedStates, kUnitedKingdom, kGermany, L"Japanese_Japan.932", L"C"}) {
        LocaleScope scope(locale);
        ASSERT_TRUE(scope.ok()) << locale;
        std::vector<std::wstring> texts;
        for (const Moment& m : moments)
            texts.push_back(ListingText(m.year, m.month, m.day, m.hour, m.minute));
        for (size_t i = 0; i < texts.size(); ++i) {
            for (size_t j = 0; j < texts.size(); ++j) {
                const int expected = i < j ? -1 : (i > j ? 1 : 0);
                EXPECT_EQ(CompareTimestamps(texts[i], texts[j]), expected)
                    << locale << ": " << texts[i].c_str() << " / " << texts[j].c_str();
            }
        }
    }
}

TEST(DateOrder, LearntFromTheLocalesShortDate) {
    const auto expectOrder = [](const DateOrder& order, int day, int month, int year,
                                const wchar_t* what) {
        EXPECT_EQ(order.day, day) << what;
        EXPECT_EQ(order.month, month) << what;
        EXPECT_EQ(order.year, year) << what;
    };
    expectOrder(DateOrderFromSample(L"11/22/2033 12:00"), 1, 0, 2, L"month first");
    expectOrder(DateOrderFromSample(L"22.11.2033 12:00"), 0, 1, 2, L"day first");
    expectOrder(DateOrderFromSample(L"2033-11-22 12:00"), 2, 1, 0, L"year first");
    expectOrder(DateOrderFromSample(L"11/22/33 12:00"), 1, 0, 2, L"two-digit year");
    expectOrder(DateOrderFromSample(L"22 Nov 2033 12:00"), 0, 1, 2, L"month name");
    expectOrder(DateOrderFromSample(L""), 0, 1, 2, L"empty");

    struct Case {
        const wchar_t* locale;
        int day, month, year;
    };
    const Case cases[] = {{kUnitedStates, 1, 0, 2},
                          {kUnitedKingdom, 0, 1, 2},
                          {kGermany, 0, 1, 2},
                          {L"Japanese_Japan.932", 2, 1, 0},
                          {L"C", 1, 0, 2}};
    for (const Case& c : cases) {
        LocaleScope scope(c.locale);
        ASSERT_TRUE(scope.ok()) << c.locale;
        expectOrder(CurrentDateOrder(), c.day, c.month, c.year, c.locale);
    }
}

TEST(CompareTexts, IgnoresCaseAndFoldedTextsOrderTheSameWay) {
    const std::vector<std::wstring> texts = {
        L"",        L"a",           L"A",       L"ab",          L"B",           L"_x",
        L"[x",      L"Zeta",        L"zeta",    L"\u00c4pfel",  L"\u00e4pfel",  L"apfel",
        L"\u00d6l", L"Stra\u00dfe", L"STRASSE", L"W32/Virus.A", L"w32/virus.a", L"W32/Virus.B"};
    for (const wchar_t* locale : {kGermany, kUnitedStates, L"C"}) {
        LocaleScope scope(locale);
        ASSERT_TRUE(scope.ok()) << locale;
        EXPECT_EQ(CompareTexts(L"W32/Virus.A", L"w32/VIRUS.a"), 0);
        EXPECT_LT(CompareTexts(L"abc", L"ABD"), 0);
        EXPECT_LT(CompareTexts(L"ab", L"abc"), 0);
        for (const std::wstring& a : texts) {
            for (const std::wstring& b : texts) {
                const std::wstring fa = FoldCase(a);
                const std::wstring fb = FoldCase(b);
                EXPECT_EQ(Sign(fa.compare(fb)), Sign(CompareTexts(a, b)))
                    << locale << ": " << a.c_str() << " / " << b.c_str();
            }
        }
    }
    LocaleScope german(kGermany);
    EXPECT_EQ(CompareTexts(L"\u00c4pfel", L"\u00e4PFEL"), 0);
}

TEST(SortSnapshot, TextColumnsRankWithoutCaseAndKeepEqualRowsInPlace) {
    const std::vector<std::wstring> texts = {L"b", L"A", L"c", L"a", L"B"};
    const SortSnapshot snapshot = BuildSortSnapshot(texts, 1, kDayMonthYear);
    EXPECT_EQ(snapshot.ranks, (std::vector<uint32_t>{1, 0, 2, 0, 1}));
    EXPECT_EQ(SortedRows(snapshot, false), (std::vector<LPARAM>{1, 3, 0, 4, 2}));
    EXPECT_EQ(SortedRows(snapshot, true), (std::vector<LPARAM>{2, 0, 4, 1, 3}));
    EXPECT_EQ(CompareSnapshotRows(snapshot, 1, 3, false), -1);
    EXPECT_EQ(CompareSnapshotRows(snapshot, 3, 1, true), 1);
    EXPECT_EQ(CompareSnapshotRows(snapshot, 2, 2, true), 0);
    // Item data outside the snapshot goes after every row, in both directions
    // of the comparison.
    EXPECT_EQ(CompareSnapshotRows(snapshot, 5, 2, false), 1);
    EXPECT_EQ(CompareSnapshotRows(snapshot, 2, -1, false), -1);

    EXPECT_TRUE(BuildSortSnapshot({}, 0, kDayMonthYear).ranks.empty());
    // A time stamp text in a text column is only text.
    EXPECT_EQ(BuildSortSnapshot({L"8.12.2026 04:36", L"07.12.2026 23:59"}, 3, kDayMonthYear).ranks,
              (std::vector<uint32_t>{1, 0}));
}

TEST(SortSnapshot, TimestampColumnRanksByTimeWithInvalidTextsFirst) {
    const std::vector<std::wstring> texts = {L"08.12.2026 04:36", L"",
                                             L"7.12.2026 23:59",  L"garbage",
                                             L"08.12.2026 04:36", L"31.02.2026 10:00"};
    const SortSnapshot snapshot = BuildSortSnapshot(texts, TIMESTAMP_COLUMN, kDayMonthYear);
    EXPECT_EQ(snapshot.ranks, (std::vector<uint32_t>{2, 0, 1, 0, 2, 0}));
    EXPECT_EQ(SortedRows(snapshot, false), (std::vector<LPARAM>{1, 3, 5, 2, 0, 4}));
    EXPECT_EQ(SortedRows(snapshot, true), (std::vector<LPARAM>{0, 4, 2, 1, 3, 5}));
}

TEST(SortSnapshot, MixedTimestampsGiveAConsistentOrder) {
    // Every layout the listing could write, invalid texts among them: the
    // sorted result must agree with the pairwise comparison everywhere.
    std::vector<std::wstring> texts;
    unsigned seed = 12345;
    const auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int i = 0; i < 400; ++i) {
        const unsigned day = next(33);
        const unsigned month = next(14);
        const unsigned year = 1995 + next(40);
        const unsigned hour = next(25);
        const unsigned minute = next(61);
        wchar_t buffer[64];
        switch (next(4)) {
            case 0:
                swprintf(buffer, 64, L"%02u.%02u.%04u %02u:%02u", day, month, year, hour, minute);
                break;
            case 1:
                swprintf(buffer, 64, L"%u.%u.%u %02u:%02u", day, month, year, hour, minute);
                break;
            case 2:
                swprintf(buffer, 64, L"%02u/%02u/%04u %02u:%02u", day, month, year, hour, minute);
                break;
            default:
                swprintf(buffer, 64, L"%u", day);
                break;
        }
        texts.push_back(buffer);
    }
    const SortSnapshot snapshot = BuildSortSnapshot(texts, TIMESTAMP_COLUMN, kDayMonthYear);
    for (bool descending : {false, true}) {
        const std::vector<LPARAM> rows = SortedRows(snapshot, descending);
        for (size_t i = 1; i < rows.size(); ++i) {
            const int r = CompareTimestamps(texts[static_cast<size_t>(rows[i - 1])],
                                            texts[static_cast<size_t>(rows[i])], kDayMonthYear);
            EXPECT_LE(descending ? -r : r, 0);
            if (r == 0) {
                EXPECT_LT(rows[i - 1], rows[i]);
            }
        }
    }
}

namespace {

// Puts the C runtime in a time zone for one test and back afterwards.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const wchar_t* zone) {
        const wchar_t* previous = _wgetenv(L"TZ");
        m_previous = std::wstring(L"TZ=") + (previous ? previous : L"");
        _wputenv((std::wstring(L"TZ=") + zone).c_str());
        _tzset();
    }
    ~TimeZoneScope() {
        _wputenv(m_previous.c_str());
        _tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    std::wstring m_previous;
};

}  // namespace

TEST(CompareTimestamps, EpochFirstAndYearsFrom2038InOrderWestOfUtc) {
    TimeZoneScope zone(L"EST5");
    struct Case {
        const wchar_t* locale;
        const wchar_t* epoch;   // a zeroed time stamp, 1 January 1970 00:00 UTC
        const wchar_t* in2040;  // how 1 June 2040 08:00 ends
        int lastYear;           // a two-digit year holds one century only
    };
    const Case cases[] = {{L"C", L"12/31/69 19:00", L"/40 08:00", 2068},
                          {kGermany, L"31.12.1969 19:00", L".2040 08:00", 2100}};
    for (const Case& c : cases) {
        LocaleScope scope(c.locale);
        ASSERT_TRUE(scope.ok()) << c.locale;
        ASSERT_EQ(TimestampText(SYSTEMTIME{}), c.epoch) << c.locale;
        const std::wstring in2040 = ListingText(2040, 6, 1, 8, 0);
        const std::wstring end(c.in2040);
        EXPECT_TRUE(in2040.size() > end.size() &&
                    in2040.compare(in2040.size() - end.size(), end.size(), end) == 0)
            << c.locale << ": " << in2040.c_str();
        // In time order; the epoch row as the listing writes it comes first.
        std::vector<std::wstring> texts = {TimestampText(SYSTEMTIME{})};
        for (const int year : {1970, 1999, 2037, 2038, 2040, 2045, 2068, 2100})
            if (year <= c.lastYear) texts.push_back(ListingText(year, 2, 1, 10, 0));
        for (const std::wstring& text : texts) EXPECT_FALSE(text.empty()) << c.locale;
        const SortSnapshot snapshot =
            BuildSortSnapshot(texts, TIMESTAMP_COLUMN, CurrentDateOrder());
        std::vector<uint32_t> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0u);
        EXPECT_EQ(snapshot.ranks, expected) << c.locale;
    }
}
