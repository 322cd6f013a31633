#pragma once

#include <windows.h>

#include <string>

#include "settings/Policies.h"

// The folders the program remembers from one run to the next: the quarantine
// folder it lists and the destination chosen last.

// The quarantine folder a start opens on, as the path box shows it: the one
// the organisation's policy sets, else the user's Path, else the product's
// QuarantineDef, with one trailing backslash taken off.
std::wstring StartingQuarantineFolder();
std::wstring StartingQuarantineFolder(const QuarantinePolicy& policy);

// Where the destination browser opens: the folder the organisation's policy
// offers, else the user's DestPath; read afresh each time.
std::wstring StartingDestinationFolder();

// A quarantine folder as the quarantine library opens it and file names are
// joined to it: ending in a backslash, which is added when missing (an empty
// text becomes a lone backslash).
std::wstring QuarantineFolderPath(std::wstring folder);

// Keeps the folder as the user's Path, where the next start begins; a Win32
// error code, 0 on success.
LONG StoreQuarantineFolder(const std::wstring& folder);

// Keeps the destination folder as DestPath, where the next destination
// browser opens; a Win32 error code, 0 on success.
LONG StoreDestinationFolder(const std::wstring& folder);
