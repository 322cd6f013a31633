#pragma once

#include <cstdint>
#include <string>

// The size of the file at the path in whole KiB, as its directory entry gives
// it; 0 when no such file is found. Sizes beyond what 32 bits of KiB can say
// come back as the largest value, so they always count as too large.
uint32_t GetFileSizeKB(const std::wstring& path);

// Whole KiB of a size given as the two halves a directory entry holds.
uint32_t SizeInKB(uint32_t sizeHigh, uint32_t sizeLow);
