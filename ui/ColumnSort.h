#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/ListColumns.h"

// The column whose texts name points in time; the list's columns say how each
// one sorts.
enum { TIMESTAMP_COLUMN = kColumnTimestamp };

// The point in time a time stamp text of the listing names. Texts that name
// no time (empty, or a text the last fill did not write) are not valid and
// order before all valid ones.
struct TimestampKey {
    bool valid = false;
    int64_t time = 0;
};

// The moments the last list fill showed, by the time stamp text it wrote for
// each. The time column sorts by these instead of reading the locale's text
// back, so every locale's texts sort by time. Keyed by the text rather than
// by the row: rows are reordered and two rows may share a quarantine file
// name, while equal texts must compare equal anyway. Where two moments give
// one text (seconds apart, a two-digit year a century apart, the hour that
// repeats when the clocks go back) the first one recorded stands for both.
class TimestampMoments {
public:
    void Clear() { m_moments.clear(); }
    // An empty text names no moment and is not recorded.
    void Add(const std::wstring& text, int64_t moment);
    // Not valid for a text the fill did not write.
    TimestampKey Find(const std::wstring& text) const;

private:
    std::unordered_map<std::wstring, int64_t> m_moments;
};

// -1, 0 or 1; not valid before valid, equal among themselves.
int CompareTimestampKeys(const TimestampKey& key1, const TimestampKey& key2);
// -1 when text1 names the earlier time, 1 the later, 0 the same, by the
// moments recorded for the texts.
int CompareTimestamps(const std::wstring& text1, const std::wstring& text2,
                      const TimestampMoments& moments);

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

// Ranks the rows' texts of one column: as time stamps by their recorded
// moments for a column of points in time, else as case-insensitive text.
SortSnapshot BuildSortSnapshot(const std::vector<std::wstring>& texts, int column,
                               const TimestampMoments& moments);
// Negative when the row that stood at position itemData1 before the sort goes
// first. Equal texts keep their rows' order from before the sort in both
// directions, so the result does not depend on the list control's algorithm.
int CompareSnapshotRows(const SortSnapshot& snapshot, LPARAM itemData1, LPARAM itemData2,
                        bool descending);

// The list control's sort comparison; the third value is the dialog, whose
// m_pSortSnapshot is set while the sort runs.
int CALLBACK CompareRows(LPARAM itemData1, LPARAM itemData2, LPARAM dialog);
