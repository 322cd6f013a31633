#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/CmdTarget.h"

// A non-owning window object: it wraps an HWND that the platform owns.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() {
        HWND h = m_hWnd;
        m_hWnd = nullptr;
        return h;
    }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }

    HWND m_hWnd = nullptr;
};

class CEdit : public CWnd {};

// The list-view calls the dialogs make, each a thin message wrapper.
class CListCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    bool DeleteAllItems() const { return SendMessage(LVM_DELETEALLITEMS) != 0; }
    int InsertItem(int nItem, const std::wstring& text) const;
    bool SetItemText(int nItem, int nSubItem, const std::wstring& text) const;
    std::wstring GetItemText(int nItem, int nSubItem) const;
    bool SetItemData(int nItem, DWORD_PTR data) const;
    int GetNextItem(int nItem, UINT flags) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(flags, 0)));
    }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    bool SetItemState(int nItem, UINT state, UINT mask) const;
    int InsertColumn(int nCol, const std::wstring& heading, int format, int width) const;
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    void SetExtendedStyle(DWORD style) const { SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }
    bool SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR data) const {
        return SendMessage(LVM_SORTITEMS, data, reinterpret_cast<LPARAM>(pfnCompare)) != 0;
    }
    void SetRedraw(bool redraw) const { SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE); }
};

// Keeps a window from repainting while it is changed piece by piece: a list
// control may repaint each row that changes, which costs far more than the
// change itself. One repaint of the whole window follows, also when the
// change is cut short.
class CRedrawSuspension {
public:
    explicit CRedrawSuspension(const CWnd& wnd) : m_wnd(wnd) {
        m_wnd.SendMessage(WM_SETREDRAW, FALSE);
    }
    ~CRedrawSuspension() {
        m_wnd.SendMessage(WM_SETREDRAW, TRUE);
        ::InvalidateRect(m_wnd.GetSafeHwnd(), nullptr, TRUE);
    }
    CRedrawSuspension(const CRedrawSuspension&) = delete;
    CRedrawSuspension& operator=(const CRedrawSuspension&) = delete;

private:
    const CWnd& m_wnd;
};
