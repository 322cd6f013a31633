#include "tests/gui/GuiDriver.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/common/TestPaths.h"

namespace {

CModalAnswerer* g_pAnswerer = nullptr;
// Dialogs created by a driver: their own WM_INITDIALOG is not a modal window
// to answer.
std::vector<const CDialog*> g_drivenDialogs;

const int kMessageBoxTextId = 0xFFFF;
const int kCommandButtons[] = {IDOK,  IDCANCEL, IDABORT,    IDRETRY,   IDIGNORE,
                               IDYES, IDNO,     IDTRYAGAIN, IDCONTINUE};

std::wstring TextOf(HWND hWnd) {
    CWnd wnd(hWnd);
    return wnd.GetWindowText();
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hWnd, name, 64);
    return name;
}

BOOL CALLBACK FindIconControl(HWND hWnd, LPARAM lParam) {
    const LONG style = ::GetWindowLongW(hWnd, GWL_STYLE);
    if (ClassOf(hWnd) == WC_STATICW && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A message box shows its icon in a static icon control, loaded from the
// shared system icons.
UINT IconStyleOf(HWND hBox) {
    HWND hIcon = nullptr;
    ::EnumChildWindows(hBox, &FindIconControl, reinterpret_cast<LPARAM>(&hIcon));
    if (hIcon == nullptr) return 0;
    const HICON shown = reinterpret_cast<HICON>(::SendMessageW(hIcon, STM_GETICON, 0, 0));
    if (shown == nullptr) return 0;
    const struct {
        const wchar_t* id;
        UINT style;
    } icons[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_HAND, MB_ICONERROR},
                 {IDI_ASTERISK, MB_ICONINFORMATION},
                 {IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& icon : icons)
        if (::LoadIconW(nullptr, icon.id) == shown) return icon.style;
    return MB_ICONMASK;
}

BOOL CALLBACK FindTreeView(HWND hWnd, LPARAM lParam) {
    if (ClassOf(hWnd) == WC_TREEVIEWW) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND hWnd, LPARAM lParam) {
    const LONG type = ::GetWindowLongW(hWnd, GWL_STYLE) & SS_TYPEMASK;
    const bool showsText = type != SS_ICON && type != SS_BITMAP && type != SS_ENHMETAFILE;
    if (showsText && ::GetParent(hWnd) == ::GetAncestor(hWnd, GA_ROOT) &&
        ClassOf(hWnd) == WC_STATICW) {
        const std::wstring text = TextOf(hWnd);
        if (!text.empty()) *reinterpret_cast<std::wstring*>(lParam) += text + L"\n";
    }
    return TRUE;
}

BOOL CALLBACK CollectEditText(HWND hWnd, LPARAM lParam) {
    if (::GetParent(hWnd) == ::GetAncestor(hWnd, GA_ROOT) && ClassOf(hWnd) == WC_EDITW)
        reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(TextOf(hWnd));
    return TRUE;
}

BOOL CALLBACK CollectListRows(HWND hWnd, LPARAM lParam) {
    if (ClassOf(hWnd) != WC_LISTVIEWW) return TRUE;
    CListCtrl list;
    list.Attach(hWnd);
    const HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hWnd, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < list.GetItemCount(); ++row) {
        std::wstring cells;
        for (int column = 0; column < columns; ++column)
            cells += (column > 0 ? L"|" : L"") + list.GetItemText(row, column);
        reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(cells);
    }
    return TRUE;
}

bool IsDriven(HWND hWnd) {
    return std::any_of(g_drivenDialogs.begin(), g_drivenDialogs.end(),
                       [hWnd](const CDialog* pDialog) { return pDialog->GetSafeHwnd() == hWnd; });
}

void PostCommand(HWND hWnd, int nID) {
    ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hWnd, nID)));
}

void OpenKey(HKEY hRoot, const wchar_t* subKey, REGSAM access, CRegKey& key) {
    if (::RegOpenKeyExW(hRoot, subKey, 0, access, key.Put()) != ERROR_SUCCESS) key.Reset();
}

bool ReadValue(HKEY hRoot, const wchar_t* subKey, const wchar_t* valueName, std::wstring* pValue) {
    CRegKey key;
    OpenKey(hRoot, subKey, KEY_READ, key);
    if (!key) return false;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), valueName, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&value[0]), &size) != ERROR_SUCCESS)
        return false;
    value.resize(std::min(value.size(), static_cast<size_t>(size / sizeof(wchar_t))));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    *pValue = value;
    return true;
}

