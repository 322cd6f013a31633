#include "restore/QuarantineItem.h"

#include "quarantine/FormerPaths.h"
#include "ui/ListingText.h"

QuarantineItem ReadQuarantineItem(const CZEBQtWrapper::ContainerPtr& container) {
    QuarantineItem item;
    item.container = container;
    item.id = QuarantineFileName(container->m_strFilePath);
    item.virus = container->m_strVirus;
    item.time = IsoTimestampText(container->m_Time, &item.date);
    item.formerPaths = FormerPaths(*container);
    item.fileObjects = static_cast<int>(item.formerPaths.size());
    if (!item.formerPaths.empty()) {
        const FormerLocation former = SplitFormerPath(item.formerPaths.front());
        item.formerPath = item.formerPaths.front();
        item.fileName = former.fileName;
        item.folder = former.folder;
    }
    item.otherObjects = container->CountNonFileObjects();
    return item;
}

QuarantineItem ReadQuarantineItemByName(CZEBQtWrapper& library, const std::wstring& folder,
                                        const std::wstring& name) {
    const CZEBQtWrapper::QuarantinePtr quarantine = library.OpenQuarantine(folder);
    const CZEBQtWrapper::ContainerPtr container =
        quarantine ? quarantine->OpenContainerByName(name) : CZEBQtWrapper::ContainerPtr();
    if (!container) {
        QuarantineItem item;
        item.id = name;
        return item;
    }
    QuarantineItem item = ReadQuarantineItem(container);
    // A container opened by name may report its path differently; the row's
    // name is the one the list and the file system know.
    item.id = name;
    return item;
}
