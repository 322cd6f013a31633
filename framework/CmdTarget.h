#pragma once

#include "framework/MessageMap.h"

// Base of everything that owns a message map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    static const MsgMap* GetThisMessageMap();

    // Runs the handler the map has for the message. Returns false when no
    // entry matched, or when the handler asked for the default processing.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // A handler calls this to have the platform's default processing run
    // once the handler returns.
    void Default() { m_bDefaultRequested = true; }

protected:
    virtual const MsgMap* GetMessageMap() const { return GetThisMessageMap(); }

private:
    bool m_bDefaultRequested = false;
};
