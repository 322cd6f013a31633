#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Tips on controls that the organisation's policy took away. A disabled
// control gets no mouse messages (they go to the window beneath it), so its
// tip is a rectangle of the dialog's that follows the control; an enabled
// one (a read-only box) carries its own.
class CPolicyTips {
public:
    CPolicyTips() = default;
    // The tip window goes with this object, or earlier with the dialog.
    ~CPolicyTips();
    CPolicyTips(const CPolicyTips&) = delete;
    CPolicyTips& operator=(const CPolicyTips&) = delete;

    // The tip window, owned by the dialog and destroyed with it; false when
    // it could not be made (the controls then simply show no tip).
    bool Create(HWND hDialog, int maxWidth);
    void Add(HWND hControl, const std::wstring& text);
    // Due after the dialog's layout moved its controls.
    void FollowControls();
    HWND Window() const { return m_hTip; }

private:
    HWND m_hDialog = nullptr;
    HWND m_hTip = nullptr;
    std::vector<HWND> m_disabled;  // controls whose tip is the dialog's rectangle
};
