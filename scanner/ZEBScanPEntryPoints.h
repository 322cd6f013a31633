#pragma once

#include <cstdint>

// The scanner library's exported C functions (cdecl, undecorated names). The
// binding, the stand-in library and the test doubles all take their
// signatures from here, so the three cannot drift apart.
//
// Scan results: 0 clean, 1 a signature that can be cured, 2 a signature that
// cannot be cured, -1 the file or folder cannot be read. Virus-name buffers are
// followed by their size in characters and are always NUL-terminated.

// The five scan entry points, in the order the binding looks them up.
// X(name, slot member, parameter list)
#define ZEBSCANP_SCAN_ENTRY_POINTS(X)                                                             \
    X(ZEBScanPScanFile, m_pfnScanFile, (const wchar_t* path))                                     \
    X(ZEBScanPScanFile2, m_pfnScanFile2, (const wchar_t* path, wchar_t* virus, int32_t cchVirus)) \
    X(ZEBScanPScanFileWithAction, m_pfnScanFileWithAction, (const wchar_t* path, int32_t action)) \
    X(ZEBScanPScanFileWithAction2, m_pfnScanFileWithAction2,                                      \
      (const wchar_t* path, int32_t action, wchar_t* virus, int32_t cchVirus))                    \
    X(ZEBScanPScanDirectory, m_pfnScanDirectory, (const wchar_t* folder, int32_t recursive))

#define ZEBSCANP_DECLARE_PFN(name, slot, params) typedef int32_t(__cdecl* PFN_##name) params;
ZEBSCANP_SCAN_ENTRY_POINTS(ZEBSCANP_DECLARE_PFN)
#undef ZEBSCANP_DECLARE_PFN

// Names engine 0 or 1. The name is only borrowed for the length of the call.
typedef int32_t(__cdecl* PFN_ZEBScanPSetEngineName)(int32_t engine, wchar_t* name);
// Cures one item in place; 0 when it is clean afterwards. The value is what the
// quarantine library hands to the cleaning hook: the address of the
// NUL-terminated UTF-16 path of a file. Mode 2 is "cure"; flags are 0.
typedef int32_t(__cdecl* PFN_ZEBScanPCureFile)(uintptr_t value, int32_t mode, int32_t flags);

// The actions of the ...WithAction entry points and the mode of the cure call.
enum : int32_t {
    ZEBSCANP_ACTION_REPORT = 0,
    ZEBSCANP_ACTION_CURE = 2,
};
