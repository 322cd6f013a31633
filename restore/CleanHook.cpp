#include "restore/CleanHook.h"

#include <type_traits>

#include "quarantine/ZEBQtEntryPoints.h"
#include "scanner/ZEBScanPWrapper.h"

namespace {
// Anything but 0 tells the library the item was not cured, so it writes nothing.
const int32_t kNotCured = 1;
}  // namespace

static_assert(std::is_same<decltype(&CleanHook), ZEBQtCleanHook>::value,
              "the hook must keep the signature the library calls");

int32_t __cdecl CleanHook(uintptr_t value, uintptr_t) {
    // Called from inside the library: nothing may unwind through its frames.
    // This catches only what the program itself throws. An exception thrown
    // inside the scanner library cannot reach it in the 32-bit program, whose
    // modules each unwind with their own tables: the library has to catch its
    // own.
    try {
        CZEBScanPWrapper scanner;
        return scanner.Cure(value);
    } catch (...) {
        return kNotCured;
    }
}
