#pragma once

#include <windows.h>

#include <ctime>
#include <string>

// An item's own texts, worked out one way from what the quarantine library
// reports about a quarantine file, for the list, the reports for scripts and
// the audit trail alike.

// The quarantine file's name: the part after the last backslash, or the whole
// text when it holds none.
std::wstring QuarantineFileName(const std::wstring& filePath);

// Where a quarantined file used to be.
struct FormerLocation {
    std::wstring folder;    // "Path" column
    std::wstring fileName;  // "Filename" column
};

// Splits a file's former path at its last backslash after dropping a leading
// "\\?\". Without a backslash, or with only one at the very start, both parts
// are empty: such a path names no folder the file could go back to.
FormerLocation SplitFormerPath(const std::wstring& origPath);

// The moment shown for a library time stamp, as a time value and its local
// fields in the C runtime's zone. Years before 1900 stand for the start of
// 1970 (UTC). False where nothing is shown: fields the library should never
// report but might (a month outside 1-12, a day the month does not have, an
// hour above 23, a minute or second above 59), which would otherwise be
// normalised into a date that looks real, or a time the C runtime cannot
// convert.
bool ShownMoment(const SYSTEMTIME& time, time_t* pValue, tm* pLocal);

// The moment for scripts: ISO 8601 local time with its offset from UTC
// ("2024-03-01T09:00:00+01:00"), and its local date as yyyymmdd. The offset
// is the Windows time zone's for that date, whatever a TZ variable tells the C
// runtime. Empty, with date 0, wherever the list shows nothing or the start of
// 1970 in place of a real time stamp.
std::wstring IsoTimestampText(const SYSTEMTIME& time, int* pDate);
