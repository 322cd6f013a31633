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

SYSTEMTIME WallClock(int year, int month, int day, int hour, int minute, int second = 0) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return time;
}

// The text the listing shows for a time stamp, recorded with its moment as
// the fill records it.
std::wstring Listed(TimestampMoments& moments, const SYSTEMTIME& time) {
    int64_t moment = 0;
    const std::wstring text = TimestampText(time, &moment);
    moments.Add(text, moment);
    return text;
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

TEST(CompareTimestamps, ListingTextsSortByTimeInEveryLocale) {
    // In time order: day and month swapped (2 January, 1 February; 12 November,
    // 11 December), a day-first text's first number larger (8 December after
    // 10 January), two-digit years of three centuries.
    const SYSTEMTIME moments[] = {WallClock(1999, 12, 31, 23, 59), WallClock(2026, 1, 2, 0, 0),
                                  WallClock(2026, 1, 5, 10, 0),    WallClock(2026, 1, 10, 0, 0),
                                  WallClock(2026, 2, 1, 0, 0),     WallClock(2026, 11, 12, 4, 36),
                                  WallClock(2026, 12, 1, 0, 0),    WallClock(2026, 12, 7, 23, 59),
                                  WallClock(2026, 12, 8, 4, 36),   WallClock(2026, 12, 8, 4, 37),
                                  WallClock(2026, 12, 10, 0, 0),   WallClock(2033, 11, 22, 12, 0),
                                  WallClock(2033, 12, 11, 12, 0),  WallClock(2070, 6, 1, 8, 0),
                                  WallClock(2100, 2, 1, 10, 0)};
    for (const wchar_t* locale :
         {kUnitedStates, kUnitedKingdom, kGermany, L"Japanese_Japan.932", L"C"}) {
        LocaleScope scope(locale);
        ASSERT_TRUE(scope.ok()) << locale;
        TimestampMoments recorded;
        std::vector<std::wstring> texts;
        for (const SYSTEMTIME& time : moments) texts.push_back(Listed(recorded, time));
        for (size_t i = 0; i < texts.size(); ++i) {
            ASSERT_FALSE(texts[i].empty()) << locale;
            for (size_t j = 0; j < texts.size(); ++j) {
                const int expected = i < j ? -1 : (i > j ? 1 : 0);
                EXPECT_EQ(CompareTimestamps(texts[i], texts[j], recorded), expected)
                    << locale << ": " << texts[i].c_str() << " / " << texts[j].c_str();
            }
        }
    }
}

TEST(CompareTimestamps, EqualTextsCompareEqualWhateverMomentsTheyStandFor) {
    LocaleScope scope(L"C");
    ASSERT_TRUE(scope.ok());
    struct Case {
        SYSTEMTIME first, second;
        const char* what;
    };
    const Case cases[] = {
        {WallClock(2026, 12, 8, 4, 36, 5), WallClock(2026, 12, 8, 4, 36, 40), "seconds apart"},
        {WallClock(2000, 2, 1, 10, 0), WallClock(2100, 2, 1, 10, 0),
         "a two-digit year a century apart"},
        {WallClock(1899, 12, 31, 23, 59), SYSTEMTIME{}, "years before 1900 show the epoch"},
    };
    for (const Case& c : cases) {
        for (bool firstFirst : {true, false}) {
            TimestampMoments recorded;
            const std::wstring later = Listed(recorded, WallClock(2500, 1, 1, 0, 0));
            const std::wstring a = Listed(recorded, firstFirst ? c.first : c.second);
            const std::wstring b = Listed(recorded, firstFirst ? c.second : c.first);
            ASSERT_EQ(a, b) << c.what;
            EXPECT_TRUE(recorded.Find(a).valid) << c.what;
            EXPECT_EQ(CompareTimestamps(a, b, recorded), 0) << c.what;
            // One text, one place: the order stays transitive.
            EXPECT_EQ(CompareTimestamps(a, later, recorded), -1) << c.what;
        }
    }
    // The listing's epoch is a time stamp like any other, the earliest one.
    TimestampMoments recorded;
    const std::wstring epoch = Listed(recorded, SYSTEMTIME{});
    const std::wstring in1970 = Listed(recorded, WallClock(1970, 1, 2, 12, 0));
    EXPECT_EQ(CompareTimestamps(epoch, in1970, recorded), -1);
}

TEST(CompareTimestamps, TextsTheFillDidNotWriteComeFirstAndTieAmongThemselves) {
    LocaleScope scope(L"C");
    ASSERT_TRUE(scope.ok());
    TimestampMoments recorded;
    const std::wstring valid = Listed(recorded, WallClock(1970, 1, 2, 12, 0));
    ASSERT_EQ(valid, L"01/02/70 12:00");
    ASSERT_EQ(Listed(recorded, WallClock(2026, 12, 8, 4, 36)), L"12/08/26 04:36");
    // Out-of-range fields: the fill writes an empty text and no moment.
    for (const SYSTEMTIME& time :
         {WallClock(2026, 13, 1, 0, 0), WallClock(2026, 12, 32, 0, 0),
          WallClock(2026, 2, 31, 10, 0), WallClock(2026, 12, 8, 24, 0),
          WallClock(2026, 12, 8, 4, 60), WallClock(2026, 12, 8, 4, 36, 60)})
        EXPECT_EQ(Listed(recorded, time), L"");
    // Texts that look like a time stamp are not read: only what the fill
    // wrote has a moment.
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
        L" 8. 12.2026 04:36",
        L"+8.12.2026 04:36",
        L"08.12.2026 04:36x",
        L"8.12.2026 04:36",
        L"12/08/2026 04:36",
        L"12/8/26 04:36",
        L"12/08/26 4:36",
    };
    for (const std::wstring& text : invalid) {
        EXPECT_FALSE(recorded.Find(text).valid) << text.c_str();
        EXPECT_EQ(CompareTimestamps(text, valid, recorded), -1) << text.c_str();
        EXPECT_EQ(CompareTimestamps(valid, text, recorded), 1) << text.c_str();
        EXPECT_EQ(CompareTimestamps(text, L"", recorded), 0) << text.c_str();
    }
    // A new fill forgets the last one's texts.
    recorded.Clear();
    EXPECT_FALSE(recorded.Find(valid).valid);
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
    const TimestampMoments none;
    const SortSnapshot snapshot = BuildSortSnapshot(texts, 1, none);
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

    EXPECT_TRUE(BuildSortSnapshot({}, 0, none).ranks.empty());
    // A time stamp text in a text column is only text.
    TimestampMoments recorded;
    recorded.Add(L"8.12.2026 04:36", 1);
    recorded.Add(L"07.12.2026 23:59", 2);
    EXPECT_EQ(BuildSortSnapshot({L"8.12.2026 04:36", L"07.12.2026 23:59"}, 3, recorded).ranks,
              (std::vector<uint32_t>{1, 0}));
}

