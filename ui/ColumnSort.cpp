#include "ui/ColumnSort.h"

#include <algorithm>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <numeric>

#include "ui/ListingText.h"
#include "ui/QuarantineDlg.h"
#include "ui/SortArrows.h"

// MakeKey's mktime must reach past January 2038 in the 32-bit program too.
static_assert(sizeof(std::time_t) == 8, "time stamps from 2038 on need a 64-bit time_t");

namespace {

const int kSampleDay = 22;
const int kSampleMonth = 11;
const int kSampleYear = 2033;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The first numbers written as runs of decimal digits, in order, and how
// many digits each has; false when there are more than fit or a run is too
// long to be a date's piece.
struct DigitRuns {
    int count = 0;
    long value[3] = {};
    size_t digits[3] = {};
};

bool ReadDigitRuns(const wchar_t* text, size_t length, DigitRuns& runs) {
    size_t i = 0;
    while (i < length) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        if (runs.count == 3) return false;
        long value = 0;
        const size_t start = i;
        for (; i < length && IsDigit(text[i]); ++i) {
            if (i - start == 9) return false;
            value = value * 10 + (text[i] - L'0');
        }
        runs.value[runs.count] = value;
        runs.digits[runs.count] = i - start;
        ++runs.count;
    }
    return true;
}

long PieceValue(const std::wstring& text, size_t offset, size_t length) {
    wchar_t piece[8] = {};
    text.copy(piece, std::min<size_t>(length, 7), offset);
    return std::wcstol(piece, nullptr, 10);
}

// The date part of a text that ends in " HH:MM", with hour and minute; false
// when the text does not end that way.
bool SplitTimeOfDay(const std::wstring& text, size_t& dateLength, long& hour, long& minute) {
    const size_t n = text.size();
    if (n < 6 || text[n - 6] != L' ' || text[n - 3] != L':') return false;
    if (!IsDigit(text[n - 5]) || !IsDigit(text[n - 4]) || !IsDigit(text[n - 2]) ||
        !IsDigit(text[n - 1]))
        return false;
    hour = (text[n - 5] - L'0') * 10 + (text[n - 4] - L'0');
    minute = (text[n - 2] - L'0') * 10 + (text[n - 1] - L'0');
    dateLength = n - 6;
    return true;
}

// The three numbers of a text's date and its time of day; read only from a
// text that ends in " HH:MM" and holds exactly three numbers before it.
struct DateAndTime {
    DigitRuns date;
    long hour = 0;
    long minute = 0;
};

