#pragma once

#include <windows.h>

#include <string>

// Loads the quarantine library as the program does: by plain name, with the
// executable's own folder as the library directory, and without a system
// error box for a missing medium. For the bare processes the whole-process
// figures are held against; null when it does not load.
inline HMODULE LoadQuarantineLibraryAsProgramDoes() {
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::wstring folder(32768, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(nullptr, &folder[0], static_cast<DWORD>(folder.size()));
    if (length == 0 || length >= folder.size()) return nullptr;
    folder.resize(length);
    const size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos) return nullptr;
    folder.resize(slash);
    ::SetDllDirectoryW(folder.c_str());
    return ::LoadLibraryW(L"ZEBQt.dll");
}
