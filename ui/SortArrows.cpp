#include "ui/SortArrows.h"

#include <commctrl.h>

int HeaderFormatWithSortArrow(int format, int column, int sortedColumn, bool descending) {
    format &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == sortedColumn) format |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    return format;
}

void ShowSortArrows(HWND hList, int sortedColumn, bool descending) {
    const HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
    if (hHeader == nullptr) return;
    const int count = static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < count; ++column) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(hHeader, HDM_GETITEMW, static_cast<WPARAM>(column),
                            reinterpret_cast<LPARAM>(&item)))
            continue;
        const int format = HeaderFormatWithSortArrow(item.fmt, column, sortedColumn, descending);
        if (format == item.fmt) continue;
        item.fmt = format;
        ::SendMessageW(hHeader, HDM_SETITEMW, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&item));
    }
}
