#include "ui/FolderBrowser.h"

#include "framework/Handles.h"
#include "settings/Registry.h"

BrowseOutcome BrowseForFolder(HWND hOwner, const std::wstring& title, UINT flags, BFFCALLBACK callback, LPARAM data,
                              std::wstring* pPath) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = hOwner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = flags;
    info.lpfn = callback;
    info.lParam = data;
    info.iImage = 0;
    CItemIdList items(::SHBrowseForFolderW(&info));
    if (!items) return BrowseOutcome::Cancelled;
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(items.Get(), path)) return BrowseOutcome::NoFileSystemPath;
    path[MAX_PATH - 1] = L'\0';
    if (pPath != nullptr) *pPath = path;
    return BrowseOutcome::Chosen;
}

int CALLBACK PreselectSettingCallback(HWND hWnd, UINT message, LPARAM, LPARAM data) {
    // Called by the shell: nothing may unwind through its frames, and in the
    // 32-bit program nothing could.
    try {
        if (message == BFFM_INITIALIZED && data != 0) {
            const std::wstring value =
                ReadRegString(HKEY_CURRENT_USER, kSettingsKey,
                              reinterpret_cast<const wchar_t*>(data), std::wstring());
            ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(value.c_str()));
        }
    } catch (...) {
    }
    return 0;
}
