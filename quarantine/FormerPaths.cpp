#include "quarantine/FormerPaths.h"

std::vector<std::wstring> FormerPaths(CZEBQtWrapper::Container& container) {
    std::vector<CZEBQtWrapper::FileObjectPtr> objects;
    std::vector<std::wstring> paths;
    if (!container.EnumObjects(objects)) return paths;
    paths.reserve(objects.size());
    for (const CZEBQtWrapper::FileObjectPtr& object : objects)
        paths.push_back(object->m_strOrigPath);
    return paths;
}
