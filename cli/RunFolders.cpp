#include "cli/RunFolders.h"

#include "framework/Handles.h"

namespace {

// Another run may make the same folder at the same moment; a folder that is
// there when asked for is all that is wanted.
DWORD CreateFolder(const std::wstring& folder, std::vector<std::wstring>* pCreated) {
    if (::CreateDirectoryW(FileCallPath(folder).c_str(), nullptr)) {
        pCreated->push_back(folder);
        return 0;
    }
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(FileCallPath(folder).c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
    return error;
}

DWORD MakeFolder(const std::wstring& folder, size_t root, std::vector<std::wstring>* pCreated) {
    const DWORD attributes = ::GetFileAttributesW(FileCallPath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
    const DWORD error = CreateFolder(folder, pCreated);
    const size_t slash = folder.find_last_of(L'\\');
    if (error != ERROR_PATH_NOT_FOUND || slash == std::wstring::npos || slash < root) return error;
    const DWORD parent = MakeFolder(folder.substr(0, slash), root, pCreated);
    return parent != 0 ? parent : CreateFolder(folder, pCreated);
}

}  // namespace

std::wstring SystemErrorText(DWORD error) {
    wchar_t buffer[1024];
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]), nullptr);
    std::wstring text(buffer, length < sizeof buffer / sizeof buffer[0] ? length : 0);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? L"error " + std::to_wstring(error) : text;
}

DWORD PrepareDestination(const std::wstring& folder, std::vector<std::wstring>* pCreated) {
    const size_t root = RootLength(folder);
    std::wstring path = folder;
    while (path.size() > root && path.back() == L'\\') path.pop_back();
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    if (path.size() > root) {
        const DWORD error = MakeFolder(path, root, pCreated);
        if (error != 0) return error;
    }
    // A folder that exists may still refuse files: a read-only volume, or a
    // folder the account may not write into.
    for (unsigned attempt = 0;; ++attempt) {
        const std::wstring probe = path + (path.back() == L'\\' ? L"" : L"\\") + L"~zqw-" +
                                   std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(attempt) + L".tmp";
        const CFileHandle file(
            ::CreateFileW(FileCallPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file) return 0;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 16) return error;
    }
}

void RemoveEmptyFolders(const std::vector<std::wstring>& created) {
    for (auto folder = created.rbegin(); folder != created.rend(); ++folder)
        ::RemoveDirectoryW(FileCallPath(*folder).c_str());
}
