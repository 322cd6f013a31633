#include "framework/CmdTarget.h"

const MsgMapEntry* FindMessageEntry(const MsgMap* pMap, UINT message, WPARAM wParam, LPARAM lParam) {
    for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const MsgMapEntry* e = pMap->pEntries; e != nullptr && e->pfnThunk != nullptr; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND) {
                if (e->nID == LOWORD(wParam) && e->nCode == HIWORD(wParam)) return e;
            } else if (message == WM_NOTIFY) {
                const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
                if (hdr != nullptr && e->nID == hdr->idFrom && e->nCode == hdr->code) return e;
            } else {
                return e;
            }
        }
    }
    return nullptr;
}

const MsgMap* CCmdTarget::GetThisMessageMap() {
    static const MsgMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MsgMap map = {nullptr, entries};
    return &map;
}

bool CCmdTarget::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const MsgMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam, lParam);
    if (entry == nullptr) return false;
    const bool outer = m_bDefaultRequested;
    m_bDefaultRequested = false;
    entry->pfnThunk(this, wParam, lParam, pResult);
    const bool wantsDefault = m_bDefaultRequested;
    m_bDefaultRequested = outer;
    return !wantsDefault;
}
