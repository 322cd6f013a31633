// The in-memory quarantine library; MemoryQuarantine.h describes it.
#include "tests/doubles/memory/MemoryQuarantine.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "quarantine/ZEBQtEntryPoints.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

struct Entry {
    std::wstring file;
    std::wstring virus;
    std::wstring origPath;
    bool hasObject = false;
    SYSTEMTIME time = {};
};

std::vector<Entry> g_entries;
std::wstring g_folder;
int32_t g_openHandles = 0;

// Handles name what they stand for: the quarantine, a container by index, or
// the file object of a container by index.
const int32_t kQuarantineHandle = 1;
const int32_t kContainerBase = 0x01000000;
const int32_t kObjectBase = 0x02000000;
const int32_t kIndexMask = 0x00FFFFFF;

const Entry* ContainerOf(int32_t handle, int32_t base) {
    if ((handle & ~kIndexMask) != base) return nullptr;
    const size_t index = static_cast<size_t>(handle & kIndexMask);
    return index < g_entries.size() ? &g_entries[index] : nullptr;
}

void CopyText(const std::wstring& text, wchar_t* buffer, int32_t cchBuffer) {
    if (buffer == nullptr || cchBuffer <= 0) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(cchBuffer - 1));
    std::memcpy(buffer, text.data(), n * sizeof(wchar_t));
    buffer[n] = L'\0';
}

}  // namespace

#define MEMORY_EXPORT extern "C" __declspec(dllexport)

MEMORY_EXPORT void __cdecl MemoryClear() {
    g_entries.clear();
}

MEMORY_EXPORT void __cdecl MemoryAddContainer(const wchar_t* file, const wchar_t* virus,
                                              const wchar_t* origPath, const SYSTEMTIME* time) {
    Entry entry;
    entry.file = file ? file : L"";
    entry.virus = virus ? virus : L"";
    entry.hasObject = origPath != nullptr;
    entry.origPath = origPath ? origPath : L"";
    if (time) entry.time = *time;
    g_entries.push_back(entry);
}

