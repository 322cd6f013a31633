#include "restore/DestinationBrowser.h"

#include <shlobj.h>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Registry.h"
#include "ui/FolderBrowser.h"

namespace {
const UINT kDestinationFlags =
    BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
static_assert(kDestinationFlags == 0x59, "the destination browser's flags are fixed");
}  // namespace

int CALLBACK BrowseCallbackProc(HWND hWnd, UINT message, LPARAM lParam, LPARAM) {
    // Called by the shell: nothing may unwind through its frames.
    try {
        PreselectSettingCallback(hWnd, message, lParam, reinterpret_cast<LPARAM>(kValueDestPath));
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
