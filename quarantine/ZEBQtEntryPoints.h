#pragma once

#include <windows.h>

#include <cstdint>

// The quarantine library's exported C functions (cdecl, undecorated names), in
// the order the binding keeps its slots. One list gives every slot its name,
// signature and the value its stub answers while the library or the entry point
// is missing, so that the three can never drift apart.
//
// Handles are 32-bit signed integers, -1 meaning "not open"; status results are
// 0 on success. Output buffers are followed by their size in characters.

// The cleaning hook the library calls during a restore: the library's value for
// the item and the caller's context; a non-zero answer means "not cured".
typedef int32_t(__cdecl* ZEBQtCleanHook)(uintptr_t value, uintptr_t context);

// The 52-byte record of a file object; its contents belong to the library.
struct ZEBQtFileInfo {
    uint8_t bytes[52];
};

// X(name, result type, stub result, parameter list)
#define ZEBQT_ENTRY_POINTS(X)                                                                              \
    X(ZEBQtOpenQuarantine, int32_t, -1, (const wchar_t* folder))                                          \
    X(ZEBQtCloseQuarantine, int32_t, 5, (int32_t hQuarantine))                                            \
    X(ZEBQtGetDefaultQuarantinePath, void, 0, (wchar_t* path, int32_t cchPath))                           \
    X(ZEBQtGetQuarantineProperties, int32_t, 5, (int32_t hQuarantine, wchar_t* path, int32_t cchPath))    \
    X(ZEBQtCreateNewContainer, int32_t, -1, (int32_t hQuarantine, const wchar_t* virus))                  \
    X(ZEBQtCloseContainer, int32_t, 5, (int32_t hContainer))                                              \
    X(ZEBQtStartEnumContainers, int32_t, 5, (int32_t hQuarantine))                                        \
    X(ZEBQtGetContainerCount, int32_t, 0, (int32_t hQuarantine))                                          \
    X(ZEBQtOpenContainer, int32_t, -1, (int32_t hQuarantine, int32_t index))                              \
    X(ZEBQtOpenContainerByName, int32_t, -1, (const wchar_t* containerPath))                              \
    X(ZEBQtGetContainerProperties, int32_t, 5,                                                            \
      (int32_t hContainer, wchar_t* filePath, int32_t cchFilePath, wchar_t* virus, int32_t cchVirus,      \
       SYSTEMTIME* time, uint32_t* info1, uint32_t* info2))                                               \
    X(ZEBQtStoreFileIntoContainer, int32_t, 5, (int32_t hContainer, const wchar_t* file, const wchar_t* virus)) \
    X(ZEBQtStoreRegistryValueIntoContainer, int32_t, 5,                                                   \
      (int32_t hContainer, const wchar_t* keyPath, const wchar_t* valueName, const wchar_t* virus))       \
    X(ZEBQtStoreHostsFileEntryIntoContainer, int32_t, 5,                                                  \
      (int32_t hContainer, const wchar_t* entry, const wchar_t* virus))                                   \
    X(ZEBQtOpenObject, int32_t, -1, (int32_t hContainer, int32_t index, int32_t* kind))                   \
    X(ZEBQtCloseObject, int32_t, 5, (int32_t hObject))                                                    \
    X(ZEBQtGetFileObjectProperties, int32_t, 5,                                                           \
      (int32_t hObject, wchar_t* origPath, int32_t cchOrigPath, wchar_t* virus, int32_t cchVirus,         \
       ZEBQtFileInfo* info))                                                                              \
    X(ZEBQtGetRegistryObjectProperties, int32_t, 5,                                                       \
      (int32_t hObject, wchar_t* keyPath, int32_t cchKeyPath, wchar_t* valueName, int32_t cchValueName,   \
       wchar_t* virus, int32_t cchVirus))                                                                 \
    X(ZEBQtGetHostsFileEntryObjectProperties, int32_t, 5,                                                 \
      (int32_t hObject, wchar_t* entry, int32_t cchEntry, wchar_t* virus, int32_t cchVirus))              \
    X(ZEBQtRestoreFileObject, int32_t, 5,                                                                 \
      (int32_t hObject, uint32_t value1, uint32_t value2, uint32_t value3, uint32_t value4,               \
       uint32_t value5, wchar_t* text1, int32_t cchText1, wchar_t* text2, int32_t cchText2))              \
    X(ZEBQtRestoreRegistryObject, int32_t, 5, (int32_t hObject))                                          \
    X(ZEBQtRestoreHostsFileEntryObject, int32_t, 5, (int32_t hObject))                                    \
    X(ZEBQtRestoreContainer, int32_t, 5,                                                                  \
      (int32_t hContainer, const wchar_t* destination, uint32_t flags, ZEBQtCleanHook hook,               \
       uintptr_t context, uint32_t reserved))                                                             \
    X(ZEBQtStartEnumQFilesEx, int32_t, 0, (const wchar_t* folder, const wchar_t* pattern))                \
    X(ZEBQtStartEnumQFiles, int32_t, 0, (const wchar_t* folder))                                          \
    X(ZEBQtMoveToQuarantineEx, int32_t, 5,                                                                \
      (const wchar_t* folder, const wchar_t* file, const wchar_t* virus, const SYSTEMTIME* time))         \
    X(ZEBQtMoveToQuarantine, int32_t, 5, (const wchar_t* folder, const wchar_t* file, const wchar_t* virus)) \
    X(ZEBQtExport, int32_t, 5, (int32_t hContainer, const wchar_t* targetFile))                           \
    X(ZEBQtGetNextQFile, int32_t, 1, (int32_t hEnum, wchar_t* path, int32_t cchPath))                     \
    X(ZEBQtGetQFileCount, int32_t, 0, (int32_t hEnum))                                                    \
    X(ZEBQtGetQFileInfo, int32_t, 5, (const wchar_t* quarantineFile, wchar_t* virus, int32_t cchVirus, SYSTEMTIME* time))

// Function-pointer types: PFN_ZEBQtOpenQuarantine and so on.
#define ZEBQT_DECLARE_PFN(name, ret, stub, params) typedef ret(__cdecl* PFN_##name) params;
ZEBQT_ENTRY_POINTS(ZEBQT_DECLARE_PFN)
#undef ZEBQT_DECLARE_PFN
