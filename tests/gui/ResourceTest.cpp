#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/Languages.h"
#include "ui/AccessKeys.h"

// The dialog templates as compiled into the program, read back from the
// resource data: styles, geometry, ids and tab order in both languages.

namespace {

struct TemplateControl {
    DWORD style;
    DWORD exStyle;
    int x, y, cx, cy;
    int id;
    std::wstring windowClass;  // predefined classes by name, e.g. L"Button"
    std::wstring text;
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    int x, y, cx, cy;
    std::wstring caption;
    WORD pointSize;
    std::wstring font;
    std::vector<TemplateControl> controls;
};

class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return static_cast<short>(Word()); }
    // A name-or-ordinal field: 0xFFFF and an ordinal, or a NUL-terminated text.
    std::wstring NameOrOrdinal() {
        const WORD first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (WORD c = first; c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t n) { m_pos += n; }

private:
    template <typename T>
    T Read() {
        if (m_pos + sizeof(T) > m_size) throw std::runtime_error("template ends early");
        T value;
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

std::wstring ClassName(const std::wstring& nameOrOrdinal) {
    if (nameOrOrdinal == L"#128") return L"Button";
    if (nameOrOrdinal == L"#129") return L"Edit";
    if (nameOrOrdinal == L"#130") return L"Static";
    return nameOrOrdinal;
}

DialogTemplate LoadTemplate(int nID, LANGID language) {
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    HRSRC hInfo = ::FindResourceExW(hModule, MAKEINTRESOURCEW(5) /* RT_DIALOG */,
                                    MAKEINTRESOURCEW(nID), language);
    if (hInfo == nullptr) throw std::runtime_error("no such template");
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(hModule, hInfo)));
    Reader in(data, ::SizeofResource(hModule, hInfo));

    DialogTemplate dialog;
    if (in.Word() != 1 || in.Word() != 0xFFFF) throw std::runtime_error("not an extended template");
    in.Dword();  // help id
    dialog.exStyle = in.Dword();
    dialog.style = in.Dword();
    const WORD count = in.Word();
    dialog.x = in.Short();
    dialog.y = in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    in.NameOrOrdinal();  // menu
    in.NameOrOrdinal();  // class
    dialog.caption = in.NameOrOrdinal();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        in.Word();  // weight
        in.Word();  // italic, charset
        dialog.font = in.NameOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignDword();
        TemplateControl control;
        in.Dword();  // help id
        control.exStyle = in.Dword();
        control.style = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = static_cast<int>(in.Dword());
        control.windowClass = ClassName(in.NameOrOrdinal());
        control.text = in.NameOrOrdinal();
        in.Skip(in.Word());  // creation data
        dialog.controls.push_back(control);
    }
    return dialog;
}

struct ExpectedControl {
    int id;
    const wchar_t* windowClass;
    DWORD style;  // exact, including WS_CHILD | WS_VISIBLE
    int x, y, cx, cy;
    const wchar_t* english;
    const wchar_t* german;
};

const DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

const ExpectedControl kMainControls[] = {
    {IDC_STATIC, L"Static", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 7, 7, 39, 8, L"&Path:",
     L"&Verzeichnis:"},
    {IDC_PATH, L"Edit", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
     7, 17, 426, 14, L"", L""},
    {IDC_RELOAD, L"Button", kButton, 356, 33, 57, 14, L"Re&load", L"Erneut &Laden"},
    {IDC_BROWSE, L"Button", kButton, 417, 33, 16, 14, L"&...", L"&..."},
    {IDC_LIST_LABEL, L"Static", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 7, 41, 200, 8,
     L"Quarantined &items:", L"&Objekte in Quarantäne:"},
    {IDC_QUARANTINE_LIST, L"SysListView32", 0x50810019, 7, 53, 426, 163, L"", L""},
    {IDC_RESTORE, L"Button", kButton, 124, 218, 70, 14, L"&Restore...", L"&Zurückbewegen..."},
    {IDCANCEL, L"Button", kButton, 379, 218, 50, 14, L"Clo&se", L"S&chließen"},
    {IDC_CLEAN_AND_RESTORE, L"Button", kButton, 7, 218, 112, 14, L"&Clean and restore...",
     L"&Säubern und Zurückbewegen..."},
    {IDC_RESTORE_TO_NEW_LOCATION, L"Button", kButton, 198, 218, 112, 14,
     L"Restore to &new location...", L"Zurückbewegen (&neuer Ordner)..."},
    {IDC_COLLECTION, L"Button", kButton, 314, 218, 50, 14, L"C&ollection", L"Sa&mmlung"},
};

