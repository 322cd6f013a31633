#pragma once

#include <windows.h>

class CCmdTarget;

// One entry routes a message (and, for WM_COMMAND and WM_NOTIFY, a
// notification code and control id) to a thunk that calls the handler with
// its own signature. A class's map chains to its base class's map.
struct MsgMapEntry {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    bool (*pfnThunk)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

struct MsgMap {
    const MsgMap* (*pfnGetBaseMap)();
    const MsgMapEntry* pEntries;
};

// Finds the first entry for the message in the map or, failing that, in the
// maps it chains to.
const MsgMapEntry* FindMessageEntry(const MsgMap* pMap, UINT message, WPARAM wParam, LPARAM lParam);

#define DECLARE_MESSAGE_MAP()                 \
public:                                       \
    static const MsgMap* GetThisMessageMap(); \
                                              \
protected:                                    \
    const MsgMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)       \
    const MsgMap* theClass::GetMessageMap() const {  \
        return GetThisMessageMap();                  \
    }                                                \
    const MsgMap* theClass::GetThisMessageMap() {    \
        using ThisClass [[maybe_unused]] = theClass; \
        using TheBaseClass = baseClass;              \
        static const MsgMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                  \
    { 0, 0, 0, nullptr }                                                   \
    }                                                                      \
    ;                                                                      \
    static const MsgMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                           \
    }

#define QFW_THUNK(body)                                                               \
    [](CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam, LRESULT* pResult) -> bool { \
        ThisClass* pThis = static_cast<ThisClass*>(pTarget);                          \
        (void)pThis;                                                                  \
        (void)wParam;                                                                 \
        (void)lParam;                                                                 \
        (void)pResult;                                                                \
        body;                                                                         \
        return true;                                                                  \
    }

// Commands: void handler().
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (id), QFW_THUNK((pThis->*(memberFxn))())},
#define ON_BN_CLICKED(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, (id), QFW_THUNK((pThis->*(memberFxn))())},
#define ON_EN_CHANGE(id, memberFxn) \
    {WM_COMMAND, EN_CHANGE, (id), QFW_THUNK((pThis->*(memberFxn))())},
// Notifications: void handler(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, memberFxn)         \
    {WM_NOTIFY, static_cast<UINT>(code), (id), \
     QFW_THUNK((pThis->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), pResult))},
// A message of the program's own: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) \
    {(message), 0, 0, QFW_THUNK(*pResult = (pThis->*(memberFxn))(wParam, lParam))},
// Window messages with the handler names and signatures the dialogs use.
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, QFW_THUNK(pThis->OnSysCommand(static_cast<UINT>(wParam), lParam))},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, QFW_THUNK(pThis->OnPaint())},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0,  \
     QFW_THUNK(*pResult = reinterpret_cast<LRESULT>(pThis->OnQueryDragIcon()))},
#define ON_WM_SIZE()                                                                        \
    {WM_SIZE, 0, 0,                                                                         \
     QFW_THUNK(pThis->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), \
                             static_cast<short>(HIWORD(lParam))))},
#define ON_WM_GETMINMAXINFO() \
    {WM_GETMINMAXINFO, 0, 0,  \
     QFW_THUNK(pThis->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))},
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, QFW_THUNK(*pResult = pThis->OnEraseBkgnd(reinterpret_cast<HDC>(wParam)))},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, QFW_THUNK(pThis->OnDestroy())},
// point: screen coordinates, (-1, -1) when the menu was asked for from the keyboard.
#define ON_WM_CONTEXTMENU()              \
    {WM_CONTEXTMENU, 0, 0,               \
     QFW_THUNK(pThis->OnContextMenu(     \
         reinterpret_cast<HWND>(wParam), \
         POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}))},