void WriteValue(HKEY hRoot, const wchar_t* subKey, const wchar_t* valueName,
                const std::wstring& value) {
    CRegKey key;
    if (::RegCreateKeyExW(hRoot, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteValue(HKEY hRoot, const wchar_t* subKey, const wchar_t* valueName) {
    CRegKey key;
    OpenKey(hRoot, subKey, KEY_SET_VALUE, key);
    if (key) ::RegDeleteValueW(key.Get(), valueName);
}

// The context menu a driver asked for, read and answered from a timer while
// the menu's own loop runs.
struct MenuScript {
    wchar_t accessKey = 0;
    bool answered = false;
    std::vector<ShownMenuItem> items;
};
MenuScript* g_pMenuScript = nullptr;

BOOL CALLBACK FindShownMenu(HWND hWnd, LPARAM lParam) {
    if (ClassOf(hWnd) == L"#32768" && ::IsWindowVisible(hWnd)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK MenuTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    try {
        MenuScript* pScript = g_pMenuScript;
        if (pScript == nullptr || pScript->answered) return;
        HWND hMenuWnd = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindShownMenu,
                            reinterpret_cast<LPARAM>(&hMenuWnd));
        if (hMenuWnd == nullptr) return;
        HMENU hMenu = reinterpret_cast<HMENU>(::SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
        for (int index = 0; index < ::GetMenuItemCount(hMenu); ++index) {
            wchar_t text[256] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 255;
            if (!::GetMenuItemInfoW(hMenu, static_cast<UINT>(index), TRUE, &info)) continue;
            text[255] = L'\0';
            ShownMenuItem item;
            item.nID = (info.fType & MFT_SEPARATOR) != 0 ? 0 : info.wID;
            item.text = text;
            item.grayed = (info.fState & MFS_GRAYED) != 0;
            pScript->items.push_back(item);
        }
        pScript->answered = true;
        if (pScript->accessKey != 0)
            ::PostMessageW(hMenuWnd, WM_CHAR, pScript->accessKey, 1);
        else
            ::PostMessageW(hMenuWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    } catch (...) {
        ::OutputDebugStringW(L"CMainDialogDriver: exception while answering a menu\n");
    }
}

const wchar_t kSettings[] = L"Software\\HALVREN\\Quarantine";
const wchar_t kProduct[] = L"Software\\HALVREN\\ZEBScanP";

}  // namespace

// CModalAnswerer -------------------------------------------------------------

CModalAnswerer::CModalAnswerer() {
    g_pAnswerer = this;
    m_hHook =
        ::SetWindowsHookExW(WH_CBT, &CModalAnswerer::HookProc, nullptr, ::GetCurrentThreadId());
}

CModalAnswerer::~CModalAnswerer() {
    if (m_hHook != nullptr) ::UnhookWindowsHookEx(m_hHook);
    if (m_nTimer != 0) ::KillTimer(nullptr, m_nTimer);
    if (g_pAnswerer == this) g_pAnswerer = nullptr;
}

void CModalAnswerer::AnswerNextMessageBox(int button) {
    m_messageBoxAnswers.push_back(button);
}

void CModalAnswerer::ChooseFolderInNextBrowser(const std::wstring& folder) {
    m_browserAnswers.push_back({true, folder});
}

void CModalAnswerer::CancelNextBrowser() {
    m_browserAnswers.push_back({false, std::wstring()});
}

std::vector<ShownWindow> CModalAnswerer::ShownOfKind(ShownWindow::Kind kind) const {
    std::vector<ShownWindow> shown;
    std::copy_if(m_shown.begin(), m_shown.end(), std::back_inserter(shown),
                 [kind](const ShownWindow& window) { return window.kind == kind; });
    return shown;
}

LRESULT CALLBACK CModalAnswerer::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    // The hook and the timer run inside the platform's message handling:
    // nothing may be thrown through them.
    try {
        if (code == HCBT_CREATEWND && g_pAnswerer != nullptr) {
            const CBT_CREATEWNDW* pCreate = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
            const bool topLevel = (pCreate->lpcs->style & WS_CHILD) == 0;
            if (topLevel && ClassOf(reinterpret_cast<HWND>(wParam)) == L"#32770") {
                g_pAnswerer->m_pending.push_back(reinterpret_cast<HWND>(wParam));
                if (g_pAnswerer->m_nTimer == 0)
                    g_pAnswerer->m_nTimer =
                        ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &CModalAnswerer::TimerProc);
            }
        }
    } catch (...) {
        ::OutputDebugStringW(L"CModalAnswerer: exception while noting a dialog\n");
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK CModalAnswerer::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    try {
        if (g_pAnswerer != nullptr) g_pAnswerer->AnswerPending();
    } catch (...) {
        ::OutputDebugStringW(L"CModalAnswerer: exception while answering a dialog\n");
    }
}

void CModalAnswerer::AnswerPending() {
    ::KillTimer(nullptr, m_nTimer);
    m_nTimer = 0;
    std::vector<HWND> pending;
    pending.swap(m_pending);
    for (HWND hWnd : pending) {
        if (!::IsWindow(hWnd) || IsDriven(hWnd)) continue;
        if (std::find(m_ignored.begin(), m_ignored.end(), hWnd) != m_ignored.end()) continue;
        // A dialog shows itself once its set-up is over and its modal loop
        // runs; a message loop inside that set-up (the shell's folder
        // enumeration can run one) must not see it answered half-built.
        if (!::IsWindowVisible(hWnd)) {
            m_pending.push_back(hWnd);
            continue;
        }
        Answer(hWnd);
    }
    if (!m_pending.empty() && m_nTimer == 0)
        m_nTimer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &CModalAnswerer::TimerProc);
}

void CModalAnswerer::Answer(HWND hWnd) {
    ShownWindow shown;
    shown.caption = TextOf(hWnd);
    for (const int nID : kCommandButtons) {
        HWND hButton = ::GetDlgItem(hWnd, nID);
        if (hButton != nullptr && (::GetWindowLongW(hButton, GWL_STYLE) & WS_VISIBLE) != 0)
            shown.buttons.push_back(nID);
    }
    const auto offers = [&shown](int nID) {
        return std::find(shown.buttons.begin(), shown.buttons.end(), nID) != shown.buttons.end();
    };

    bool hasTree = false;
    ::EnumChildWindows(hWnd, &FindTreeView, reinterpret_cast<LPARAM>(&hasTree));
    HWND hMessage = ::GetDlgItem(hWnd, kMessageBoxTextId);

    if (hasTree) {
        shown.kind = ShownWindow::kFolderBrowser;
        BrowserAnswer answer = {false, std::wstring()};
        if (!m_browserAnswers.empty()) {
            answer = m_browserAnswers.front();
            m_browserAnswers.pop_front();
        }
        if (answer.choose)
            ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE,
                           reinterpret_cast<LPARAM>(answer.folder.c_str()));
        shown.answer = answer.choose ? IDOK : IDCANCEL;
    } else if (hMessage != nullptr && ClassOf(hMessage) == WC_STATICW) {
        shown.kind = ShownWindow::kMessageBox;
        shown.text = TextOf(hMessage);
        shown.icon = IconStyleOf(hWnd);
        if (!m_messageBoxAnswers.empty()) {
            shown.answer = m_messageBoxAnswers.front();
            m_messageBoxAnswers.pop_front();
        } else {
            // A box that asks goes on without its optional part (No), as a
            // test that did not choose an answer expects.
            shown.answer = offers(IDOK) ? IDOK : offers(IDNO) ? IDNO : IDCANCEL;
        }
    } else {
        shown.kind = ShownWindow::kDialog;
        ::EnumChildWindows(hWnd, &CollectStaticText, reinterpret_cast<LPARAM>(&shown.text));
        ::EnumChildWindows(hWnd, &CollectEditText, reinterpret_cast<LPARAM>(&shown.fields));
        ::EnumChildWindows(hWnd, &CollectListRows, reinterpret_cast<LPARAM>(&shown.listRows));
        shown.answer = IDOK;
    }
    if (shown.kind != ShownWindow::kDialog) ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    for (const int nID : shown.buttons)
        if ((::GetWindowLongW(::GetDlgItem(hWnd, nID), GWL_STYLE) & BS_TYPEMASK) ==
            BS_DEFPUSHBUTTON)
            shown.defaultButton = nID;
    m_shown.push_back(shown);
    PostCommand(hWnd, shown.answer);
}

// CMainDialogDriver ----------------------------------------------------------

CMainDialogDriver::CMainDialogDriver() {
    // The folder browser's newer style needs OLE on the thread, which the
    // program's start-up initialises.
    static const bool oleReady = SUCCEEDED(::OleInitialize(nullptr));
    (void)oleReady;
    m_pDialog = std::make_unique<CQuarantineDlg>();
    g_drivenDialogs.push_back(m_pDialog.get());
}

CMainDialogDriver::~CMainDialogDriver() {
    m_pDialog->EndDialog(IDCANCEL);
    Pump();
    g_drivenDialogs.erase(
        std::remove(g_drivenDialogs.begin(), g_drivenDialogs.end(), m_pDialog.get()),
        g_drivenDialogs.end());
    m_pDialog.reset();
}

bool CMainDialogDriver::Create() {
    const bool created = m_pDialog->Create();
    Pump();
    return created;
}

void CMainDialogDriver::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void CMainDialogDriver::Click(int nID) {
    ::SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(Window(), nID)));
    Pump();
}

