#pragma once

#include <cstdint>

// A call-recording scanner library for tests, built twice from one source:
// bin/doubles/scan_record/ZEBScanP.dll and bin/doubles/scan_record_s/ZEBScanPS.dll.
// It exports every entry point the binding looks for, plus the three below,
// which a test finds with GetProcAddress on the loaded module.
//
// Recorded calls, in order, without separators:
//   engine(0,Engine A)           ZEBScanPSetEngineName; a null name is <null>
//   cure(fedcba98,2,0)           ZEBScanPCureFile: value in hex, mode, flags
// After recording a name the double overwrites the buffer it was given, so a
// binding that hands over its caller's own text would see that text change.

// The calls so far; valid until the next call into the double.
typedef const wchar_t*(__cdecl* PFN_ScanDoubleLog)();
// What ZEBScanPCureFile answers from now on (0 at load); with
// kScanDoubleCureThrows it throws a C++ exception out of the library instead,
// as a careless library might.
typedef void(__cdecl* PFN_ScanDoubleSetCureAnswer)(int32_t answer);
const int32_t kScanDoubleCureThrows = 0x7fff0001;
