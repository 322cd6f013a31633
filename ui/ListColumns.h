#pragma once

#include <windows.h>

// The quarantine list's columns, left to right. A column's id is its index
// in the list control, so that the rows' texts are read and written by id.
enum ListColumn : int {
    kColumnQuarantineFile,  // the quarantine file's name
    kColumnVirus,           // the virus found in it
    kColumnFileName,        // the quarantined file's former name
    kColumnPath,            // ... and its former folder
    kColumnTimestamp,       // when it was quarantined
    kColumnCount
};

// How the texts of a column compare when the list is sorted by it.
enum class ColumnKind {
    kText,  // without regard to case
    kTime,  // as the points in time they name
};

struct ListColumnSpec {
    ListColumn id;
    UINT nHeading;  // string-table id
    int nWidth;     // pixels at 96 DPI
    ColumnKind kind;
};

// Every column, in id order.
extern const ListColumnSpec kListColumns[kColumnCount];

// The kind of the column with that index; text for an index that names none.
ColumnKind KindOfColumn(int column);
