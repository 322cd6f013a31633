#include "tests/common/TestPaths.h"

#include <windows.h>

#include <vector>

#include "framework/Handles.h"

std::wstring TestBinDir() {
    std::vector<wchar_t> path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring text(path.data(), n);
    const size_t slash = text.find_last_of(L'\\');
    return slash == std::wstring::npos ? text : text.substr(0, slash);
}

std::wstring MakeScratchDir(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring dir = std::wstring(temp, n) + L"qtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
    RemoveTree(dir);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring MissingDrive() {
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter > L'D'; --letter)
        if ((drives & (1u << (letter - L'A'))) == 0) return std::wstring(1, letter) + L":";
    return std::wstring();
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(path.c_str());
}

std::string ReadFileBytes(const std::wstring& path) {
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
    if (!find) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}
