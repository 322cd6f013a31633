#include "framework/ProgressDialog.h"

#include <shlguid.h>

bool CProgressDialog::Start(HWND hOwner, const std::wstring& title) {
    Stop();
    IProgressDialog* pDialog = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IProgressDialog, reinterpret_cast<void**>(&pDialog))) ||
        pDialog == nullptr)
        return false;
    pDialog->SetTitle(title.c_str());
    // Modeless: the caller disables its own window, and enables it again
    // before the dialog goes, so that the activation returns to it.
    if (FAILED(pDialog->StartProgressDialog(hOwner, nullptr, PROGDLG_NORMAL | PROGDLG_NOMINIMIZE,
                                            nullptr))) {
        pDialog->Release();
        return false;
    }
    m_pDialog = pDialog;
    return true;
}

void CProgressDialog::Stop() {
    if (m_pDialog == nullptr) return;
    m_pDialog->StopProgressDialog();
    m_pDialog->Release();
    m_pDialog = nullptr;
}

void CProgressDialog::SetLines(const std::wstring& first, const std::wstring& second) {
    if (m_pDialog == nullptr) return;
    m_pDialog->SetLine(1, first.c_str(), FALSE, nullptr);
    m_pDialog->SetLine(2, second.c_str(), TRUE, nullptr);
}

void CProgressDialog::SetProgress(uint64_t done, uint64_t total) {
    if (m_pDialog != nullptr) m_pDialog->SetProgress64(done, total);
}

bool CProgressDialog::HasUserCancelled() const {
    return m_pDialog != nullptr && m_pDialog->HasUserCancelled() != FALSE;
}
