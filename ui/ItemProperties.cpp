#include "ui/ItemProperties.h"

#include <algorithm>

#include "quarantine/FormerPaths.h"
#include "quarantine/ItemText.h"
#include "ui/ListingText.h"

ItemProperties ReadItemProperties(const std::wstring& quarantineFile,
                                  CZEBQtWrapper::Container& container) {
    ItemProperties item;
    item.quarantineFile = quarantineFile;
    item.virus = container.m_strVirus;
    item.time = TimestampText(container.m_Time);
    for (std::wstring path : FormerPaths(container)) {
        if (path.compare(0, 4, L"\\\\?\\") == 0) path.erase(0, 4);
        item.formerPaths.push_back(path);
    }
    item.otherObjects = container.CountNonFileObjects();
    return item;
}

std::wstring FormerPathLines(const std::vector<std::wstring>& formerPaths) {
    std::wstring text;
    for (const std::wstring& path : formerPaths) {
        if (!text.empty()) text += L"\r\n";
        text += path;
    }
    return text;
}

FormerPathRow FormerPathRowOf(const std::wstring& path) {
    const FormerLocation location = SplitFormerPath(path);
    if (location.fileName.empty() && location.folder.empty()) return {path, std::wstring()};
    return {location.fileName, location.folder};
}

PathColumnWidths PathColumns(int clientWidth, int nameWidth) {
    const int width = std::max(clientWidth, 0);
    const int name = std::min(std::max(nameWidth, 0), width / 2);
    return {name, width - name};
}