void CMainDialogDriver::ClickColumn(int column) {
    NMLISTVIEW notify = {};
    notify.hdr.hwndFrom = List();
    notify.hdr.idFrom = IDC_QUARANTINE_LIST;
    notify.hdr.code = LVN_COLUMNCLICK;
    notify.iItem = -1;
    notify.iSubItem = column;
    ::SendMessageW(Window(), WM_NOTIFY, IDC_QUARANTINE_LIST, reinterpret_cast<LPARAM>(&notify));
    Pump();
}

void CMainDialogDriver::SystemCommand(UINT nID) {
    ::SendMessageW(Window(), WM_SYSCOMMAND, nID, 0);
    Pump();
}

void SendKey(HWND hWnd, UINT vk, bool ctrl) {
    BYTE saved[256] = {};
    ::GetKeyboardState(saved);
    BYTE state[256] = {};
    std::copy(saved, saved + 256, state);
    if (ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    ::SetKeyboardState(state);
    ::SendMessageW(hWnd, WM_KEYDOWN, vk, 1);
    ::SendMessageW(hWnd, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    ::SetKeyboardState(saved);
}

void CMainDialogDriver::PressKey(UINT vk, bool ctrl) {
    SendKey(List(), vk, ctrl);
    Pump();
}

void CMainDialogDriver::PressKeyIn(int nID, UINT vk) {
    const HWND hControl = ::GetDlgItem(Window(), nID);
    ::SetFocus(hControl);
    ::PostMessageW(hControl, WM_KEYDOWN, vk, 1);
    ::PostMessageW(hControl, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    Pump();
}

std::vector<ShownMenuItem> CMainDialogDriver::ContextMenu(wchar_t accessKey, const POINT* pScreen) {
    MenuScript script;
    script.accessKey = accessKey;
    g_pMenuScript = &script;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &MenuTimerProc);
    const LPARAM where = pScreen != nullptr ? MAKELPARAM(pScreen->x, pScreen->y) : -1;
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), where);
    ::KillTimer(nullptr, timer);
    g_pMenuScript = nullptr;
    Pump();
    return script.items;
}

