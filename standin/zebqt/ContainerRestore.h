#pragma once

#include <cstdint>
#include <string>

#include "quarantine/ZEBQtEntryPoints.h"

namespace zq {

// Restores the objects of a container file. An empty destination puts every
// object back where it came from (files at their original paths, registry
// values into the registry, hosts entries into the hosts file); a folder
// receives the container's files under their original names only. Every
// file is written beside its target, checked, shown to the hook and renamed
// into place only when all of the container's files are ready; nothing is
// ever overwritten and a failure takes back whatever this call created.
// Returns 0, -1, -2 or -3 (Status.h).
int32_t RestoreContainerFile(const std::wstring& containerPath, const std::wstring& destination,
                             ZEBQtCleanHook hook, uintptr_t context);

// Restores one object of the container to its original place; restoredPath
// receives the path written (files) or the item's text (other kinds).
int32_t RestoreOneObject(const std::wstring& containerPath, uint32_t index,
                         std::wstring& restoredPath);

}  // namespace zq
