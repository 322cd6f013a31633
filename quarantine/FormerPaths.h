#pragma once

#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"

// Where every file the container holds used to be: each file object's former
// path as the library reports it (a leading "\\?\" kept), in the library's
// order. Empty for a container that lists no file, or refuses to list.
std::vector<std::wstring> FormerPaths(CZEBQtWrapper::Container& container);
