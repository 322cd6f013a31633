#pragma once

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "tests/common/TestPaths.h"

// Folder of one of the loader's test libraries (all, noexport, gaps).
inline std::wstring DoubleDir(const std::wstring& name) {
    return TestBinDir() + L"\\doubles\\zebqt_" + name;
}

// Where a module was loaded from, lower-cased, with runs of backslashes
// collapsed, for comparing folders.
inline std::wstring ModuleFolderOf(HMODULE module) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = ::GetModuleFileNameW(module, buffer, MAX_PATH * 2);
    std::wstring path;
    for (DWORD i = 0; i < n; ++i) {
        if (buffer[i] == L'\\' && !path.empty() && path.back() == L'\\') continue;
        path += static_cast<wchar_t>(towlower(buffer[i]));
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

inline std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    return text;
}
