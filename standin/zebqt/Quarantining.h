#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/zebqt/ContainerWriter.h"

// Puts items into containers: the container is written and on disk before
// any original is removed.
namespace zq {

struct FileToStore {
    std::wstring source;    // the file read
    std::wstring storedAs;  // the original path recorded; empty: the source's full path
    std::wstring virus;
};

// containerPath: empty for a new container (receives its path), else the
// container extended. removeOriginals false keeps the sources (the tool's
// --keep). Returns a Status; kOriginalKept when everything was stored but an
// original could not be removed.
int32_t QuarantineFiles(const std::wstring& folder, const ContainerHeader& header,
                        const std::vector<FileToStore>& files, bool removeOriginals,
                        std::wstring& containerPath);
int32_t QuarantineRegistryValue(const std::wstring& folder, const ContainerHeader& header,
                                const std::wstring& keyPath, const std::wstring& valueName,
                                const std::wstring& virus, bool removeOriginal,
                                std::wstring& containerPath);
int32_t QuarantineHostsEntry(const std::wstring& folder, const ContainerHeader& header,
                             const std::wstring& entry, const std::wstring& virus,
                             bool removeOriginal, std::wstring& containerPath);

// The current local time as stored in a container.
StampFields NowStamp();

}  // namespace zq
