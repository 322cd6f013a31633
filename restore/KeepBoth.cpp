#include "restore/KeepBoth.h"

#include "framework/Handles.h"
#include "framework/LongPaths.h"
#include "quarantine/ItemText.h"
#include "restore/FilesInTheWay.h"

namespace {

// More numbered names than any folder holds of one name.
const unsigned kMaxNumber = 100000;

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A folder of our own in folder, hidden, that no other restore uses.
std::wstring MakeStagingFolder(const std::wstring& folder) {
    const std::wstring base = folder + L"\\~quarantine-restore-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64());
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::wstring staging = base + L"-" + std::to_wstring(attempt);
        if (::CreateDirectoryW(FileCallPath(staging).c_str(), nullptr)) {
            ::SetFileAttributesW(FileCallPath(staging).c_str(), FILE_ATTRIBUTE_HIDDEN);
            return staging;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::wstring();
}

// The staging folder with whatever the library left in it.
void RemoveStagingFolder(const std::wstring& staging) {
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW(FileCallPath(staging + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = FileCallPath(staging + L"\\" + name);
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
    ::RemoveDirectoryW(FileCallPath(staging).c_str());
}

}  // namespace

std::wstring NumberedName(const std::wstring& fileName, unsigned number) {
    const size_t dot = fileName.rfind(L'.');
    const std::wstring suffix = L" (" + std::to_wstring(number) + L")";
    if (dot == std::wstring::npos || dot == 0) return fileName + suffix;
    return fileName.substr(0, dot) + suffix + fileName.substr(dot);
}

std::wstring MoveToFreeName(const std::wstring& from, const std::wstring& target, DWORD* pError) {
    *pError = ERROR_SUCCESS;
    const std::wstring folder = FolderOf(target);
    const std::wstring name = target.substr(folder.size() + (folder.empty() ? 0 : 1));
    for (unsigned number = 1; number < kMaxNumber; ++number) {
        const std::wstring candidate =
            number == 1 ? target : folder + L"\\" + NumberedName(name, number);
        // Without MOVEFILE_REPLACE_EXISTING the move fails on a taken name,
        // in one step: two restores racing for one name never both get it.
        const auto move = [&](DWORD flags) {
            const bool moved = ::MoveFileExW(FileCallPath(from).c_str(),
                                             FileCallPath(candidate).c_str(), flags) != FALSE;
            *pError = moved ? ERROR_SUCCESS : ::GetLastError();
            return moved;
        };
        // Another volume than the staging folder's (files of one item going
        // back to several drives): copied, still never replacing.
        if (move(0) || (*pError == ERROR_NOT_SAME_DEVICE && move(MOVEFILE_COPY_ALLOWED)))
            return candidate;
        if (*pError != ERROR_ALREADY_EXISTS && *pError != ERROR_FILE_EXISTS) return std::wstring();
    }
    return std::wstring();
}

int32_t RestoreKeepingBoth(CZEBQtWrapper::Container& container, const std::wstring& destination,
                           const std::vector<std::wstring>& formerPaths, ZEBQtCleanHook hook,
                           uintptr_t context, std::vector<std::wstring>* finalPaths) {
    finalPaths->assign(formerPaths.size(), std::wstring());
    std::vector<std::wstring> targets;
    for (const std::wstring& formerPath : formerPaths)
        targets.push_back(RestoreTarget(destination, formerPath));
    std::wstring home = destination;
    for (size_t i = 0; home.empty() && i < targets.size(); ++i) home = FolderOf(targets[i]);
    if (!home.empty() && home.back() == L'\\') home.pop_back();
    const std::wstring staging = home.empty() ? std::wstring() : MakeStagingFolder(home);
    if (staging.empty()) return kRestoreTargetUnwritable;

    int32_t result = container.Restore(staging, 0, hook, context, 0);
    std::vector<std::wstring> moved;
    for (size_t i = 0; result == kRestored && i < formerPaths.size(); ++i) {
        if (targets[i].empty()) continue;
        const std::wstring staged = staging + L"\\" + SplitFormerPath(formerPaths[i]).fileName;
        DWORD error = ERROR_SUCCESS;
        const std::wstring finalPath = MoveToFreeName(staged, targets[i], &error);
        if (finalPath.empty()) {
            result = kRestoreTargetUnwritable;
            break;
        }
        moved.push_back(finalPath);
        (*finalPaths)[i] = finalPath;
    }
    if (result != kRestored) {
        // Each moved file is one this restore made under a free name.
        for (const std::wstring& path : moved) ::DeleteFileW(FileCallPath(path).c_str());
        finalPaths->assign(formerPaths.size(), std::wstring());
    }
    RemoveStagingFolder(staging);
    return result;
}
