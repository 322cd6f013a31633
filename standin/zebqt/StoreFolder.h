#pragma once

#include <string>
#include <vector>

#include "standin/zebqt/StoreFormat.h"

namespace zq {

// The extension of container files; nothing else in a folder is listed.
extern const wchar_t kContainerExtension[];

bool IsFolder(const std::wstring& path);

// Names (without folder) of the container files in a folder, sorted so that
// older time stamps come first. An empty pattern means every container file.
bool ListContainerFiles(const std::wstring& folder, const std::wstring& pattern,
                        std::vector<std::wstring>& names);

// The structure of a container file; headerValid false when it cannot be read.
ParsedContainer ReadContainerFile(const std::wstring& path);

// "<common application data>\HALVREN\Quarantine\".
std::wstring DefaultQuarantineFolder();

}  // namespace zq
