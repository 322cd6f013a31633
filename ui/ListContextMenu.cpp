#include "ui/ListContextMenu.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

const UINT kNeedSelection[] = {IDC_RESTORE, IDC_CLEAN_AND_RESTORE, IDC_RESTORE_TO_NEW_LOCATION,
                               ID_LIST_DELETE, ID_LIST_PROPERTIES};

}  // namespace

UINT TrackListContextMenu(HWND hOwner, POINT screen, bool hasSelection,
                          const std::vector<UINT>& forbidden) {
    const CMenuHandle menu(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_LIST_CONTEXT)));
    if (!menu) return 0;
    HMENU hPopup = ::GetSubMenu(menu.Get(), 0);
    if (hPopup == nullptr) return 0;
    for (const UINT nID : kNeedSelection)
        ::EnableMenuItem(hPopup, nID, MF_BYCOMMAND | (hasSelection ? MF_ENABLED : MF_GRAYED));
    for (const UINT nID : forbidden) ::EnableMenuItem(hPopup, nID, MF_BYCOMMAND | MF_GRAYED);
    return static_cast<UINT>(
        ::TrackPopupMenuEx(hPopup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                           screen.x, screen.y, hOwner, nullptr));
}

POINT KeyboardContextMenuPoint(HWND hList) {
    RECT client = {};
    ::GetClientRect(hList, &client);
    POINT point = {client.left, client.top};
    int row = static_cast<int>(::SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                              MAKELPARAM(LVNI_FOCUSED | LVNI_SELECTED, 0)));
    if (row < 0)
        row = static_cast<int>(::SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                              MAKELPARAM(LVNI_SELECTED, 0)));
    RECT item = {};
    item.left = LVIR_LABEL;
    if (row >= 0 && ::SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(&item)) != 0) {
        POINT below = {item.left + (item.bottom - item.top) / 2, item.bottom};
        if (::PtInRect(&client, below)) point = below;
    }
    ::ClientToScreen(hList, &point);
    return point;
}
