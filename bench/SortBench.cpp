// Sorting by each column with one header click, against the list control's
// own sort of the same rows with a comparison of precomputed integers.
#include <windows.h>
#include <commctrl.h>

#include <clocale>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "ui/ColumnSort.h"
#include "ui/QuarantineDlg.h"

namespace {

const wchar_t* const kColumnNames[] = {L"Quarantine-File", L"Virus", L"Filename", L"Path",
                                       L"Timestamp"};

int CALLBACK CompareIntegers(LPARAM a, LPARAM b, LPARAM) {
    return (a > b) - (a < b);
}

std::vector<std::wstring> ColumnTexts(const CListCtrl& list, int column) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < list.GetItemCount(); ++i) texts.push_back(list.GetItemText(i, column));
    return texts;
}

// Whether the column now stands in ascending order.
bool IsAscending(const CQuarantineDlg& dlg, int column) {
    const std::vector<std::wstring> texts = ColumnTexts(dlg.m_lstQuarantine, column);
    for (size_t i = 1; i < texts.size(); ++i) {
        const int r = column == TIMESTAMP_COLUMN
                          ? CompareTimestamps(texts[i - 1], texts[i], dlg.m_timestampMoments)
                          : CompareTexts(texts[i - 1], texts[i]);
        if (r > 0) return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 300);
    _wsetlocale(LC_ALL, L"");
    CBenchDialog bench;
    LoadMemoryContainers(MakeContainers(options.rows, true));
    bench.Reload(L"C:\\Quarantine");
    CQuarantineDlg& dlg = bench.Dialog();
    const CListCtrl& list = dlg.m_lstQuarantine;
    const int rows = list.GetItemCount();
    if (rows != options.rows) {
        std::fwprintf(stderr, L"the list shows %d rows instead of %d\n", rows, options.rows);
        return 1;
    }

    // Every repetition starts from the order the fill left.
    std::map<std::wstring, int> fillPosition;
    for (int i = 0; i < rows; ++i) fillPosition[list.GetItemText(i, 0)] = i;
    const auto restoreFillOrder = [&] {
        for (int i = 0; i < rows; ++i)
            list.SetItemData(i, static_cast<DWORD_PTR>(fillPosition[list.GetItemText(i, 0)]));
        list.SortItems(&CompareIntegers, 0);
        dlg.sortColumn = -1;
        dlg.sortDescending = 0;
    };

    int failures = 0;
    for (int column = 0; column < 5; ++column) {
        // The floor's integers: each row's place in the sorted order, known
        // before the sort starts. Handing them to the rows as item data is
        // part of the floor, done the same way as the click does it.
        restoreFillOrder();
        const SortSnapshot ranks =
            BuildSortSnapshot(ColumnTexts(list, column), column, dlg.m_timestampMoments);
        std::vector<LPARAM> key(static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i)
            key[static_cast<size_t>(i)] =
                static_cast<LPARAM>(ranks.ranks[static_cast<size_t>(i)]) * rows + i;
        const auto floorSort = [&] {
            list.SetRedraw(false);
            for (int i = 0; i < rows; ++i)
                list.SetItemData(i, static_cast<DWORD_PTR>(key[static_cast<size_t>(i)]));
            list.SortItems(&CompareIntegers, 0);
            list.SetRedraw(true);
            ::InvalidateRect(list.GetSafeHwnd(), nullptr, TRUE);
        };
        const auto click = [&] {
            restoreFillOrder();
            bench.ClickColumn(column);
            if (!IsAscending(dlg, column)) {
                std::fwprintf(stderr, L"the %ls column is not in ascending order after a click\n",
                              kColumnNames[column]);
                ++failures;
            }
        };
        const auto clickOnly = [&] { bench.ClickColumn(column); };
        click();  // checked once, untimed
        const PairedTiming t =
            TimeAgainstFloor(options.reps, restoreFillOrder, clickOnly, floorSort);
        PrintFigure(std::wstring(L"sort, ") + kColumnNames[column], t, 1.5);
    }
    return failures == 0 ? 0 : 1;
}
