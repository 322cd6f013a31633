#include "ui/FolderBrowser.h"

#include <vector>

#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Folders.h"
#include "settings/Registry.h"

namespace {

const UINT kDestinationFlags =
    BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
static_assert(kDestinationFlags == 0x59, "the destination browser's flags are fixed");
const UINT kQuarantineFolderFlags = kDestinationFlags | BIF_NONEWFOLDERBUTTON;

// Room for the longest path and its NUL.
const DWORD kLongestPathChars = 32768;

struct CoTaskTextTraits {
    using Type = PWSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { ::CoTaskMemFree(p); }
};
using CCoTaskText = CUniqueHandle<CoTaskTextTraits>;

// The chosen item's file-system path at its whole length: a folder deeper
// than MAX_PATH is still a folder the user chose. Where the system's own
// read of the path stops short of such a folder, the shell item's
// file-system name has it. False for an item without a file-system path.
bool FileSystemPathOf(PCIDLIST_ABSOLUTE item, std::wstring* pPath) {
    std::vector<wchar_t> buffer(kLongestPathChars, L'\0');
    if (::SHGetPathFromIDListEx(item, buffer.data(), kLongestPathChars, GPFIDL_DEFAULT)) {
        // The buffer ends in a NUL of its own, whatever the call left.
        buffer.back() = L'\0';
        *pPath = buffer.data();
        if (!pPath->empty()) return true;
    }
    CCoTaskText name;
    if (FAILED(::SHGetNameFromIDList(item, SIGDN_FILESYSPATH, name.Put())) || !name) return false;
    *pPath = name.Get();
    return !pPath->empty();
}

}  // namespace

BrowseOutcome BrowseForFolder(HWND hOwner, const std::wstring& title, UINT flags,
                              BFFCALLBACK callback, LPARAM data, std::wstring* pPath) {
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
    std::wstring path;
    if (!FileSystemPathOf(items.Get(), &path)) return BrowseOutcome::NoFileSystemPath;
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

int CALLBACK BrowseCallbackProc(HWND hWnd, UINT message, LPARAM, LPARAM) {
    // Called by the shell: nothing may unwind through its frames.
    try {
        if (message == BFFM_INITIALIZED) {
            const std::wstring folder = StartingDestinationFolder();
            ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE,
                           reinterpret_cast<LPARAM>(folder.c_str()));
        }
    } catch (...) {
    }
    return 0;
}

bool BrowseForDestination(HWND hOwner, std::wstring* pFolder) {
    std::wstring folder;
    const BrowseOutcome outcome =
        BrowseForFolder(hOwner, AfxLoadString(IDS_SELECT_DEST_PATH), kDestinationFlags,
                        &BrowseCallbackProc, reinterpret_cast<LPARAM>(hOwner), &folder);
    if (outcome != BrowseOutcome::Chosen) return false;
    *pFolder = folder;
    return true;
}

bool BrowseForQuarantineFolder(HWND hOwner, std::wstring* pFolder) {
    std::wstring folder;
    const BrowseOutcome outcome =
        BrowseForFolder(hOwner, std::wstring(), kQuarantineFolderFlags, &PreselectSettingCallback,
                        reinterpret_cast<LPARAM>(kValuePath), &folder);
    if (outcome != BrowseOutcome::Chosen) return false;
    *pFolder = folder;
    return true;
}
