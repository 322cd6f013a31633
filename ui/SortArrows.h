#pragma once

#include <windows.h>

// A column header's format with the arrow it shows for the rows' order: up
// for ascending, down for descending on the column the rows are sorted by,
// none on every other column. The rest of the format stays.
int HeaderFormatWithSortArrow(int format, int column, int sortedColumn, bool descending);

// Sets that arrow on every column header of the list view.
void ShowSortArrows(HWND hList, int sortedColumn, bool descending);
