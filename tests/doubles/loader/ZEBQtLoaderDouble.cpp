// A quarantine library whose every function answers 77 (a value no stub
// answers), so a test can tell a bound slot from a stubbed one. The .def file
// of each build decides which names are exported.
#include "quarantine/ZEBQtEntryPoints.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {
template <typename R>
R Answer() {
    return static_cast<R>(77);
}
template <>
void Answer<void>() {}
}  // namespace

#define ZEBQT_DOUBLE_DEFINE(name, ret, stub, params) \
    extern "C" ret __cdecl name params {             \
        return Answer<ret>();                        \
    }
ZEBQT_ENTRY_POINTS(ZEBQT_DOUBLE_DEFINE)
