#include "framework/ProgressDialog.h"

#include <shlguid.h>

bool CProgressDialog::Start(HWND hOwner, const std::wstring& title) {
    Stop();
    CComInterface<IProgressDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IProgressDialog, reinterpret_cast<void**>(dialog.Put()))) ||
        !dialog)
        return false;
    dialog.Get()->SetTitle(title.c_str());
    // Modeless: the caller disables its own window, and enables it again
    // before the dialog goes, so that the activation returns to it.
    if (FAILED(dialog.Get()->StartProgressDialog(hOwner, nullptr,
                                                 PROGDLG_NORMAL | PROGDLG_NOMINIMIZE, nullptr)))
        return false;
    m_pDialog = std::move(dialog);
    return true;
}

void CProgressDialog::Stop() {
    if (!m_pDialog) return;
    m_pDialog.Get()->StopProgressDialog();
    m_pDialog.Reset();
}

void CProgressDialog::SetLines(const std::wstring& first, const std::wstring& second) {
    if (!m_pDialog) return;
    m_pDialog.Get()->SetLine(1, first.c_str(), FALSE, nullptr);
    m_pDialog.Get()->SetLine(2, second.c_str(), TRUE, nullptr);
}

void CProgressDialog::SetProgress(uint64_t done, uint64_t total) {
    if (m_pDialog) m_pDialog.Get()->SetProgress64(done, total);
}

bool CProgressDialog::HasUserCancelled() const {
    return m_pDialog && m_pDialog.Get()->HasUserCancelled() != FALSE;
}
