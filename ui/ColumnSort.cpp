#include "ui/ColumnSort.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <numeric>

#include "ui/QuarantineDlg.h"

namespace {

const int kSampleDay = 22;
const int kSampleMonth = 11;
const int kSampleYear = 2033;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The numbers written as runs of decimal digits, in order; false when a run
// is too long to be a date's piece.
bool DigitRuns(const std::wstring& text, std::vector<std::wstring>& runs) {
    runs.clear();
    size_t i = 0;
    while (i < text.size()) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i - start > 9) return false;
        runs.push_back(text.substr(start, i - start));
    }
    return true;
}

long PieceValue(const std::wstring& text, size_t offset, size_t length) {
    const std::wstring piece = text.substr(offset, length);
    return std::wcstol(piece.c_str(), nullptr, 10);
}

// The date part of a text that ends in " HH:MM", with hour and minute; false
// when the text does not end that way.
bool SplitTimeOfDay(const std::wstring& text, std::wstring& date, long& hour, long& minute) {
    const size_t n = text.size();
    if (n < 6 || text[n - 6] != L' ' || text[n - 3] != L':') return false;
    if (!IsDigit(text[n - 5]) || !IsDigit(text[n - 4]) || !IsDigit(text[n - 2]) ||
        !IsDigit(text[n - 1]))
        return false;
    hour = (text[n - 5] - L'0') * 10 + (text[n - 4] - L'0');
    minute = (text[n - 2] - L'0') * 10 + (text[n - 1] - L'0');
    date = text.substr(0, n - 6);
    return true;
}

// A point in local time, or not valid when a piece is out of range or the C
// runtime cannot convert the moment (it then gives no time value, or moves
// the date, as for 31 February).
TimestampKey MakeKey(long day, long month, long year, long hour, long minute) {
    TimestampKey key;
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59)
        return key;
    std::tm tm = {};
    tm.tm_year = static_cast<int>(year - 1900);
    tm.tm_mon = static_cast<int>(month - 1);
    tm.tm_mday = static_cast<int>(day);
    tm.tm_hour = static_cast<int>(hour);
    tm.tm_min = static_cast<int>(minute);
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return key;
    if (tm.tm_year != year - 1900 || tm.tm_mon != month - 1 || tm.tm_mday != day) return key;
    key.valid = true;
    key.time = static_cast<int64_t>(t);
    return key;
}

bool IsFixedLayout(const std::wstring& text) {
    // The dots tell this layout from a month-first date of the same length,
    // such as 12/11/2026 04:36, which has to be read in the locale's order.
    return text.size() >= 16 && text[13] == L':' && text[2] == L'.' && text[5] == L'.';
}

template <typename Less>
SortSnapshot RankRows(size_t count, Less less) {
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), less);
    SortSnapshot snapshot;
    snapshot.ranks.assign(count, 0);
    uint32_t rank = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && less(order[i - 1], order[i])) ++rank;
        snapshot.ranks[order[i]] = rank;
    }
    return snapshot;
}

}  // namespace

std::tm SampleDateTime() {
    std::tm tm = {};
    tm.tm_year = kSampleYear - 1900;
    tm.tm_mon = kSampleMonth - 1;
    tm.tm_mday = kSampleDay;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    std::mktime(&tm);
    return tm;
}

DateOrder DateOrderFromSample(const std::wstring& sample) {
    std::wstring date;
    long hour = 0;
    long minute = 0;
    std::vector<std::wstring> runs;
    if (!SplitTimeOfDay(sample, date, hour, minute) || !DigitRuns(date, runs) || runs.size() != 3)
        return DateOrder();
    int day = -1;
    int month = -1;
    int year = -1;
    for (int i = 0; i < 3; ++i) {
        const long value = std::wcstol(runs[static_cast<size_t>(i)].c_str(), nullptr, 10);
        if (value == kSampleDay && day < 0)
            day = i;
        else if (value == kSampleMonth && month < 0)
            month = i;
        else if ((value == kSampleYear || value == kSampleYear % 100) && year < 0)
            year = i;
    }
    if (day < 0 || month < 0 || year < 0) return DateOrder();
    DateOrder order;
    order.day = day;
    order.month = month;
    order.year = year;
    return order;
}

DateOrder CurrentDateOrder() {
    const std::tm sample = SampleDateTime();
    wchar_t buffer[128] = {};
    const size_t length = std::wcsftime(buffer, 128, L"%x %H:%M", &sample);
    if (length == 0) return DateOrder();
    return DateOrderFromSample(std::wstring(buffer, std::min<size_t>(length, 127)));
}

