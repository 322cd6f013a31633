#include "ui/ListColumns.h"

#include "res/resource.h"

const ListColumnSpec kListColumns[kColumnCount] = {
    {kColumnQuarantineFile, IDS_COL_QUARANTINE_FILE, 130, ColumnKind::kText},
    {kColumnVirus, IDS_COL_VIRUS, 100, ColumnKind::kText},
    {kColumnFileName, IDS_COL_FILENAME, 130, ColumnKind::kText},
    {kColumnPath, IDS_COL_PATH, 130, ColumnKind::kText},
    {kColumnTimestamp, IDS_COL_TIMESTAMP, 100, ColumnKind::kTime},
};

ColumnKind KindOfColumn(int column) {
    if (column < 0 || column >= kColumnCount) return ColumnKind::kText;
    return kListColumns[column].kind;
}
