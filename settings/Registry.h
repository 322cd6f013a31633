#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Every registry access of the program goes through these.

// The value's type and bytes, as many as the registry returned; false when the
// key or the value is missing or cannot be read.
bool ReadRegValue(HKEY hRoot, const std::wstring& subKey, const std::wstring& valueName,
                  DWORD* pType, std::vector<BYTE>* pData);
// A string value's bytes as text, up to the first NUL or the end of the data,
// whichever comes first: a value need not end in a NUL.
std::wstring RegValueText(const std::vector<BYTE>& data);

// The value's text, or the default on any failure.
std::wstring ReadRegString(HKEY hRoot, const std::wstring& subKey, const std::wstring& valueName,
                           const std::wstring& defaultValue);
// Stores the text (REG_EXPAND_SZ when expandable, else REG_SZ), creating the
// key when needed; a Win32 error code of the key's creation or of the write,
// 0 on success.
LONG WriteRegString(HKEY hRoot, const std::wstring& subKey, const std::wstring& valueName,
                    const std::wstring& value, BOOL expandable);

// Where the program keeps its settings.
extern const wchar_t kSettingsKey[];  // per user
extern const wchar_t kProductKey[];   // per machine
extern const wchar_t kValuePath[];
extern const wchar_t kValueDestPath[];
extern const wchar_t kValueQuarantineDef[];
