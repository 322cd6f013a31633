#pragma once

#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"

// What one quarantine file holds, as the properties dialog shows it.
struct ItemProperties {
    std::wstring quarantineFile;
    std::wstring virus;
    std::wstring time;  // as the list shows it
    // Every file object's former path, in the library's order, a leading
    // "\\?\" dropped as in the list.
    std::vector<std::wstring> formerPaths;
    // Registry values, hosts entries and whatever else is not a file.
    int otherObjects = 0;
};

ItemProperties ReadItemProperties(const std::wstring& quarantineFile,
                                  CZEBQtWrapper::Container& container);

// The former paths as lines of text, for the clipboard.
std::wstring FormerPathLines(const std::vector<std::wstring>& formerPaths);

// One former path as the properties show it: the file's name in a column of
// its own, so that long paths that differ only at their ends still look
// different, and the folder beside it. A path without a folder is all name.
struct FormerPathRow {
    std::wstring name;
    std::wstring folder;
};
FormerPathRow FormerPathRowOf(const std::wstring& path);

// The widths of the name and the folder column in a list whose client area
// is clientWidth wide, when the widest name needs nameWidth: the name column
// fits the widest name but takes at most half the list, and the folder
// column takes the rest.
struct PathColumnWidths {
    int name;
    int folder;
};
PathColumnWidths PathColumns(int clientWidth, int nameWidth);
