#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "framework/Handles.h"

// The system's standard progress dialog (IProgressDialog), shown for as long
// as the object lives. The dialog runs on a thread of its own, so it paints
// and takes a Cancel click even while its owner's thread is busy.
class CProgressDialog {
public:
    CProgressDialog() = default;
    ~CProgressDialog() { Stop(); }
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

    // Creates and shows the dialog owned by the window; false when the
    // platform offers none (nothing is shown then).
    bool Start(HWND hOwner, const std::wstring& title);
    void Stop();
    bool IsShown() const { return static_cast<bool>(m_pDialog); }

    // Line 1 and 2 of the dialog's text; the second is shortened like a path
    // when it does not fit.
    void SetLines(const std::wstring& first, const std::wstring& second);
    void SetProgress(uint64_t done, uint64_t total);
    bool HasUserCancelled() const;

private:
    CComInterface<IProgressDialog> m_pDialog;
};
