#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "quarantine/ItemText.h"
#include "ui/ItemProperties.h"

TEST(QuarantineFileName, KeepsWhatFollowsTheLastBackslash) {
    EXPECT_EQ(QuarantineFileName(L"C:\\Q\\abc.q"), L"abc.q");
    EXPECT_EQ(QuarantineFileName(L"\\\\server\\share\\Q\\00A1.qua"), L"00A1.qua");
    EXPECT_EQ(QuarantineFileName(L"abc.q"), L"abc.q");
    EXPECT_EQ(QuarantineFileName(L"C:\\Q\\"), L"");
    EXPECT_EQ(QuarantineFileName(L""), L"");
    // Only backslashes separate: a forward slash is part of the name.
    EXPECT_EQ(QuarantineFileName(L"C:\\Q\\x/y.q"), L"x/y.q");
}

// The last backslash splits; only the exact "\\?\" prefix is dropped, and a
// path without a folder part (after the prefix too) gives nothing.
TEST(SplitFormerPath, SplitsAtTheLastBackslashAfterTheExactLongPathPrefix) {
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* fileName;
    } cases[] = {
        {L"C:\\Data\\report.doc", L"C:\\Data", L"report.doc"},
        {L"C:\\report.doc", L"C:", L"report.doc"},
        {L"C:\\Data\\", L"C:\\Data", L""},
        {L"\\\\?\\C:\\Data\\report.doc", L"C:\\Data", L"report.doc"},
        {L"\\\\?\\UNC\\server\\share\\f.doc", L"UNC\\server\\share", L"f.doc"},
        {L"\\\\.\\C:\\Data\\report.doc", L"\\\\.\\C:\\Data", L"report.doc"},
        {L"//?/C:\\Data\\report.doc", L"//?/C:\\Data", L"report.doc"},
        {L"\\\\?\\\\report.doc", L"", L""},
        {L"\\report.doc", L"", L""},
        {L"report.doc", L"", L""},
        {L"", L"", L""},
        {L"\\\\?\\", L"", L""},
        {L"\\\\?\\report.doc", L"", L""},
        {L"\\", L"", L""},
    };
    for (const auto& c : cases) {
        const FormerLocation location = SplitFormerPath(c.path);
        EXPECT_EQ(location.folder, c.folder) << c.path;
        EXPECT_EQ(location.fileName, c.fileName) << c.path;
    }
}

// The offset is Windows' own for the stamp's date: a TZ variable that the C
// runtime follows moves nothing.
TEST(IsoTimestampText, TimesAreLocalWithTheZonesOffsetAndEmptyWhereTheListShowsNoRealTime) {
    SYSTEMTIME time = {2024, 3, 0, 1, 9, 5, 7, 0};
    SYSTEMTIME late = {2100, 12, 0, 31, 23, 59, 59, 0};
    int date = -1;
    const std::wstring march = IsoTimestampText(time, &date),
                       december = IsoTimestampText(late, &date);
    const wchar_t* previous = _wgetenv(L"TZ");
    const std::wstring restore = std::wstring(L"TZ=") + (previous ? previous : L"");
    _wputenv(L"TZ=EST5");
    _tzset();
    EXPECT_EQ(IsoTimestampText(time, &date), march);
    EXPECT_EQ(march.substr(0, 19), L"2024-03-01T09:05:07");
    EXPECT_EQ(date, 20240301);
    EXPECT_EQ(IsoTimestampText(late, &date), december);
    EXPECT_EQ(december.substr(0, 19), L"2100-12-31T23:59:59");
    for (const SYSTEMTIME& none :
         {SYSTEMTIME{1601, 1, 0, 1, 0, 0, 0, 0}, SYSTEMTIME{2024, 2, 0, 30, 0, 0, 0, 0},
          SYSTEMTIME{2024, 13, 0, 1, 0, 0, 0, 0}, SYSTEMTIME{}}) {
        EXPECT_EQ(IsoTimestampText(none, &date), L"");
        EXPECT_EQ(date, 0);
    }
    _wputenv(restore.c_str());
    _tzset();
}

// Run by a CTest entry of its own under TZ=Europe/Berlin, which the test bed
// hands to Windows as Central European Time, while the C runtime, which knows
// only forms such as "CET-1CEST", reads it as UTC with the wrong rules.
TEST(TimeZone, OffsetsFollowTheZonesRulesForEachDate) {
    if (_wgetenv(L"QUARANTINE_TZ_TEST") == nullptr) GTEST_SKIP() << "runs as time_zone_tests";
    int date = 0;
    EXPECT_EQ(IsoTimestampText({2024, 1, 0, 15, 12, 0, 0, 0}, &date), L"2024-01-15T12:00:00+01:00");
    EXPECT_EQ(IsoTimestampText({2024, 7, 0, 15, 12, 0, 0, 0}, &date), L"2024-07-15T12:00:00+02:00");
    EXPECT_EQ(IsoTimestampText({2024, 10, 0, 27, 12, 0, 0, 0}, &date),
              L"2024-10-27T12:00:00+01:00");
}

TEST(PathColumns, TheNameFitsUpToHalfTheListAndTheFolderTakesTheRest) {
    struct Case {
        int client, name, nameColumn, folderColumn;
    } const cases[] = {
        {400, 120, 120, 280},  // the name fits
        {400, 300, 200, 200},  // a long name takes half
        {400, 0, 0, 400},      // no name at all
        {0, 50, 0, 0},         // no room
        {-5, 50, 0, 0},        // a list not laid out yet
    };
    for (const Case& c : cases) {
        const PathColumnWidths widths = PathColumns(c.client, c.name);
        EXPECT_EQ(widths.name, c.nameColumn) << c.client << " " << c.name;
        EXPECT_EQ(widths.folder, c.folderColumn) << c.client << " " << c.name;
    }
}
