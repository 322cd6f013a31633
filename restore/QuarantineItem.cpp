#include "restore/QuarantineItem.h"

#include <utility>

#include "quarantine/ItemText.h"

QuarantineItem ReadQuarantineItem(const CZEBQtWrapper::ContainerPtr& container, ItemTime time) {
    QuarantineItem item;
    item.container = container;
    item.id = QuarantineFileName(container->m_strFilePath);
    item.virus = container->m_strVirus;
    if (time == ItemTime::Read) item.time = IsoTimestampText(container->m_Time, &item.date);
    CZEBQtWrapper::Container::Objects objects = container->ReadObjects();
    item.formerPaths = std::move(objects.formerPaths);
    item.fileObjects = static_cast<int>(item.formerPaths.size());
    if (!item.formerPaths.empty()) {
        const FormerLocation former = SplitFormerPath(item.formerPaths.front());
        item.formerPath = item.formerPaths.front();
        item.fileName = former.fileName;
        item.folder = former.folder;
    }
    item.otherObjects = objects.otherObjects;
    item.onlyNonFileObjects = objects.onlyNonFileObjects;
    return item;
}

QuarantineItem ReadNamedQuarantineItem(const CZEBQtWrapper::ContainerPtr& container,
                                       const std::wstring& name) {
    QuarantineItem item;
    if (container) item = ReadQuarantineItem(container);
    item.id = name;
    return item;
}

QuarantineItem ReadQuarantineItemByName(CZEBQtWrapper& library, const std::wstring& folder,
                                        const std::wstring& name) {
    const CZEBQtWrapper::QuarantinePtr quarantine = library.OpenQuarantine(folder);
    QuarantineItem item = ReadNamedQuarantineItem(
        quarantine ? quarantine->OpenContainerByName(name) : CZEBQtWrapper::ContainerPtr(), name);
    // A library may hold the quarantine file open while its container is:
    // the container goes first, then (on return) the quarantine.
    item.container.reset();
    return item;
}
