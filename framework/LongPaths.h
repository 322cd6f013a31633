#pragma once

#include <cstddef>
#include <string>

// Paths the program builds itself (a restore's targets, the files it reads
// back, the folders it looks at) can run past what Windows' file calls take in
// their plain form. Declaring the program long-path aware lifts that limit
// only on Windows 10 and later, and only where a policy enables it; the
// extended form of a full path, "\\?\C:\..." or "\\?\UNC\server\share\...",
// is taken at any length on every version. It is the form for the call alone:
// what the user sees and what the reports say keep the path as it was.

// The longest plain path every file call takes: a folder made by
// CreateDirectoryW must leave room for an 8.3 name below MAX_PATH.
constexpr size_t kPlainPathLimit = 247;

// The extended form of a full, absolute path: "\\?\" before a drive path,
// "\\?\UNC\" in place of the two backslashes that start a UNC path. A path
// already in the extended or device form ("\\?\", "\\.\", "\??\"), and
// anything that is not a full drive or UNC path, comes back unchanged. The
// extended form turns off the system's own clean-up of the text, so the path
// must be full already, as GetFullPathNameW makes it (backslashes only, no
// "." or ".." left).
std::wstring ExtendedLengthPath(const std::wstring& fullPath);

// What to hand a file call for the path: the path itself while its full form
// is no longer than kPlainPathLimit, else the extended form of its full path,
// made by GetFullPathNameW as the system would make it (relative parts,
// forward slashes, "." and "..", trailing dots and blanks). A path the system
// cannot make full comes back unchanged, and the call fails as it would have.
std::wstring FileCallPath(const std::wstring& path);

// The path as a whole absolute one, resolved against the current drive and
// folder as Windows resolves it, at any length; the text as given where
// Windows cannot resolve it.
std::wstring FullPathName(const std::wstring& path);

// How many characters of a full path name its root: "C:\", "\\server\share\"
// and their "\\?\" forms; 0 for a path without one.
size_t RootLength(const std::wstring& path);
