#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "tests/gui/Languages.h"
#include "ui/QuarantineDlg.h"

// Drives the real main dialog inside a test process, as a user would, with
// every modal window it opens answered by script.
//
// Typical use:
//
//     CSettingsSandbox settings;                 // clean registry, put back afterwards
//     settings.SetPath(folder);
//     CModalAnswerer answerer;                   // before anything can open a box
//     CMainDialogDriver driver;
//     driver.Dialog().m_ZEBQt.Load(StandinDir()); // optional: choose the libraries
//     ASSERT_TRUE(driver.Create());              // runs the dialog's set-up
//     answerer.AnswerNextMessageBox(IDYES);      // for the question a command asks
//     driver.SelectRows({0, 2});
//     driver.Click(IDC_RESTORE);
//     EXPECT_EQ(answerer.Shown()[0].text, ...);
//
// Choosing the libraries: the set-up loads the quarantine library with
// Load("") and the scanner library with Load(names), and both loads do nothing
// when a library is already loaded. So a test that loads a library into the
// dialog's bindings before Create() decides which one the dialog uses, e.g.
// Dialog().m_ZEBQt.Load(DoublesDir(L"recorder")) or
// Dialog().m_ScanP.LoadFrom(L"Engine A", L"Engine B", StandinDir()). A test
// that loads nothing gets what the Wine prefix offers: nothing, unless the
// libraries were copied under its common program-files folder.
//
// The scanner library's loaded state is process-wide; the dialog's destructor
// unloads it, so every driver starts from an unloaded scanner.

// One modal window that opened while the answerer was installed.
struct ShownWindow {
    enum Kind { kMessageBox, kFolderBrowser, kDialog };
    Kind kind = kDialog;
    std::wstring caption;
    // A message box's message; for other dialogs the texts of their static
    // controls, each followed by "\n".
    std::wstring text;
    // Other dialogs: the texts of their edit boxes, in tab order.
    std::vector<std::wstring> fields;
    // Other dialogs: each row of their list views, its cells joined by "|".
    std::vector<std::wstring> listRows;
    // The command buttons it offered (IDOK, IDCANCEL, IDYES, IDNO, ...).
    std::vector<int> buttons;
    // A message box's icon as its MB_ICON... style: MB_ICONEXCLAMATION,
    // MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, or 0 for none.
    UINT icon = 0;
    // The button the answerer pressed (IDOK or IDCANCEL for a folder browser).
    int answer = 0;
    // The button Enter would press.
    int defaultButton = 0;
};

// One item of a context menu as it was shown; a separator has id 0.
struct ShownMenuItem {
    UINT nID = 0;
    std::wstring text;  // with its "&" and any "\t" and shortcut
    bool grayed = false;
};

// Answers every message box, folder browser and other modal dialog that opens
// on the creating thread while it lives, and records each. One at a time.
//
// Message boxes get the queued answers in order; when none is queued, OK when
// offered, else Cancel, else No. Each box and browser sets the arrow cursor before
// it is answered, as the real ones do under the mouse pointer. Folder browsers select the queued
// folder and press OK, or press Cancel when told to or when nothing is queued. Other dialogs (the
// About box) are closed with OK.
//
// How: a computer-based-training hook notes each top-level dialog window as it
// is created, and a thread timer, which only fires once the dialog's modal
// loop waits for input, reads and answers it. Unlike a hook on every sent
// message this costs nothing while a command works through thousands of
// list-view messages.
class CModalAnswerer {
public:
    CModalAnswerer();
    ~CModalAnswerer();
    CModalAnswerer(const CModalAnswerer&) = delete;
    CModalAnswerer& operator=(const CModalAnswerer&) = delete;

    void AnswerNextMessageBox(int button);
    void ChooseFolderInNextBrowser(const std::wstring& folder);
    void CancelNextBrowser();

    const std::vector<ShownWindow>& Shown() const { return m_shown; }
    std::vector<ShownWindow> ShownOfKind(ShownWindow::Kind kind) const;
    void ClearShown() { m_shown.clear(); }

    // Windows the answerer must leave alone (dialogs a test runs itself).
    void Ignore(HWND hWnd) { m_ignored.push_back(hWnd); }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND hWnd, UINT message, UINT_PTR nIDEvent, DWORD time);
    void AnswerPending();
    void Answer(HWND hWnd);

    HHOOK m_hHook = nullptr;
    UINT_PTR m_nTimer = 0;
    std::vector<HWND> m_pending;
    std::deque<int> m_messageBoxAnswers;
    struct BrowserAnswer {
        bool choose;
        std::wstring folder;
    };
    std::deque<BrowserAnswer> m_browserAnswers;
    std::vector<ShownWindow> m_shown;
    std::vector<HWND> m_ignored;
};

// The real CQuarantineDlg, created modeless in the test process.
class CMainDialogDriver {
public:
    CMainDialogDriver();
    ~CMainDialogDriver();
    CMainDialogDriver(const CMainDialogDriver&) = delete;
    CMainDialogDriver& operator=(const CMainDialogDriver&) = delete;

    // The dialog object, before and after its window exists.
    CQuarantineDlg& Dialog() { return *m_pDialog; }
    HWND Window() const { return m_pDialog->GetSafeHwnd(); }

    // Creates the window (which runs the whole set-up) and handles what it
    // posted; false when the window could not be created.
    bool Create();
    // Handles every message waiting for this thread.
    void Pump();

