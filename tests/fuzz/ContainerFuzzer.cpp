// libFuzzer entry for the stand-in library's container reader; built
// natively by tools/fuzz, not by the Windows build.

#include <cstddef>
#include <cstdint>

#include "standin/zebqt/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zq::ExerciseContainerReader(data, size);
    return 0;
}
