#pragma once

#include <string>
#include <vector>

// The list's rows as the clipboard gets them on Ctrl+C, the way a details
// view copies them: a header line of the column headings, then one line per
// row, the cells separated by tabs, every line ended by CR LF. A tab or line
// break inside a cell would split it into two, so it becomes a space.
std::wstring RowsAsText(const std::vector<std::wstring>& headings,
                        const std::vector<std::vector<std::wstring>>& rows);