TEST(SortSnapshot, TimestampColumnRanksByTimeWithInvalidTextsFirst) {
    const std::vector<std::wstring> texts = {L"08.12.2026 04:36", L"",
                                             L"7.12.2026 23:59",  L"garbage",
                                             L"08.12.2026 04:36", L"31.02.2026 10:00"};
    // As a fill in a locale that writes days without a leading zero
    // would record them; the text of 31 February was never written.
    TimestampMoments recorded;
    recorded.Add(L"08.12.2026 04:36", 2);
    recorded.Add(L"7.12.2026 23:59", 1);
    const SortSnapshot snapshot = BuildSortSnapshot(texts, TIMESTAMP_COLUMN, recorded);
    EXPECT_EQ(snapshot.ranks, (std::vector<uint32_t>{2, 0, 1, 0, 2, 0}));
    EXPECT_EQ(SortedRows(snapshot, false), (std::vector<LPARAM>{1, 3, 5, 2, 0, 4}));
    EXPECT_EQ(SortedRows(snapshot, true), (std::vector<LPARAM>{0, 4, 2, 1, 3, 5}));
}

TEST(SortSnapshot, MixedTimestampsGiveAConsistentOrder) {
    // Every layout the listing could write, texts without a moment among
    // them: the sorted result must agree with the pairwise comparison
    // everywhere.
    std::vector<std::wstring> texts;
    TimestampMoments recorded;
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
        // The first moment recorded for a text stands; some moments repeat.
        if (texts.back().size() > 2) recorded.Add(texts.back(), next(300));
    }
    const SortSnapshot snapshot = BuildSortSnapshot(texts, TIMESTAMP_COLUMN, recorded);
    for (bool descending : {false, true}) {
        const std::vector<LPARAM> rows = SortedRows(snapshot, descending);
        for (size_t i = 1; i < rows.size(); ++i) {
            const int r = CompareTimestamps(texts[static_cast<size_t>(rows[i - 1])],
                                            texts[static_cast<size_t>(rows[i])], recorded);
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
    };
    // The C locale's two-digit years no longer limit the order to one century.
    const Case cases[] = {{L"C", L"12/31/69 19:00", L"/40 08:00"},
                          {kGermany, L"31.12.1969 19:00", L".2040 08:00"}};
    for (const Case& c : cases) {
        LocaleScope scope(c.locale);
        ASSERT_TRUE(scope.ok()) << c.locale;
        TimestampMoments recorded;
        ASSERT_EQ(TimestampText(SYSTEMTIME{}), c.epoch) << c.locale;
        const std::wstring in2040 = TimestampText(WallClock(2040, 6, 1, 8, 0));
        const std::wstring end(c.in2040);
        EXPECT_TRUE(in2040.size() > end.size() &&
                    in2040.compare(in2040.size() - end.size(), end.size(), end) == 0)
            << c.locale << ": " << in2040.c_str();
        // In time order; the epoch row as the listing writes it comes first.
        std::vector<std::wstring> texts = {Listed(recorded, SYSTEMTIME{})};
        for (const int year : {1970, 1999, 2037, 2038, 2040, 2045, 2068, 2100})
            texts.push_back(Listed(recorded, WallClock(year, 2, 1, 10, 0)));
        for (const std::wstring& text : texts) EXPECT_FALSE(text.empty()) << c.locale;
        const SortSnapshot snapshot = BuildSortSnapshot(texts, TIMESTAMP_COLUMN, recorded);
        std::vector<uint32_t> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0u);
        EXPECT_EQ(snapshot.ranks, expected) << c.locale;
    }
}