bool ReadDateAndTime(const std::wstring& text, DateAndTime& read) {
    size_t dateLength = 0;
    return SplitTimeOfDay(text, dateLength, read.hour, read.minute) &&
           ReadDigitRuns(text.c_str(), dateLength, read.date) && read.date.count == 3;
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

const SYSTEMTIME kSampleTime = {kSampleYear, kSampleMonth, 2, kSampleDay, 12, 0, 0, 0};

DateOrder DateOrderFromSample(const std::wstring& sample) {
    DateAndTime read;
    if (!ReadDateAndTime(sample, read)) return DateOrder();
    int day = -1;
    int month = -1;
    int year = -1;
    for (int i = 0; i < 3; ++i) {
        const long value = read.date.value[i];
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
    return DateOrderFromSample(TimestampText(kSampleTime));
}

TimestampKey ParseTimestamp(const std::wstring& text, const DateOrder& order) {
    if (IsFixedLayout(text)) {
        return MakeKey(PieceValue(text, 0, 2), PieceValue(text, 3, 2), PieceValue(text, 6, 4),
                       PieceValue(text, 11, 2), PieceValue(text, 14, 2));
    }
    DateAndTime read;
    if (!ReadDateAndTime(text, read)) return TimestampKey();
    const DigitRuns& date = read.date;
    long year = date.value[order.year];
    // Two-digit years as POSIX reads them, 1969 to 2068: the earliest time
    // the listing shows is the epoch, which west of UTC falls on
    // 31 December 1969.
    if (date.digits[order.year] <= 2) year += year >= 69 ? 1900 : 2000;
    return MakeKey(date.value[order.day], date.value[order.month], year, read.hour, read.minute);
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
    if (KindOfColumn(column) == ColumnKind::kTime) {
        std::vector<TimestampKey> keys;
        keys.reserve(texts.size());
        for (const std::wstring& text : texts) keys.push_back(ParseTimestamp(text, order));
        return RankRows(texts.size(), [&keys](uint32_t a, uint32_t b) {
            return CompareTimestampKeys(keys[a], keys[b]) < 0;
        });
    }
    // towlower under a locale is slow enough to matter for thousands of rows;
    // each distinct character is asked once.
    std::vector<wchar_t> lower(65536, 0);
    std::vector<bool> known(65536, false);
    std::vector<std::wstring> folded;
    folded.reserve(texts.size());
    for (const std::wstring& text : texts) {
        folded.push_back(text);
        for (wchar_t& c : folded.back()) {
            const size_t index = static_cast<uint16_t>(c);
            if (!known[index]) {
                lower[index] = static_cast<wchar_t>(std::towlower(c));
                known[index] = true;
            }
            c = lower[index];
        }
    }
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
    // Called by the list control: nothing may unwind through its frames.
    try {
        const CQuarantineDlg* pDlg = reinterpret_cast<const CQuarantineDlg*>(dialog);
        if (pDlg == nullptr || pDlg->m_pSortSnapshot == nullptr) return 0;
        return CompareSnapshotRows(*pDlg->m_pSortSnapshot, itemData1, itemData2,
                                   pDlg->sortDescending != 0);
    } catch (...) {
        return 0;
    }
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

// Every row's text in one column, top to bottom, through one buffer.
std::vector<std::wstring> ColumnTexts(const CListCtrl& list, int column, int count) {
    std::vector<std::wstring> texts;
    texts.reserve(static_cast<size_t>(count));
    std::vector<wchar_t> buffer(256);
    for (int row = 0; row < count; ++row) {
        for (;;) {
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const LRESULT n = list.SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                               reinterpret_cast<LPARAM>(&item));
            const size_t length = n > 0 ? std::min(static_cast<size_t>(n), buffer.size() - 1) : 0;
            // A text that filled the buffer may have been cut short.
            if (length + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
                texts.emplace_back(buffer.data(), length);
                break;
            }
            buffer.resize(buffer.size() * 4);
        }
    }
    return texts;
}

}  // namespace

void CQuarantineDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    if (pNMHDR == nullptr) return;
    const int column = reinterpret_cast<const NMLISTVIEW*>(pNMHDR)->iSubItem;

    // Renumbering the rows' item data would otherwise repaint them one by one.
    const CRedrawSuspension noRedraw(m_lstQuarantine);
    const int count = std::max(m_lstQuarantine.GetItemCount(), 0);
    for (int i = 0; i < count; ++i) m_lstQuarantine.SetItemData(i, static_cast<DWORD_PTR>(i));
    const SortSnapshot snapshot =
        BuildSortSnapshot(ColumnTexts(m_lstQuarantine, column, count), column, CurrentDateOrder());

    if (column == sortColumn) {
        sortDescending = sortDescending == 0 ? 1 : 0;
    } else {
        sortColumn = column;
        sortDescending = 0;
    }

    {
        const SnapshotScope scope(m_pSortSnapshot, snapshot);
        m_lstQuarantine.SortItems(&CompareRows, reinterpret_cast<DWORD_PTR>(this));
    }
    ShowSortArrows(m_lstQuarantine.GetSafeHwnd(), sortColumn, sortDescending != 0);
    // The focused row moved with its texts; the keyboard stays with it.
    const int focused = m_lstQuarantine.GetNextItem(-1, LVNI_FOCUSED);
    if (focused >= 0)
        m_lstQuarantine.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(focused), FALSE);
}