void CMainDialogDriver::SelectRows(const std::vector<int>& rows) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&item));
    for (const int row : rows) {
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
    }
    Pump();
}

void CMainDialogDriver::TypePath(const std::wstring& text) {
    ::SetDlgItemTextW(Window(), IDC_PATH, text.c_str());
    Pump();
}

std::wstring CMainDialogDriver::PathText() const {
    return ControlText(IDC_PATH);
}

int CMainDialogDriver::RowCount() const {
    return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

std::vector<std::wstring> CMainDialogDriver::Row(int row) const {
    CListCtrl list;
    list.Attach(List());
    std::vector<std::wstring> texts;
    for (int column = 0; column < 5; ++column) texts.push_back(list.GetItemText(row, column));
    return texts;
}

std::vector<std::vector<std::wstring>> CMainDialogDriver::Rows() const {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < RowCount(); ++row) rows.push_back(Row(row));
    return rows;
}

std::vector<std::wstring> CMainDialogDriver::Column(int column) const {
    CListCtrl list;
    list.Attach(List());
    std::vector<std::wstring> texts;
    for (int row = 0; row < RowCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
}

std::vector<int> CMainDialogDriver::SelectedRows() const {
    std::vector<int> rows;
    for (int row = -1;;) {
        row = static_cast<int>(
            ::SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0) break;
        rows.push_back(row);
    }
    return rows;
}

std::wstring CMainDialogDriver::ColumnHeading(int column) const {
    wchar_t text[256] = {};
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = 256;
    if (!::SendMessageW(List(), LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                        reinterpret_cast<LPARAM>(&info)))
        return std::wstring();
    text[255] = L'\0';
    return text;
}

std::wstring CMainDialogDriver::ControlText(int nID) const {
    return TextOf(::GetDlgItem(Window(), nID));
}

HWND CMainDialogDriver::List() const {
    return ::GetDlgItem(Window(), IDC_QUARANTINE_LIST);
}

// CSettingsSandbox -----------------------------------------------------------

CSettingsSandbox::CSettingsSandbox() {
    m_saved = {{HKEY_CURRENT_USER, kSettings, L"Path", false, std::wstring()},
               {HKEY_CURRENT_USER, kSettings, L"DestPath", false, std::wstring()},
               {HKEY_LOCAL_MACHINE, kProduct, L"QuarantineDef", false, std::wstring()}};
    for (Saved& saved : m_saved) {
        saved.present = ReadValue(saved.hRoot, saved.subKey, saved.valueName, &saved.value);
        DeleteValue(saved.hRoot, saved.subKey, saved.valueName);
    }
}

CSettingsSandbox::~CSettingsSandbox() {
    for (const Saved& saved : m_saved) {
        if (saved.present)
            WriteValue(saved.hRoot, saved.subKey, saved.valueName, saved.value);
        else
            DeleteValue(saved.hRoot, saved.subKey, saved.valueName);
    }
}

void CSettingsSandbox::SetPath(const std::wstring& value) {
    WriteValue(HKEY_CURRENT_USER, kSettings, L"Path", value);
}

void CSettingsSandbox::SetDestPath(const std::wstring& value) {
    WriteValue(HKEY_CURRENT_USER, kSettings, L"DestPath", value);
}

void CSettingsSandbox::SetQuarantineDef(const std::wstring& value) {
    WriteValue(HKEY_LOCAL_MACHINE, kProduct, L"QuarantineDef", value);
}

std::wstring CSettingsSandbox::Path(bool* present) const {
    std::wstring value;
    const bool found = ReadValue(HKEY_CURRENT_USER, kSettings, L"Path", &value);
    if (present != nullptr) *present = found;
    return value;
}

std::wstring CSettingsSandbox::DestPath(bool* present) const {
    std::wstring value;
    const bool found = ReadValue(HKEY_CURRENT_USER, kSettings, L"DestPath", &value);
    if (present != nullptr) *present = found;
    return value;
}

// CThreadLanguage ------------------------------------------------------------

CThreadLanguage::CThreadLanguage(LANGID language)
    : m_previousUiLanguage(::GetThreadUILanguage()), m_previousLocale(::GetThreadLocale()) {
    // Resource look-ups follow the thread's user-interface language; older
    // loaders follow the thread locale instead, so both are switched.
    ::SetThreadUILanguage(language);
    ::SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
}

CThreadLanguage::~CThreadLanguage() {
    ::SetThreadLocale(m_previousLocale);
    ::SetThreadUILanguage(m_previousUiLanguage);
}

std::wstring StandinDir() {
    return TestBinDir() + L"\\standin";
}

std::wstring DoublesDir(const std::wstring& name) {
    return TestBinDir() + L"\\doubles\\" + name;
}

CProgressCanceller::CProgressCanceller(HWND hMain, Ready ready, std::function<void()> beforeCancel)
    : m_thread([this, hMain, ready, beforeCancel] {
          const ULONGLONG begin = ::GetTickCount64();
          while (::GetTickCount64() - begin < 20000 && !Done()) {
              HWND hProgress = nullptr;
              for (HWND hWnd = nullptr;
                   (hWnd = ::FindWindowExW(nullptr, hWnd, L"#32770", nullptr)) != nullptr;)
                  if (::GetWindow(hWnd, GW_OWNER) == hMain && ::IsWindowVisible(hWnd))
                      hProgress = hWnd;
              std::vector<std::wstring> shown;
              for (HWND hChild = nullptr;
                   hProgress != nullptr &&
                   (hChild = ::FindWindowExW(hProgress, hChild, L"Static", nullptr)) != nullptr;) {
                  wchar_t text[256] = {};
                  ::GetWindowTextW(hChild, text, 256);
                  shown.push_back(text);
              }
              if (hProgress == nullptr || !ready(shown)) {
                  WaitDone(10);
                  continue;
              }
              wchar_t title[256] = {};
              ::GetWindowTextW(hProgress, title, 256);
              caption = title;
              texts = shown;
              mainDisabled = !::IsWindowEnabled(hMain);
              DWORD_PTR result = 0;
              mainAnswered =
                  ::SendMessageTimeoutW(hMain, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
              if (beforeCancel) beforeCancel();
              ::SendMessageW(hProgress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(::GetDlgItem(hProgress, IDCANCEL)));
              found = true;
              break;
          }
          ::SetEvent(m_done.Get());
      }) {}

void CProgressCanceller::Join() {
    ::SetEvent(m_done.Get());
    if (m_thread.joinable()) m_thread.join();
}