void ExpectControls(const DialogTemplate& dialog, const ExpectedControl* expected, size_t count,
                    bool german) {
    ASSERT_EQ(dialog.controls.size(), count);
    for (size_t i = 0; i < count; ++i) {
        const TemplateControl& got = dialog.controls[i];
        const ExpectedControl& want = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " id " << want.id);
        EXPECT_EQ(got.id, want.id);
        // Class names are case-insensitive; resource compilers differ in case.
        EXPECT_EQ(::lstrcmpiW(got.windowClass.c_str(), want.windowClass), 0) << got.windowClass;
        EXPECT_EQ(got.style, want.style) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.text, german ? want.german : want.english);
    }
}

}  // namespace

TEST(Resources, MainDialogTemplateInBothLanguages) {
    for (const LANGID language : {kEnglish, kGerman}) {
        const bool german = language == kGerman;
        SCOPED_TRACE(german ? "German" : "English");
        const DialogTemplate dialog = LoadTemplate(IDD_QUARANTINE_DIALOG, language);
        EXPECT_EQ(dialog.style, 0x90C40040u) << std::hex << dialog.style;
        EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
        EXPECT_EQ(dialog.cx, 440);
        EXPECT_EQ(dialog.cy, 250);
        EXPECT_EQ(dialog.caption, german ? L"Quarantäne" : L"Quarantine");
        EXPECT_EQ(dialog.pointSize, 8);
        EXPECT_EQ(dialog.font, L"MS Shell Dlg");
        ExpectControls(dialog, kMainControls, sizeof(kMainControls) / sizeof(kMainControls[0]),
                       german);
    }
}

TEST(Resources, EveryButtonAndLabelHasAnAccessKeyOfItsOwnInEachLanguage) {
    for (const int nID : {IDD_QUARANTINE_DIALOG, IDD_ITEM_PROPERTIES}) {
        for (const LANGID language : {kEnglish, kGerman}) {
            SCOPED_TRACE(testing::Message() << "dialog " << nID << " language " << language);
            std::vector<std::wstring> texts;
            for (const TemplateControl& control : LoadTemplate(nID, language).controls) {
                const bool labelled = control.windowClass == L"Button" ||
                                      (control.windowClass == L"Static" && !control.text.empty());
                if (!labelled) continue;
                EXPECT_NE(AccessKeyOf(control.text), 0) << control.text;
                texts.push_back(control.text);
            }
            EXPECT_TRUE(RepeatedAccessKeys(texts).empty());
        }
    }
}

