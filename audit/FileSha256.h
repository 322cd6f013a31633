#pragma once

#include <string>

// The SHA-256 of a file's content as 64 lowercase hex digits, from the
// platform's own CNG provider. False, with *hexOut emptied, when the file cannot
// be opened or read to its end, or the provider fails.
bool FileSha256(const std::wstring& path, std::wstring* hexOut);
