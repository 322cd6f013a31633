#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "quarantine/ZEBQtEntryPoints.h"

// The stand-in library as the program binds it: loaded from bin/standin by
// path, every entry point looked up by name.
struct ZEBQtLibrary {
    CModule module;
#define ZEBQT_TEST_SLOT(name, ret, stub, params) PFN_##name name = nullptr;
    ZEBQT_ENTRY_POINTS(ZEBQT_TEST_SLOT)
#undef ZEBQT_TEST_SLOT
    bool Load();
};

class LibraryTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Quarantines the file through the library's own calls; the original goes.
    void Quarantine(const std::wstring& file, const std::wstring& virus);
    // Full paths of the container files in the quarantine folder.
    std::vector<std::wstring> Containers();
    // Restores a container file by name through the library.
    int32_t RestoreFile(const std::wstring& containerPath, const std::wstring& destination,
                        ZEBQtCleanHook hook = nullptr, uintptr_t context = 0);
    // Names of everything in a folder (not recursive).
    static std::vector<std::wstring> FolderEntries(const std::wstring& folder);

    ZEBQtLibrary lib;
    std::wstring root;     // scratch folder of the test
    std::wstring qFolder;  // root\q
};

std::string PatternBytes(size_t size, unsigned seed);
