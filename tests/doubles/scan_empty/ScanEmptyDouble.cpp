// A scanner library that exports nothing the binding asks for.

#include <cstdint>

extern "C" __declspec(dllexport) int32_t __cdecl ScanEmptyDoubleVersion() {
    return 1;
}
