#pragma once

#include <string>

// The common program files folder (the product keeps its libraries below
// it), without a trailing backslash; empty when the system names none.
std::wstring CommonProgramFilesFolder();
