#pragma once

#include <cstddef>
#include <cstdint>

namespace zq {

// Runs the container reader over one byte buffer the way a listing and a
// restore would: the structure, every text, and every payload decoded and
// checked. Returns how many payloads passed their checksum.
size_t ExerciseContainerReader(const uint8_t* data, size_t size);

}  // namespace zq
