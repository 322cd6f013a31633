#pragma once

#include <windows.h>

// A library of the system's own folder, loaded by its full path so that no
// other folder of the search can stand in for it, and kept for the process's
// life; null when it does not load. For system libraries whose loading costs
// more than a run that never calls them should pay.
HMODULE LoadSystemLibrary(const wchar_t* name);
