#pragma once

#include "framework/Wnd.h"

// A dialog built from a template resource, run modally or created modeless.
// One static dialog procedure stores the object in the window and dispatches
// every message through the object's message map.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog's own modal loop; returns the code it was ended with,
    // or -1 when the window could not be created.
    INT_PTR DoModal();
    // Creates the window and returns at once; the caller pumps messages.
    bool Create();
    void EndDialog(INT_PTR nResult);

    DECLARE_MESSAGE_MAP()

protected:
    virtual BOOL OnInitDialog();
    // Binds control wrappers to the dialog's child windows.
    virtual void DoDataExchange() {}
    virtual void OnOK();
    virtual void OnCancel();
    // Sees each message that a message loop of this thread takes for the
    // dialog or one of its controls before it is translated and dispatched,
    // whichever loop that is: the dialog's own modal loop, a caller's, or one
    // that runs while a command works. TRUE when the dialog has handled the
    // message, which then goes no further.
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageHookProc(int code, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Puts the dialog's window among those whose messages the thread's
    // message hook hands to PreTranslateMessage, and takes it out again.
    void StartPreTranslating();
    void StopPreTranslating();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bModal = false;
};
