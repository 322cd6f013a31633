#pragma once

#include <string>

// Text rules for the paths the store writes to. Nothing here touches the
// file system.
namespace zq {

// The folder text with its trailing separators replaced by exactly one
// backslash; empty stays empty.
std::wstring WithOneTrailingBackslash(const std::wstring& folder);

// The last component of a stored path (after the last backslash or slash).
std::wstring LeafName(const std::wstring& path);

// A name that, appended to a folder, names a file directly in that folder and
// nothing else: no separators, no stream or drive colon, no wildcard or
// control characters, not "." or "..", not a device name.
bool IsSafeLeafName(const std::wstring& name);

// The absolute path in the form that bypasses the 260-character limit
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), with "." and ".." resolved.
// False for relative, drive-relative, device-namespace or otherwise unusable
// paths, and for extended paths that carry "." or ".." components.
bool ToExtendedPath(const std::wstring& path, std::wstring& extended);

// Everything before the last backslash; empty when there is none.
std::wstring ParentOf(const std::wstring& path);

}  // namespace zq
