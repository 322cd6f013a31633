#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "standin/zebqt/StoreFormat.h"

namespace zq {

// One object about to be stored: its description and where its bytes come from.
struct PendingObject {
    ObjectMeta meta;                           // key, size and checksum are filled in while writing
    HANDLE sourceFile = INVALID_HANDLE_VALUE;  // files: read from its current position to its end
    std::vector<uint8_t> data;                 // other kinds
};

struct ContainerHeader {
    StampFields time;
    std::u16string virus;
};

// Writes a container holding the objects of the existing container at
// containerPath (if that is not empty) followed by the new ones. The file is
// built beside its final place and moved there only when complete and on
// disk; a new container gets a fresh name "<date>-<time>-<hex>.qtc" in the
// folder and its path is returned in containerPath. Returns a Status.
// durable false skips flushing to the disk, for generated bulk stores only.
int32_t WriteContainer(const std::wstring& folder, const ContainerHeader& header,
                       std::wstring& containerPath, std::vector<PendingObject>& objects,
                       bool durable = true);

// The container file's name for a time stamp: "YYYYMMDD-HHMMSS-<hex>.qtc".
std::wstring ContainerFileName(const StampFields& time, const std::wstring& hex);

}  // namespace zq
