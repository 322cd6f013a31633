#include "cli/QuarantineItems.h"

#include "ui/ListingText.h"

QuarantineItem ReadQuarantineItem(const CZEBQtWrapper::ContainerPtr& container) {
    QuarantineItem item;
    item.container = container;
    item.id = QuarantineFileName(container->m_strFilePath);
    item.virus = container->m_strVirus;
    item.time = IsoTimestampText(container->m_Time, &item.date);
    std::vector<CZEBQtWrapper::FileObjectPtr> files;
    if (container->EnumObjects(files)) {
        item.fileObjects = static_cast<int>(files.size());
        for (const CZEBQtWrapper::FileObjectPtr& file : files) {
            const FormerLocation former = SplitFormerPath(file->m_strOrigPath);
            if (item.fileLeafNames.empty()) {
                item.formerPath = file->m_strOrigPath;
                item.fileName = former.fileName;
                item.folder = former.folder;
            }
            item.fileLeafNames.push_back(former.fileName);
        }
        item.otherObjects = container->CountNonFileObjects();
    }
    return item;
}
