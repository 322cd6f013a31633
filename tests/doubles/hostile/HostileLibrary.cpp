// The misbehaving quarantine library; HostileLibrary.h describes what it
// answers.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <type_traits>

#include "quarantine/ZEBQtEntryPoints.h"
#include "tests/doubles/hostile/HostileLibrary.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

HostileSettings g_settings;
HostileCounts g_counts = {};

// Handles handed out and not yet closed, by kind, with how often each was
// handed out (a handle handed out twice must be closed twice).
std::map<int32_t, int32_t> g_openQuarantines;
std::map<int32_t, int32_t> g_openContainers;
std::map<int32_t, int32_t> g_openObjects;
int32_t g_nextQuarantine = 0x30000000;

// Object handles carry their container and their index; indexes past the
// field's range share the last value, which never names a file object.
const int32_t kObjectIndexBits = 13;
const int32_t kObjectIndexMask = (1 << kObjectIndexBits) - 1;
const int32_t kObjectContainerMask = 0x1FFFF;

int32_t ObjectHandle(int32_t container, int32_t index) {
    return 0x40000000 | ((container & kObjectContainerMask) << kObjectIndexBits) |
           std::min(index, kObjectIndexMask);
}

int32_t ObjectContainer(int32_t handle) {
    return (handle >> kObjectIndexBits) & kObjectContainerMask;
}

int32_t Open(std::map<int32_t, int32_t>& open, int32_t handle, int32_t& opened) {
    ++open[handle];
    ++opened;
    ++g_counts.outstanding;
    return handle;
}

int32_t Close(std::map<int32_t, int32_t>& open, int32_t handle) {
    const auto it = open.find(handle);
    if (it == open.end()) {
        ++g_counts.strayCloses;
        return 0;
    }
    if (--it->second == 0) open.erase(it);
    --g_counts.outstanding;
    return 0;
}

bool IsContainerIndex(int32_t index) {
    if (index < 0) return false;
    return g_settings.containerCount == kHostileEndless || index < g_settings.containerCount;
}

int32_t RestoreCode(int32_t container) {
    if (g_settings.restoreCodeCount <= 0) return 0;
    const int32_t count = std::min(g_settings.restoreCodeCount, 8);
    return g_settings.restoreCodes[(container < 0 ? 0 : container) % count];
}

// Writes the text as the settings say: filling the buffer to its last
// character without a NUL, or cut to fit with one.
void Write(wchar_t* buffer, int32_t cch, const std::wstring& text) {
    if (buffer == nullptr || cch <= 0) return;
    const size_t capacity = static_cast<size_t>(cch);
    if (g_settings.fillBuffers) {
        const std::wstring full = HostilePadded(text, capacity);
        std::memcpy(buffer, full.data(), capacity * sizeof(wchar_t));
        return;
    }
    const size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), length * sizeof(wchar_t));
    buffer[length] = L'\0';
}

size_t Capacity(int32_t cch) {
    return cch > 0 ? static_cast<size_t>(cch) : 0;
}

// Writes a path text made for its length (HostilePathLength) as the settings
// say: that long without a NUL, the last character of the buffer a NUL where
// the settings cut and terminate it; short with a NUL without fillBuffers.
template <typename MakeText>
void WritePath(wchar_t* buffer, int32_t cch, MakeText makeText) {
    if (buffer == nullptr || cch <= 0) return;
    if (!g_settings.fillBuffers) return Write(buffer, cch, makeText(Capacity(cch)));
    const size_t length = HostilePathLength(g_settings, Capacity(cch));
    const std::wstring text = HostilePadded(makeText(length), length).substr(0, length);
    std::memcpy(buffer, text.data(), length * sizeof(wchar_t));
    if (g_settings.pathChars == kHostileWholeBufferTerminated) buffer[length] = L'\0';
}

}  // namespace

#define HOSTILE_EXPORT extern "C" __declspec(dllexport)

HOSTILE_EXPORT void __cdecl HostileConfigure(const HostileSettings* settings) {
    g_settings = settings != nullptr ? *settings : HostileSettings();
    g_counts = HostileCounts();
    g_openQuarantines.clear();
    g_openContainers.clear();
    g_openObjects.clear();
}

