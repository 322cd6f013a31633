#include "framework/SystemLibrary.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name) {
    const UINT length = ::GetSystemDirectoryW(nullptr, 0);
    if (length == 0) return nullptr;
    std::wstring path(length, L'\0');
    const UINT written = ::GetSystemDirectoryW(&path[0], length);
    if (written == 0 || written >= length) return nullptr;
    path.resize(written);
    return ::LoadLibraryW((path + L"\\" + name).c_str());
}
