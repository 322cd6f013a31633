#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The texts one row of the quarantine list shows, worked out from what the
// quarantine library reports about a quarantine file.

// The time stamp as local wall-clock time to the minute, "%x %H:%M" in the C
// runtime's locale. Years before 1900 stand for the start of 1970 (UTC).
//
// Fields the library should never report but might (a month outside 1-12, a
// day the month does not have, an hour above 23, a minute or second above 59)
// give an empty text rather than a normalised date that would look real, as
// does any time the C runtime cannot convert or format. The row is listed all
// the same.
std::wstring TimestampText(const SYSTEMTIME& time);
// The same text, and the moment it shows as a time value (seconds since the
// start of 1970, UTC), so that nobody has to read the locale's text back;
// 0 where the text is empty.
std::wstring TimestampText(const SYSTEMTIME& time, int64_t* pMoment);

// Compares two first-column texts as the list control's ascending sort does
// when it places an inserted row: negative, zero or positive.
int CompareListText(const std::wstring& left, const std::wstring& right);

// The order in which to hand rows to that list control: descending by
// CompareListText, rows with equal texts in their original order. The control
// scans its rows from the top for the first one not smaller than the new row,
// so each insertion then stops at the first row instead of walking the whole
// list; the control still decides every row's place.
std::vector<size_t> DescendingInsertionOrder(const std::vector<std::wstring>& texts);
