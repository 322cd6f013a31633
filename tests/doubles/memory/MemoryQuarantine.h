#pragma once

// An in-memory quarantine library for tests and benchmarks:
// bin/doubles/memory/ZEBQt.dll. It serves one quarantine, whatever folder is
// opened, holding the containers the caller added, each with one file object
// (or none), and answers every call in constant time, so that it costs the
// listing next to nothing.

#include <windows.h>

#include <cstdint>
#include <string>

// Forgets every container.
typedef void(__cdecl* PFN_MemoryClear)();
// Adds a container: its quarantine file path, virus name and time stamp, and
// the former path of its one file object (null: the container holds none).
typedef void(__cdecl* PFN_MemoryAddContainer)(const wchar_t* file, const wchar_t* virus,
                                              const wchar_t* origPath, const SYSTEMTIME* time);
// How many library handles are open now.
typedef int32_t(__cdecl* PFN_MemoryOpenHandles)();

// The folder holding the double's ZEBQt.dll, relative to the test binaries.
inline std::wstring MemoryQuarantineDirectory(const std::wstring& binDir) {
    return binDir + L"\\doubles\\memory";
}
