#include "framework/LongPaths.h"

#include <windows.h>

#include <vector>

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool IsExtendedOrDevicePath(const std::wstring& path) {
    return StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\") ||
           StartsWith(path, L"\\??\\");
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& fullPath) {
    if (IsExtendedOrDevicePath(fullPath)) return fullPath;
    const bool drivePath = fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\' &&
                           ((fullPath[0] >= L'A' && fullPath[0] <= L'Z') ||
                            (fullPath[0] >= L'a' && fullPath[0] <= L'z'));
    if (drivePath) return L"\\\\?\\" + fullPath;
    // A UNC path names at least a server: "\\" alone, or "\\\x", is none.
    const bool uncPath = fullPath.size() >= 3 && fullPath[0] == L'\\' && fullPath[1] == L'\\' &&
                         fullPath[2] != L'\\';
    if (uncPath) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return fullPath;
}

std::wstring FileCallPath(const std::wstring& path) {
    if (path.empty() || IsExtendedOrDevicePath(path)) return path;
    // Only a relative path grows when it is made full.
    const bool absolute = (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) ||
                          (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
    if (absolute && path.size() <= kPlainPathLimit) return path;
    const std::wstring full = FullPathName(path);
    return full.size() <= kPlainPathLimit ? path : ExtendedLengthPath(full);
}

std::wstring FullPathName(const std::wstring& path) {
    if (path.empty()) return path;
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                                buffer.data(), nullptr);
        if (length == 0) return path;
        // A length that fits is the text's own, without its terminator; one
        // that does not is the size the whole path needs.
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

size_t RootLength(const std::wstring& path) {
    size_t start = 0;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        start = 8;
    } else if (path.compare(0, 4, L"\\\\?\\") == 0) {
        return path.size() >= 7 ? 7 : path.size();
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        start = 2;
    } else {
        return path.size() >= 3 && path[1] == L':' ? 3 : 0;
    }
    const size_t server = path.find(L'\\', start);
    const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share + 1;
}
