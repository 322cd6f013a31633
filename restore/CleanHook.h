#pragma once

#include <cstdint>

// The cleaning hook handed to the quarantine library for "Clean and restore...":
// the library calls it with its value for each item during the restore, and it
// answers the scanner's cure result (0 when the item is clean afterwards). The
// context is the dialog's scanner binding, whose state is process-wide, so the
// hook does not need it.
int32_t __cdecl CleanHook(uintptr_t value, uintptr_t context);
