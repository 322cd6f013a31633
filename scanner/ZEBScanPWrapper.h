#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Handles.h"
#include "scanner/ZEBScanPEntryPoints.h"

// The binding to the scanner library ZEBScanP.dll. The loaded library is one
// state shared by the whole process: every instance works on the same module.
class CZEBScanPWrapper {
public:
    // What Cure answers when there is no cure function to ask: the item counts
    // as not cured, so a restore that asked for cleaning fails instead of
    // putting an uncleaned file back.
    static constexpr int32_t kNoCureFunction = 1;

    // The process-wide state. Every field is null while no library is loaded;
    // a missing scan entry point leaves its slot null.
    struct SharedState {
        CModule m_hModule;
#define ZEBSCANP_DECLARE_SLOT(name, slot, params) PFN_##name slot = nullptr;
        ZEBSCANP_SCAN_ENTRY_POINTS(ZEBSCANP_DECLARE_SLOT)
#undef ZEBSCANP_DECLARE_SLOT
    };

    // Loads the library once per process and names its two engines; true when
    // a library is loaded afterwards.
    bool Load(const std::wstring& engineName0, const std::wstring& engineName1);
    // Searches the directory (when not empty), the product's folder under the
    // common program files and then the system's search for the library; when
    // one is already loaded, binds and names the engines again on that one.
    bool LoadFrom(const std::wstring& engineName0, const std::wstring& engineName1,
                  const std::wstring& directory);
    void Unload();
    // Has the scanner cure the item the quarantine library handed to the
    // cleaning hook; 0 when it is clean afterwards, the library's answer
    // unchanged otherwise, kNoCureFunction when there is no one to ask.
    int32_t Cure(uintptr_t value);

    // Whether the process has a scanner library loaded.
    static bool IsLoaded();
    static const SharedState& State();
};
