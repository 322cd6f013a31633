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

// The former paths as the lines of a multi-line edit control.
std::wstring FormerPathLines(const std::vector<std::wstring>& formerPaths);