MEMORY_EXPORT int32_t __cdecl MemoryOpenHandles() {
    return g_openHandles;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtOpenQuarantine(const wchar_t* folder) {
    g_folder = folder ? folder : L"";
    ++g_openHandles;
    return kQuarantineHandle;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtCloseQuarantine(int32_t hQuarantine) {
    if (hQuarantine != kQuarantineHandle) return 5;
    --g_openHandles;
    return 0;
}

MEMORY_EXPORT void __cdecl ZEBQtGetDefaultQuarantinePath(wchar_t* path, int32_t cchPath) {
    CopyText(L"", path, cchPath);
}

MEMORY_EXPORT int32_t __cdecl ZEBQtGetQuarantineProperties(int32_t hQuarantine, wchar_t* path,
                                                           int32_t cchPath) {
    if (hQuarantine != kQuarantineHandle) return 5;
    CopyText(g_folder, path, cchPath);
    return 0;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtCreateNewContainer(int32_t, const wchar_t*) {
    return -1;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtCloseContainer(int32_t hContainer) {
    if (ContainerOf(hContainer, kContainerBase) == nullptr) return 5;
    --g_openHandles;
    return 0;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtStartEnumContainers(int32_t hQuarantine) {
    return hQuarantine == kQuarantineHandle ? 0 : 5;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtGetContainerCount(int32_t hQuarantine) {
    return hQuarantine == kQuarantineHandle ? static_cast<int32_t>(g_entries.size()) : 0;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtOpenContainer(int32_t hQuarantine, int32_t index) {
    if (hQuarantine != kQuarantineHandle || index < 0 ||
        static_cast<size_t>(index) >= g_entries.size())
        return -1;
    ++g_openHandles;
    return kContainerBase + index;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtOpenContainerByName(const wchar_t*) {
    return -1;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtGetContainerProperties(int32_t hContainer, wchar_t* filePath,
                                                          int32_t cchFilePath, wchar_t* virus,
                                                          int32_t cchVirus, SYSTEMTIME* time,
                                                          uint32_t* info1, uint32_t* info2) {
    const Entry* entry = ContainerOf(hContainer, kContainerBase);
    if (entry == nullptr) return 5;
    CopyText(entry->file, filePath, cchFilePath);
    CopyText(entry->virus, virus, cchVirus);
    if (time) *time = entry->time;
    if (info1) *info1 = 0;
    if (info2) *info2 = 0;
    return 0;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtStoreFileIntoContainer(int32_t, const wchar_t*, const wchar_t*) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtStoreRegistryValueIntoContainer(int32_t, const wchar_t*,
                                                                   const wchar_t*, const wchar_t*) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtStoreHostsFileEntryIntoContainer(int32_t, const wchar_t*,
                                                                    const wchar_t*) {
    return 5;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtOpenObject(int32_t hContainer, int32_t index, int32_t* kind) {
    const Entry* entry = ContainerOf(hContainer, kContainerBase);
    if (entry == nullptr || !entry->hasObject || index != 0) return -1;
    if (kind) *kind = 0;
    ++g_openHandles;
    return kObjectBase + (hContainer & kIndexMask);
}

MEMORY_EXPORT int32_t __cdecl ZEBQtCloseObject(int32_t hObject) {
    if (ContainerOf(hObject, kObjectBase) == nullptr) return 5;
    --g_openHandles;
    return 0;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtGetFileObjectProperties(int32_t hObject, wchar_t* origPath,
                                                           int32_t cchOrigPath, wchar_t* virus,
                                                           int32_t cchVirus, ZEBQtFileInfo* info) {
    const Entry* entry = ContainerOf(hObject, kObjectBase);
    if (entry == nullptr) return 5;
    CopyText(entry->origPath, origPath, cchOrigPath);
    CopyText(entry->virus, virus, cchVirus);
    if (info) std::memset(info, 0, sizeof *info);
    return 0;
}

MEMORY_EXPORT int32_t __cdecl ZEBQtGetRegistryObjectProperties(int32_t, wchar_t*, int32_t, wchar_t*,
                                                               int32_t, wchar_t*, int32_t) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtGetHostsFileEntryObjectProperties(int32_t, wchar_t*, int32_t,
                                                                     wchar_t*, int32_t) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtRestoreFileObject(int32_t, uint32_t, uint32_t, uint32_t,
                                                     uint32_t, uint32_t, wchar_t*, int32_t,
                                                     wchar_t*, int32_t) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtRestoreRegistryObject(int32_t) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtRestoreHostsFileEntryObject(int32_t) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtRestoreContainer(int32_t, const wchar_t*, uint32_t,
                                                    ZEBQtCleanHook, uintptr_t, uint32_t) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtStartEnumQFilesEx(const wchar_t*, const wchar_t*) {
    return 0;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtStartEnumQFiles(const wchar_t*) {
    return 0;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtMoveToQuarantineEx(const wchar_t*, const wchar_t*,
                                                      const wchar_t*, const SYSTEMTIME*) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtMoveToQuarantine(const wchar_t*, const wchar_t*,
                                                    const wchar_t*) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtExport(int32_t, const wchar_t*) {
    return 5;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtGetNextQFile(int32_t, wchar_t*, int32_t) {
    return 1;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtGetQFileCount(int32_t) {
    return 0;
}
MEMORY_EXPORT int32_t __cdecl ZEBQtGetQFileInfo(const wchar_t*, wchar_t*, int32_t, SYSTEMTIME*) {
    return 5;
}

// Every entry point keeps the signature the binding calls it with.
#define MEMORY_CHECK_SIGNATURE(name, ret, stub, params) \
    static_assert(std::is_same<decltype(&name), PFN_##name>::value, #name);
ZEBQT_ENTRY_POINTS(MEMORY_CHECK_SIGNATURE)
#undef MEMORY_CHECK_SIGNATURE
