#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "standin/zebqt/ContainerWriter.h"
#include "standin/zebqt/StoreFormat.h"

namespace zq {

struct HandleObject {
    virtual ~HandleObject() = default;
};

struct QuarantineState : HandleObject {
    std::wstring folder;  // ends with exactly one backslash
    bool enumerated = false;
    std::vector<std::wstring> names;  // container files at the last StartEnumContainers
};

struct ContainerState : HandleObject {
    std::wstring folder;
    std::wstring path;  // empty while a new container has nothing stored yet
    ContainerHeader header;
    ParsedContainer parsed;
};

struct ObjectState : HandleObject {
    std::wstring containerPath;
    uint32_t index = 0;
    ObjectMeta meta;
};

struct FileListState : HandleObject {
    std::vector<std::wstring> paths;
    size_t next = 0;
};

// Handles are positive 32-bit numbers, never 0 or -1, never reused while
// open. Lookups hand out shared ownership, so a handle closed during a call
// does not pull its state away from under that call.
class HandleTable {
public:
    int32_t Add(std::shared_ptr<HandleObject> object);
    template <typename T>
    std::shared_ptr<T> Find(int32_t handle) const {
        const auto it = m_objects.find(handle);
        return it == m_objects.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
    }
    template <typename T>
    bool Remove(int32_t handle) {
        if (!Find<T>(handle)) return false;
        m_objects.erase(handle);
        return true;
    }

private:
    std::map<int32_t, std::shared_ptr<HandleObject>> m_objects;
    int32_t m_next = 1;
};

// The one lock every entry point holds while it works. It is re-entrant, so
// a cleaning hook may call back into the library.
class LibraryLock {
public:
    LibraryLock();
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;
};

HandleTable& Handles();

}  // namespace zq