    // A click on a push button: the BN_CLICKED the button sends its parent.
    void Click(int nID);
    // A click on a column header of the list: LVN_COLUMNCLICK.
    void ClickColumn(int column);
    // A command from the window menu (WM_SYSCOMMAND).
    void SystemCommand(UINT nID);
    // A key pressed in the list (WM_KEYDOWN and WM_KEYUP at the list, as the
    // focused list gets them), with Ctrl held down when asked.
    void PressKey(UINT vk, bool ctrl = false);
    // A key pressed while one of the dialog's controls has the focus: WM_KEYDOWN
    // and WM_KEYUP posted to it, so that they reach it through the message
    // loop, as typed keys do.
    void PressKeyIn(int nID, UINT vk);
    // Asks the list for its context menu the way the platform does:
    // WM_CONTEXTMENU at the list, from a right click at the screen point or,
    // without one, from the keyboard. Records the menu's items, then types
    // the access key, which runs that item; 0 closes the menu with Esc.
    // Returns the items shown; empty when no menu opened.
    std::vector<ShownMenuItem> ContextMenu(wchar_t accessKey, const POINT* pScreen = nullptr);
    // Selects exactly these rows (and nothing else).
    void SelectRows(const std::vector<int>& rows);
    // Types a text into the path box, replacing what it held.
    void TypePath(const std::wstring& text);

    std::wstring PathText() const;
    int RowCount() const;
    // The five column texts of a row.
    std::vector<std::wstring> Row(int row) const;
    std::vector<std::vector<std::wstring>> Rows() const;
    // One column's text of every row, top to bottom.
    std::vector<std::wstring> Column(int column) const;
    std::vector<int> SelectedRows() const;
    std::wstring ColumnHeading(int column) const;
    std::wstring ControlText(int nID) const;

private:
    HWND List() const;

    std::unique_ptr<CQuarantineDlg> m_pDialog;
};

// A key pressed in a control that has the focus (WM_KEYDOWN and WM_KEYUP sent
// to it), with Ctrl held down when asked.
void SendKey(HWND hWnd, UINT vk, bool ctrl = false);

// Plays the user at a progress dialog, on a thread of its own: waits up to
// 20 s for a visible dialog owned by the main window whose static texts
// satisfy `ready` (the dialog takes its texts on its own thread), notes what
// it showed and whether the main window was disabled and still answering,
// runs `beforeCancel`, and presses Cancel.
class CProgressCanceller {
public:
    using Ready = std::function<bool(const std::vector<std::wstring>& texts)>;
    CProgressCanceller(HWND hMain, Ready ready, std::function<void()> beforeCancel = nullptr);
    ~CProgressCanceller() { Join(); }
    CProgressCanceller(const CProgressCanceller&) = delete;
    CProgressCanceller& operator=(const CProgressCanceller&) = delete;

    // Gives up waiting, if it still is, and ends the thread.
    void Join();
    // Whether Cancel was pressed (or the wait given up), waiting up to ms for
    // it.
    bool WaitDone(DWORD ms) const {
        return ::WaitForSingleObject(m_done.Get(), ms) == WAIT_OBJECT_0;
    }
    bool Done() const { return WaitDone(0); }

    bool found = false;
    std::wstring caption;
    std::vector<std::wstring> texts;
    bool mainDisabled = false;
    bool mainAnswered = false;

private:
    CKernelHandle m_done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread m_thread;
};

// Saves the program's registry values, clears them for the test and puts the
// saved ones back when it goes: the per-user Path and DestPath, and the
// machine-wide QuarantineDef.
class CSettingsSandbox {
public:
    CSettingsSandbox();
    ~CSettingsSandbox();
    CSettingsSandbox(const CSettingsSandbox&) = delete;
    CSettingsSandbox& operator=(const CSettingsSandbox&) = delete;

    void SetPath(const std::wstring& value);
    void SetDestPath(const std::wstring& value);
    void SetQuarantineDef(const std::wstring& value);
    // The stored text; empty when absent. present (when given) tells which.
    std::wstring Path(bool* present = nullptr) const;
    std::wstring DestPath(bool* present = nullptr) const;

private:
    struct Saved {
        HKEY hRoot;
        const wchar_t* subKey;
        const wchar_t* valueName;
        bool present;
        std::wstring value;
    };
    std::vector<Saved> m_saved;
};

// Switches this thread to a user-interface language for resource look-ups,
// and back when it goes.
class CThreadLanguage {
public:
    explicit CThreadLanguage(LANGID language);
    ~CThreadLanguage();
    CThreadLanguage(const CThreadLanguage&) = delete;
    CThreadLanguage& operator=(const CThreadLanguage&) = delete;

private:
    LANGID m_previousUiLanguage;
    LCID m_previousLocale;
};

// Runs body(german) once in English and once in German, the thread switched
// to each language and the failures traced with its name.
template <typename Body>
void InBothLanguages(Body body) {
    for (const LANGID language : {kEnglish, kGerman}) {
        SCOPED_TRACE(language == kGerman ? "German" : "English");
        CThreadLanguage ui(language);
        body(language == kGerman);
    }
}

// Where the stand-in product libraries and the test doubles were built.
std::wstring StandinDir();
std::wstring DoublesDir(const std::wstring& name);
