#pragma once

#include <string>

// The quarantine library names the quarantine file; a name that leads out of
// the quarantine folder ("../x", "C:x") or into a file's stream must never
// steer a delete. True for a plain file name only.
bool NamesFileInFolder(const std::wstring& name);

// Deletes the quarantine file of that name from the folder (which ends with a
// backslash), a plain file delete that leaves the library out. False when the
// name fails the guard above or the file would not go.
bool DeleteQuarantineFile(const std::wstring& folder, const std::wstring& name);
