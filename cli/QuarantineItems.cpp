#include "cli/QuarantineItems.h"

#include "ui/ListingText.h"

namespace {

// The enumeration closes what is not a file without counting it; one more
// walk over the kinds gives the count. It stops where the enumeration would.
int CountOtherObjects(const CZEBQtWrapper::Container& container) {
    const int32_t kMaxObjects = 4096;
    int others = 0;
    for (int32_t index = 0; index < kMaxObjects; ++index) {
        int32_t kind = 0;
        const int32_t handle =
            container.m_pWrapper->ZEBQtOpenObject(container.m_hContainer, index, &kind);
        if (handle == -1) break;
        container.m_pWrapper->ZEBQtCloseObject(handle);
        if (kind != 0) ++others;
    }
    return others;
}

}  // namespace

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
        item.otherObjects = CountOtherObjects(*container);
    }
    return item;
}
