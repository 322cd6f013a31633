#include "ui/ColumnSort.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <numeric>

#include "ui/QuarantineDlg.h"
#include "ui/SortArrows.h"

namespace {

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

void TimestampMoments::Add(const std::wstring& text, int64_t moment) {
    if (!text.empty()) m_moments.emplace(text, moment);
}

TimestampKey TimestampMoments::Find(const std::wstring& text) const {
    TimestampKey key;
    const auto found = m_moments.find(text);
    if (found == m_moments.end()) return key;
    key.valid = true;
    key.time = found->second;
    return key;
}

int CompareTimestampKeys(const TimestampKey& key1, const TimestampKey& key2) {
    if (key1.valid != key2.valid) return key1.valid ? 1 : -1;
    if (!key1.valid || key1.time == key2.time) return 0;
    return key1.time < key2.time ? -1 : 1;
}

int CompareTimestamps(const std::wstring& text1, const std::wstring& text2,
                      const TimestampMoments& moments) {
    return CompareTimestampKeys(moments.Find(text1), moments.Find(text2));
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
                               const TimestampMoments& moments) {
    if (KindOfColumn(column) == ColumnKind::kTime) {
        std::vector<TimestampKey> keys;
        keys.reserve(texts.size());
        for (const std::wstring& text : texts) keys.push_back(moments.Find(text));
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
    if (column == sortColumn) {
        sortDescending = sortDescending == 0 ? 1 : 0;
    } else {
        sortColumn = column;
        sortDescending = 0;
    }
    SortRows();
}

void CQuarantineDlg::SortRows() {
    // Renumbering the rows' item data would otherwise repaint them one by one.
    const CRedrawSuspension noRedraw(m_lstQuarantine);
    const int count = std::max(m_lstQuarantine.GetItemCount(), 0);
    for (int i = 0; i < count; ++i) m_lstQuarantine.SetItemData(i, static_cast<DWORD_PTR>(i));
    const SortSnapshot snapshot = BuildSortSnapshot(ColumnTexts(m_lstQuarantine, sortColumn, count),
                                                    sortColumn, m_timestampMoments);
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
