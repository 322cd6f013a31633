#include "ui/ItemProperties.h"

#include "quarantine/FormerPaths.h"
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
