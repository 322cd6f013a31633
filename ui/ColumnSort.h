#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/ListColumns.h"

// The column whose texts name points in time; the list's columns say how each
// one sorts.
enum { TIMESTAMP_COLUMN = kColumnTimestamp };

// Where day, month and year stand among the three numbers of a short date.
struct DateOrder {
    int day = 0;
    int month = 1;
    int year = 2;
};

// The order of the numbers in a date formatted with "%x" in the current C
// runtime locale, learnt from one known date that the listing formats.
// Day, month, year when the locale's date cannot be read that way.
DateOrder CurrentDateOrder();
// The order learnt from the listing's text for kSampleTime; day, month, year
// when the text does not show it.
DateOrder DateOrderFromSample(const std::wstring& sample);
// 22 November 2033, 12:00: day, month and year differ in every digit.
extern const SYSTEMTIME kSampleTime;

// The point in time a time stamp text of the listing names. Texts that name
// no valid time (empty, pieces out of range, a moment the local calendar
// conversion cannot represent) are not valid and order before all valid ones.
struct TimestampKey {
    bool valid = false;
    int64_t time = 0;
};

// Reads a time stamp text: DD.MM.YYYY HH:MM (at least 16 characters, dots at
// 2 and 5, ':' at 13) piece by piece at fixed places; any other text as the
// three numbers of its date in the given order followed by " HH:MM".
TimestampKey ParseTimestamp(const std::wstring& text, const DateOrder& order);
// -1, 0 or 1; not valid before valid, equal among themselves.
int CompareTimestampKeys(const TimestampKey& key1, const TimestampKey& key2);
// -1 when text1 names the earlier time, 1 the later, 0 the same; the texts
// are read in the date order of the current C runtime locale.
int CompareTimestamps(const std::wstring& text1, const std::wstring& text2);
int CompareTimestamps(const std::wstring& text1, const std::wstring& text2, const DateOrder& order);

// The case-insensitive comparison of the C runtime under its current locale:
// negative, 0 or positive.
int CompareTexts(const std::wstring& text1, const std::wstring& text2);
// The text with every character lower-cased the way CompareTexts does it, so
// that comparing folded texts by character value orders as CompareTexts does.
std::wstring FoldCase(const std::wstring& text);

// What the sort comparison sees: for every row, by its position before the
// sort, the rank of its sort-column text (equal texts share a rank).
struct SortSnapshot {
    std::vector<uint32_t> ranks;
};

// Ranks the rows' texts of one column: as time stamps for a column of points
// in time, else as case-insensitive text.
SortSnapshot BuildSortSnapshot(const std::vector<std::wstring>& texts, int column,
                               const DateOrder& order);
// Negative when the row that stood at position itemData1 before the sort goes
// first. Equal texts keep their rows' order from before the sort in both
// directions, so the result does not depend on the list control's algorithm.
int CompareSnapshotRows(const SortSnapshot& snapshot, LPARAM itemData1, LPARAM itemData2,
                        bool descending);

// The list control's sort comparison; the third value is the dialog, whose
// m_pSortSnapshot is set while the sort runs.
int CALLBACK CompareRows(LPARAM itemData1, LPARAM itemData2, LPARAM dialog);
