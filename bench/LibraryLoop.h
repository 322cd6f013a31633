#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The quarantine library's own work, as a bare driver would call it: the
// floors the restore benchmarks hold the program against, in the benchmark's
// process and in a process of their own (bench_restore_loop).

// Opens the quarantine in source through the loaded library, restores every
// container into destination and closes the quarantine; nothing else: no
// objects listed, no texts read, no audit. The containers restored, or -1
// when an entry point is missing or the quarantine does not open. *pTried,
// when given, receives how many containers were opened.
int RestoreEveryContainer(HMODULE library, const std::wstring& source,
                          const std::wstring& destination, int* pTried = nullptr);

// Reads each named file of the folder back and hashes it with the platform's
// CNG SHA-256, in reads as large as the program's; false when any file or
// call fails.
bool HashFiles(const std::wstring& folder, const std::vector<std::wstring>& names);

// The names of the files (not folders) directly in the folder.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder);
