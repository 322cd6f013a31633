#include "standin/zebqt/StoreFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/Handles.h"
#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/PathRules.h"

namespace zq {

const wchar_t kContainerExtension[] = L".qtc";

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ListContainerFiles(const std::wstring& folder, const std::wstring& pattern,
                        std::vector<std::wstring>& names) {
    names.clear();
    const std::wstring base = WithOneTrailingBackslash(folder);
    if (base.empty() || !IsFolder(base)) return false;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((base + (pattern.empty() ? L"*" : pattern)).c_str(), &data));
    if (!find)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_NO_MORE_FILES;
    const size_t extension = std::char_traits<wchar_t>::length(kContainerExtension);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring name = data.cFileName;
        // Half-written containers carry another extension and are never listed.
        if (name.size() <= extension ||
            ::CompareStringOrdinal(name.c_str() + name.size() - extension, -1, kContainerExtension,
                                   -1, TRUE) != CSTR_EQUAL)
            continue;
        names.push_back(name);
    } while (::FindNextFileW(find.Get(), &data));
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    return true;
}

ParsedContainer ReadContainerFile(const std::wstring& path) {
    FileSource source(path);
    if (!source.IsOpen()) return ParsedContainer();
    return ParseContainer(source);
}

std::wstring DefaultQuarantineFolder() {
    wchar_t data[MAX_PATH] = {};
    if (FAILED(
            ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, data)))
        return std::wstring();
    return WithOneTrailingBackslash(std::wstring(data) + L"\\HALVREN\\Quarantine");
}

}  // namespace zq