TEST(Resources, AboutBoxTemplateInBothLanguages) {
    for (const LANGID language : {kEnglish, kGerman}) {
        SCOPED_TRACE(language == kGerman ? "German" : "English");
        const DialogTemplate dialog = LoadTemplate(IDD_ABOUTBOX, language);
        EXPECT_EQ(dialog.style & (DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP),
                  static_cast<DWORD>(DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP));
        EXPECT_EQ(dialog.cx, 235);
        EXPECT_EQ(dialog.cy, 55);
        EXPECT_EQ(dialog.caption, L"Info über Quarantine");
        ASSERT_EQ(dialog.controls.size(), 4u);

        const TemplateControl& icon = dialog.controls[0];
        EXPECT_EQ(icon.windowClass, L"Static");
        EXPECT_EQ(icon.style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
        EXPECT_EQ(icon.text, L"#" + std::to_wstring(IDR_MAINFRAME));
        EXPECT_EQ(icon.x, 11);
        EXPECT_EQ(icon.y, 17);

        const TemplateControl& version = dialog.controls[1];
        EXPECT_EQ(version.text, L"Quarantine Version 1.0");
        EXPECT_NE(version.style & SS_NOPREFIX, 0u);
        EXPECT_EQ(version.x, 40);
        EXPECT_EQ(version.y, 10);

        const TemplateControl& notice = dialog.controls[2];
        EXPECT_FALSE(notice.text.empty());
        EXPECT_EQ(notice.x, 40);
        EXPECT_EQ(notice.y, 25);
        EXPECT_EQ(notice.cx, 119);
        EXPECT_EQ(notice.cy, 8);

        const TemplateControl& ok = dialog.controls[3];
        EXPECT_EQ(ok.id, IDOK);
        EXPECT_EQ(ok.style & 0x0F, static_cast<DWORD>(BS_DEFPUSHBUTTON));
        EXPECT_EQ(ok.x, 178);
        EXPECT_EQ(ok.y, 7);
        EXPECT_EQ(ok.cx, 50);
        EXPECT_EQ(ok.cy, 14);
    }
}

TEST(Resources, EveryStringExistsInBothLanguages) {
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    for (const LANGID language : {kEnglish, kGerman}) {
        for (UINT nID = IDS_ABOUTBOX; nID <= IDS_POLICY_FOLDER_SET; ++nID) {
            // String resources come in blocks of sixteen.
            HRSRC hBlock = ::FindResourceExW(hModule, MAKEINTRESOURCEW(6) /* RT_STRING */,
                                             MAKEINTRESOURCEW(nID / 16 + 1), language);
            ASSERT_NE(hBlock, nullptr) << nID;
            const WCHAR* entry =
                static_cast<const WCHAR*>(::LockResource(::LoadResource(hModule, hBlock)));
            for (UINT skip = 0; skip < nID % 16; ++skip) entry += 1 + *entry;
            EXPECT_GT(*entry, 0) << "string " << nID << " language " << language;
        }
    }
}

TEST(Resources, IconHoldsTheUsualSizes) {
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    HRSRC hGroup = ::FindResourceW(hModule, MAKEINTRESOURCEW(IDR_MAINFRAME),
                                   MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(hGroup, nullptr);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(hModule, hGroup)));
    Reader in(data, ::SizeofResource(hModule, hGroup));
    in.Word();  // reserved
    EXPECT_EQ(in.Word(), 1);
    const WORD count = in.Word();
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = data + 6 + 14 * i;
        sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        EXPECT_EQ(entry[6], 32) << "bits per pixel of entry " << i;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));
}

// The manifest says what the program may be given by the system: common
// controls 6, its own DPI scaling, and file calls past MAX_PATH where the
// system allows them, each setting in the namespace that defines it.
TEST(Resources, ManifestDeclaresDpiAndLongPathAwareness) {
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    HRSRC hManifest = ::FindResourceW(hModule, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(hManifest, nullptr);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(hModule, hManifest)));
    const std::string manifest(data, ::SizeofResource(hModule, hManifest));
    const char* const settings[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true"
        "</longPathAware>",
    };
    const size_t windowsSettings = manifest.find("<windowsSettings>");
    ASSERT_NE(windowsSettings, std::string::npos);
    for (const char* setting : settings)
        EXPECT_NE(manifest.find(setting), std::string::npos) << setting;
    EXPECT_GT(manifest.find(settings[2]), windowsSettings);
    EXPECT_LT(manifest.find(settings[2]), manifest.find("</windowsSettings>"));
}