HOSTILE_EXPORT void __cdecl HostileReadCounts(HostileCounts* counts) {
    if (counts != nullptr) *counts = g_counts;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtOpenQuarantine(const wchar_t* folder) {
    if (folder == nullptr) return -1;
    const int32_t handle = g_settings.duplicateHandles ? INT32_MIN : g_nextQuarantine++;
    return Open(g_openQuarantines, handle, g_counts.quarantinesOpened);
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtCloseQuarantine(int32_t hQuarantine) {
    return Close(g_openQuarantines, hQuarantine);
}

HOSTILE_EXPORT void __cdecl ZEBQtGetDefaultQuarantinePath(wchar_t* path, int32_t cchPath) {
    Write(path, cchPath, HostileQuarantinePath(g_settings, Capacity(cchPath)));
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetQuarantineProperties(int32_t hQuarantine, wchar_t* path,
                                                            int32_t cchPath) {
    WritePath(path, cchPath, [](size_t n) { return HostileQuarantinePath(g_settings, n); });
    return g_settings.propertiesResult;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtCreateNewContainer(int32_t hQuarantine, const wchar_t* virus) {
    return -1;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtCloseContainer(int32_t hContainer) {
    return Close(g_openContainers, hContainer);
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtStartEnumContainers(int32_t hQuarantine) {
    return g_settings.startEnumResult;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetContainerCount(int32_t hQuarantine) {
    // A count that has nothing to do with the enumeration.
    return INT32_MAX;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtOpenContainer(int32_t hQuarantine, int32_t index) {
    ++g_counts.openContainerCalls;
    if (index == g_settings.containerGapAt || !IsContainerIndex(index)) return -1;
    if (index >= kHostileRunawayLimit) {
        ++g_counts.runawayStops;
        return -1;
    }
    const int32_t handle =
        HostileContainerHandle(g_settings.duplicateHandles && index == 1 ? 0 : index);
    return Open(g_openContainers, handle, g_counts.containersOpened);
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtOpenContainerByName(const wchar_t* containerPath) {
    if (containerPath == nullptr) return -1;
    const int32_t index = HostileIndexOf(containerPath);
    if (!IsContainerIndex(index)) return -1;
    return Open(g_openContainers, HostileContainerHandle(index), g_counts.containersOpened);
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetContainerProperties(int32_t hContainer, wchar_t* filePath,
                                                           int32_t cchFilePath, wchar_t* virus,
                                                           int32_t cchVirus, SYSTEMTIME* time,
                                                           uint32_t* info1, uint32_t* info2) {
    const int32_t index = std::max(HostileContainerIndex(hContainer), 0);
    WritePath(filePath, cchFilePath,
              [index](size_t n) { return HostileFilePath(index, g_settings, n); });
    Write(virus, cchVirus, HostileVirus(index, g_settings, Capacity(cchVirus)));
    if (time != nullptr) *time = HostileTime(index);
    if (info1 != nullptr) *info1 = UINT32_MAX;
    if (info2 != nullptr) *info2 = UINT32_MAX;
    return g_settings.propertiesResult;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtStoreFileIntoContainer(int32_t hContainer, const wchar_t* file,
                                                           const wchar_t* virus) {
    return -4;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtStoreRegistryValueIntoContainer(int32_t hContainer,
                                                                    const wchar_t* keyPath,
                                                                    const wchar_t* valueName,
                                                                    const wchar_t* virus) {
    return -4;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtStoreHostsFileEntryIntoContainer(int32_t hContainer,
                                                                     const wchar_t* entry,
                                                                     const wchar_t* virus) {
    return -4;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtOpenObject(int32_t hContainer, int32_t index, int32_t* kind) {
    ++g_counts.openObjectCalls;
    const int32_t container = HostileContainerIndex(hContainer);
    if (container < 0 || index < 0 || index == g_settings.objectGapAt) return -1;
    if (g_settings.objectCount != kHostileEndless && index >= g_settings.objectCount) return -1;
    if (index >= kHostileRunawayLimit) {
        ++g_counts.runawayStops;
        return -1;
    }
    if (kind != nullptr) *kind = index == g_settings.fileObjectAt ? 0 : HostileKind(index);
    const int32_t handle =
        ObjectHandle(container, g_settings.duplicateHandles && index == 1 ? 0 : index);
    return Open(g_openObjects, handle, g_counts.objectsOpened);
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtCloseObject(int32_t hObject) {
    return Close(g_openObjects, hObject);
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetFileObjectProperties(int32_t hObject, wchar_t* origPath,
                                                            int32_t cchOrigPath, wchar_t* virus,
                                                            int32_t cchVirus, ZEBQtFileInfo* info) {
    const int32_t index = ObjectContainer(hObject);
    WritePath(origPath, cchOrigPath,
              [index](size_t n) { return HostileOrigPath(index, g_settings, n); });
    Write(virus, cchVirus, HostileVirus(index, g_settings, Capacity(cchVirus)));
    if (info != nullptr) std::memset(info, 0xFF, sizeof(*info));
    return g_settings.propertiesResult;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetRegistryObjectProperties(int32_t hObject, wchar_t* keyPath,
                                                                int32_t cchKeyPath,
                                                                wchar_t* valueName,
                                                                int32_t cchValueName,
                                                                wchar_t* virus, int32_t cchVirus) {
    Write(keyPath, cchKeyPath, std::wstring());
    Write(valueName, cchValueName, std::wstring());
    Write(virus, cchVirus, std::wstring());
    return g_settings.propertiesResult;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetHostsFileEntryObjectProperties(
    int32_t hObject, wchar_t* entry, int32_t cchEntry, wchar_t* virus, int32_t cchVirus) {
    Write(entry, cchEntry, std::wstring());
    Write(virus, cchVirus, std::wstring());
    return g_settings.propertiesResult;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtRestoreFileObject(int32_t hObject, uint32_t value1,
                                                      uint32_t value2, uint32_t value3,
                                                      uint32_t value4, uint32_t value5,
                                                      wchar_t* text1, int32_t cchText1,
                                                      wchar_t* text2, int32_t cchText2) {
    WritePath(text1, cchText1, [](size_t n) { return HostileRestoreText(g_settings, n); });
    WritePath(text2, cchText2, [](size_t n) { return HostileRestoreText(g_settings, n); });
    return RestoreCode(ObjectContainer(hObject));
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtRestoreRegistryObject(int32_t hObject) {
    return 7;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtRestoreHostsFileEntryObject(int32_t hObject) {
    return 7;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtRestoreContainer(int32_t hContainer, const wchar_t* destination,
                                                     uint32_t flags, ZEBQtCleanHook hook,
                                                     uintptr_t context, uint32_t reserved) {
    ++g_counts.restoreCalls;
    if (hook != nullptr) {
        // Values the library's own items would never have.
        hook(UINTPTR_MAX, context);
        hook(0, context);
        g_counts.hookCalls += 2;
    }
    return RestoreCode(HostileContainerIndex(hContainer));
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtStartEnumQFilesEx(const wchar_t* folder,
                                                      const wchar_t* pattern) {
    return INT32_MIN;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtStartEnumQFiles(const wchar_t* folder) {
    return INT32_MIN;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtMoveToQuarantineEx(const wchar_t* folder, const wchar_t* file,
                                                       const wchar_t* virus,
                                                       const SYSTEMTIME* time) {
    return -4;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtMoveToQuarantine(const wchar_t* folder, const wchar_t* file,
                                                     const wchar_t* virus) {
    return -4;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtExport(int32_t hContainer, const wchar_t* targetFile) {
    return -4;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetNextQFile(int32_t hEnum, wchar_t* path, int32_t cchPath) {
    Write(path, cchPath, HostileQuarantinePath(g_settings, Capacity(cchPath)));
    return 0;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetQFileCount(int32_t hEnum) {
    return -1;
}

HOSTILE_EXPORT int32_t __cdecl ZEBQtGetQFileInfo(const wchar_t* quarantineFile, wchar_t* virus,
                                                 int32_t cchVirus, SYSTEMTIME* time) {
    Write(virus, cchVirus, HostileVirus(0, g_settings, Capacity(cchVirus)));
    if (time != nullptr) *time = HostileTime(0);
    return 7;
}

// Every entry point must keep the signature the binding calls it with.
#define HOSTILE_CHECK_SIGNATURE(name, ret, stub, params)              \
    static_assert(std::is_same<decltype(&::name), PFN_##name>::value, \
                  #name " has the wrong signature");
ZEBQT_ENTRY_POINTS(HOSTILE_CHECK_SIGNATURE)
#undef HOSTILE_CHECK_SIGNATURE
