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
    try {
        CZEBScanPWrapper scanner;
        return scanner.Cure(value);
    } catch (...) {
        return kNotCured;
    }
}