TimestampKey ParseTimestamp(const std::wstring& text, const DateOrder& order) {
    if (IsFixedLayout(text)) {
        return MakeKey(PieceValue(text, 0, 2), PieceValue(text, 3, 2), PieceValue(text, 6, 4),
                       PieceValue(text, 11, 2), PieceValue(text, 14, 2));
    }
    std::wstring date;
    long hour = 0;
    long minute = 0;
    std::vector<std::wstring> runs;
    if (!SplitTimeOfDay(text, date, hour, minute) || !DigitRuns(date, runs) || runs.size() != 3)
        return TimestampKey();
    const std::wstring& yearText = runs[static_cast<size_t>(order.year)];
    long year = std::wcstol(yearText.c_str(), nullptr, 10);
    // Two-digit years: the listing never shows a time before 1970.
    if (yearText.size() <= 2) year += year >= 70 ? 1900 : 2000;
    return MakeKey(std::wcstol(runs[static_cast<size_t>(order.day)].c_str(), nullptr, 10),
                   std::wcstol(runs[static_cast<size_t>(order.month)].c_str(), nullptr, 10), year,
                   hour, minute);
}

int CompareTimestampKeys(const TimestampKey& key1, const TimestampKey& key2) {
    if (key1.valid != key2.valid) return key1.valid ? 1 : -1;
    if (!key1.valid || key1.time == key2.time) return 0;
    return key1.time < key2.time ? -1 : 1;
}

int CompareTimestamps(const std::wstring& text1, const std::wstring& text2,
                      const DateOrder& order) {
    return CompareTimestampKeys(ParseTimestamp(text1, order), ParseTimestamp(text2, order));
}

int CompareTimestamps(const std::wstring& text1, const std::wstring& text2) {
    return CompareTimestamps(text1, text2, CurrentDateOrder());
}

int CompareTexts(const std::wstring& text1, const std::wstring& text2) {
    return _wcsicmp(text1.c_str(), text2.c_str());
}

std::wstring FoldCase(const std::wstring& text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

SortSnapshot BuildSortSnapshot(const std::vector<std::wstring>& texts, int column,
                               const DateOrder& order) {
    if (column == TIMESTAMP_COLUMN) {
        std::vector<TimestampKey> keys;
        keys.reserve(texts.size());
        for (const std::wstring& text : texts) keys.push_back(ParseTimestamp(text, order));
        return RankRows(texts.size(), [&keys](uint32_t a, uint32_t b) {
            return CompareTimestampKeys(keys[a], keys[b]) < 0;
        });
    }
    std::vector<std::wstring> folded;
    folded.reserve(texts.size());
    for (const std::wstring& text : texts) folded.push_back(FoldCase(text));
    return RankRows(texts.size(),
                    [&folded](uint32_t a, uint32_t b) { return folded[a] < folded[b]; });
}

int CompareSnapshotRows(const SortSnapshot& snapshot, LPARAM itemData1, LPARAM itemData2,
                        bool descending) {
    // Item data the sort did not set ranks after every known row.
    const auto rankOf = [&snapshot](LPARAM data) -> uint64_t {
        if (data < 0 || static_cast<uint64_t>(data) >= snapshot.ranks.size()) return UINT64_MAX;
        return snapshot.ranks[static_cast<size_t>(data)];
    };
    const uint64_t rank1 = rankOf(itemData1);
    const uint64_t rank2 = rankOf(itemData2);
    if (rank1 != rank2) {
        const int r = rank1 < rank2 ? -1 : 1;
        return descending ? -r : r;
    }
    if (itemData1 == itemData2) return 0;
    return itemData1 < itemData2 ? -1 : 1;
}

int CALLBACK CompareRows(LPARAM itemData1, LPARAM itemData2, LPARAM dialog) {
    const CQuarantineDlg* pDlg = reinterpret_cast<const CQuarantineDlg*>(dialog);
    if (pDlg == nullptr || pDlg->m_pSortSnapshot == nullptr) return 0;
    return CompareSnapshotRows(*pDlg->m_pSortSnapshot, itemData1, itemData2,
                               pDlg->sortDescending != 0);
}

namespace {

// Points the dialog at the snapshot for the duration of one sort.
class SnapshotScope {
public:
    SnapshotScope(const SortSnapshot*& slot, const SortSnapshot& snapshot) : m_slot(slot) {
        m_slot = &snapshot;
    }
    ~SnapshotScope() { m_slot = nullptr; }
    SnapshotScope(const SnapshotScope&) = delete;
    SnapshotScope& operator=(const SnapshotScope&) = delete;

private:
    const SortSnapshot*& m_slot;
};

}  // namespace

void CQuarantineDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    if (pNMHDR == nullptr) return;
    const int column = reinterpret_cast<const NMLISTVIEW*>(pNMHDR)->iSubItem;

    const int count = std::max(m_lstQuarantine.GetItemCount(), 0);
    std::vector<std::wstring> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        m_lstQuarantine.SetItemData(i, static_cast<DWORD_PTR>(i));
        texts.push_back(m_lstQuarantine.GetItemText(i, column));
    }
    const SortSnapshot snapshot = BuildSortSnapshot(texts, column, CurrentDateOrder());

    if (column == sortColumn) {
        sortDescending = sortDescending == 0 ? 1 : 0;
    } else {
        sortColumn = column;
        sortDescending = 0;
    }

    const SnapshotScope scope(m_pSortSnapshot, snapshot);
    m_lstQuarantine.SortItems(&CompareRows, reinterpret_cast<DWORD_PTR>(this));
}
