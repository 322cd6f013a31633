#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The binding to the scanner library ZEBScanP.dll. The loaded library is one
// state shared by the whole process: every instance works on the same module.
class CZEBScanPWrapper {
public:
    // Loads the library once per process and names its two engines; true when
    // a library is loaded afterwards.
    bool Load(const std::wstring& engineName0, const std::wstring& engineName1);
    bool LoadFrom(const std::wstring& engineName0, const std::wstring& engineName1, const std::wstring& directory);
    void Unload();
    // Has the scanner cure the item the quarantine library handed to the
    // cleaning hook; 0 when it is clean afterwards.
    int32_t Cure(uintptr_t value);

    // Whether the process has a scanner library loaded.
    static bool IsLoaded();
};
