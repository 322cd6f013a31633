// Loads the quarantine binding from the directory given as the first argument
// ("twice" as the second loads it twice) and tells what it found through its
// exit code, so that its debugger output stays the binding's alone.
#include <windows.h>

#include <string>

#include "quarantine/ZEBQtWrapper.h"
#include "tests/loader/LoaderProbe.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring directory = argc > 1 ? argv[1] : L"";
    const bool twice = argc > 2 && std::wstring(argv[2]) == L"twice";
    CZEBQtWrapper wrapper;
    int result = 0;
    if (wrapper.Load(directory)) result |= kProbeLoaded;
    if (twice && wrapper.Load(directory)) result |= kProbeLoaded;
    if (wrapper.m_bEntryPointMissing) result |= kProbeEntryPointMissing;
    if (wrapper.ZEBQtExport(0, L"") == 5) result |= kProbeExportStubbed;
    return result;
}
