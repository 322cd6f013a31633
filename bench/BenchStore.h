#pragma once

#include <string>
#include <vector>

#include "bench/BenchSupport.h"

// Writes one container per row into the stand-in's store in folder, each
// holding one small file, and points each row at its container, so that the
// in-memory library can serve the same rows. The store is generated, so it is
// not flushed to the disk.
bool MakeStore(const std::wstring& folder, std::vector<BenchContainer>& rows);
