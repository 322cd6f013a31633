#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <clocale>
#include <cstdio>
#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <random>

#include "res/resource.h"
#include "tests/doubles/in_process/FakeQuarantineLibrary.h"
#include "tests/gui/GuiDriver.h"
#include "ui/ListingText.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

// The order the list control itself gives texts inserted one by one in the
// given order into a list with the main dialog's ascending-sort style.
std::vector<std::wstring> ControlOrder(const std::vector<std::wstring>& texts) {
    HWND hList = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_SORTASCENDING,
                                   0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    CListCtrl list;
    list.Attach(hList);
    list.InsertColumn(0, L"", LVCFMT_LEFT, 50);
    for (const std::wstring& text : texts) list.InsertItem(list.GetItemCount(), text);
    std::vector<std::wstring> order;
    for (int row = 0; row < list.GetItemCount(); ++row) order.push_back(list.GetItemText(row, 0));
    ::DestroyWindow(hList);
    return order;
}

class Listing : public testing::Test {
protected:
    void SetUp() override {
        setlocale(LC_ALL, "C");
        settings.SetPath(L"C:\\Q\\");
    }
    void TearDown() override { setlocale(LC_ALL, "C"); }

    FakeQuarantineState& State() { return fake.State(); }
    void Create() {
        ASSERT_TRUE(driver.Create());
        answerer.ClearShown();
    }

    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    CFakeQuarantineLibrary fake{driver.Dialog().m_ZEBQt};
};

// The dialog, its path box and its list are shown, and none of them waits to
// be painted.
bool Painted(HWND hDialog) {
    const HWND windows[] = {hDialog, ::GetDlgItem(hDialog, IDC_PATH),
                            ::GetDlgItem(hDialog, IDC_QUARANTINE_LIST)};
    return std::all_of(std::begin(windows), std::end(windows), [](HWND hWnd) {
        return ::IsWindowVisible(hWnd) && !::GetUpdateRect(hWnd, nullptr, FALSE);
    });
}

}  // namespace

TEST_F(Listing, RowsStandInTheListsOrderWithEachContainersOwnTexts) {
    State().containers = {
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\b.q", L"Virus.B", L"C:\\Docs\\b.doc",
                                              Time(2024, 5, 3, 17, 13)),
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\A.q", L"Virus.A", L"\\\\?\\D:\\Data\\a.exe",
                                              Time(2023, 1, 2, 8, 5)),
        CFakeQuarantineLibrary::MakeContainer(L"c.q", L"", L"\\c.txt", Time(1899, 1, 1, 0, 0)),
    };
    Create();

    EXPECT_EQ(driver.Column(0), ControlOrder({L"b.q", L"A.q", L"c.q"}));
    std::map<std::wstring, std::vector<std::wstring>> byName;
    for (const std::vector<std::wstring>& row : driver.Rows()) byName[row[0]] = row;
    EXPECT_EQ(byName[L"b.q"], (std::vector<std::wstring>{L"b.q", L"Virus.B", L"b.doc", L"C:\\Docs",
                                                         L"05/03/24 17:13"}));
    EXPECT_EQ(byName[L"A.q"], (std::vector<std::wstring>{L"A.q", L"Virus.A", L"a.exe", L"D:\\Data",
                                                         L"01/02/23 08:05"}));
    EXPECT_EQ(byName[L"c.q"],
              (std::vector<std::wstring>{L"c.q", L"", L"", L"", TimestampText(SYSTEMTIME{})}));
    EXPECT_EQ(State().openHandles, 0);
}

TEST_F(Listing, ManyRowsInAnyOrderGetTheControlsOrderAndTheirOwnColumns) {
    // Mixed case, equal texts apart from case, digits and punctuation: the
    // list control decides the order, whatever order the rows arrive in.
    std::mt19937 random(12345);
    const wchar_t alphabet[] = L"aAbBzZ09-_ .~";
    std::vector<std::wstring> names;
    for (int i = 0; i < 300; ++i) {
        std::wstring name;
        for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n)
            name += alphabet[random() % 13];
        name += L"." + std::to_wstring(i);
        names.push_back(name);
        State().containers.push_back(CFakeQuarantineLibrary::MakeContainer(
            L"C:\\Q\\" + name, L"V" + std::to_wstring(i),
            L"C:\\F" + std::to_wstring(i) + L"\\f.txt", SYSTEMTIME{}));
    }
    Create();

    ASSERT_EQ(driver.Column(0), ControlOrder(names));
    for (const std::vector<std::wstring>& row : driver.Rows()) {
        const std::wstring index = row[0].substr(row[0].rfind(L'.') + 1);
        EXPECT_EQ(row[1], L"V" + index) << row[0];
        EXPECT_EQ(row[3], L"C:\\F" + index) << row[0];
    }
}

// A Reload with a selection keeps it on its items (the restore tests show that).
TEST_F(Listing, FillLeavesNothingSelectedAndTheListAtItsTopWithTheFocusThere) {
    for (int i = 0; i < 60; ++i)
        State().containers.push_back(CFakeQuarantineLibrary::MakeContainer(
            L"C:\\Q\\" + std::to_wstring(i), L"V", L"C:\\x", SYSTEMTIME{}));
    Create();
    HWND hList = ::GetDlgItem(driver.Window(), IDC_QUARANTINE_LIST);
    driver.SelectRows({});
    ::SendMessageW(hList, LVM_ENSUREVISIBLE, 59, FALSE);
    driver.Click(IDC_RELOAD);

    EXPECT_EQ(driver.RowCount(), 60);
    EXPECT_TRUE(driver.SelectedRows().empty());
    EXPECT_EQ(::SendMessageW(hList, LVM_GETTOPINDEX, 0, 0), 0);
    // The top row has the focus, unselected, so that the list shows where
    // the keyboard is as soon as it gets there.
    EXPECT_EQ(::SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);
}

TEST_F(Listing, FormerLocationComesFromTheFirstFileObjectOnly) {
    FakeContainer empty =
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\1-empty", L"V", L"", SYSTEMTIME{});
    empty.objects.clear();
    FakeContainer others = CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\2-others", L"V",
                                                                 L"C:\\reg\\x", SYSTEMTIME{});
    others.objects[0].kind = 1;
    FakeContainer second = CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\3-second", L"V",
                                                                 L"C:\\A\\first.txt", SYSTEMTIME{});
    second.objects.insert(second.objects.begin(), FakeObject{L"C:\\Reg\\Key", L"V", 2});
    second.objects.push_back(FakeObject{L"C:\\B\\second.txt", L"V", 0});
    State().containers = {empty, others, second};
    Create();

    ASSERT_EQ(driver.RowCount(), 3);
    EXPECT_EQ(driver.Row(0)[2], L"");
    EXPECT_EQ(driver.Row(0)[3], L"");
    EXPECT_EQ(driver.Row(1)[2], L"");
    EXPECT_EQ(driver.Row(1)[3], L"");
    EXPECT_EQ(driver.Row(2)[2], L"first.txt");
    EXPECT_EQ(driver.Row(2)[3], L"C:\\A");
    EXPECT_EQ(State().openHandles, 0);
}

TEST_F(Listing, ContainersWithUnreadablePropertiesOrOddTimesAreStillListed) {
    FakeContainer unreadable =
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\u", L"V", L"C:\\u\\u", SYSTEMTIME{});
    unreadable.propertiesFail = true;
    SYSTEMTIME odd = Time(2024, 13, 40, 25, 61);
    odd.wSecond = 99;
    State().containers = {
        unreadable,
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\odd", L"V.Odd", L"C:\\o\\o.txt", odd),
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\far", L"V.Far", L"C:\\f\\f.txt",
                                              Time(65535, 12, 31, 23, 59)),
    };
    Create();

    ASSERT_EQ(driver.RowCount(), 3);
    std::map<std::wstring, std::vector<std::wstring>> byName;
    for (const std::vector<std::wstring>& row : driver.Rows()) byName[row[0]] = row;
    // Unreadable properties: no name, no virus, the zeroed time (the epoch);
    // the file object is still read.
    EXPECT_EQ(byName[L""],
              (std::vector<std::wstring>{L"", L"", L"u", L"C:\\u", TimestampText(SYSTEMTIME{})}));
    EXPECT_EQ(byName[L"odd"],
              (std::vector<std::wstring>{L"odd", L"V.Odd", L"o.txt", L"C:\\o", L""}));
    EXPECT_EQ(byName[L"far"],
              (std::vector<std::wstring>{L"far", L"V.Far", L"f.txt", L"C:\\f", L""}));
}

TEST_F(Listing, QuarantineThatDoesNotOpenOrEnumerateGivesAnEmptyListSilently) {
    State().containers = {
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\a", L"V", L"C:\\a\\a", SYSTEMTIME{})};
    Create();
    ASSERT_EQ(driver.RowCount(), 1);

    State().acceptedFolder = L"C:\\Only\\";
    driver.Click(IDC_RELOAD);
    EXPECT_EQ(driver.RowCount(), 0);

    driver.TypePath(L"C:\\Only");
    driver.Click(IDC_RELOAD);
    EXPECT_EQ(driver.RowCount(), 1);

    State().enumerationFails = true;
    driver.Click(IDC_RELOAD);
    EXPECT_EQ(driver.RowCount(), 0);
    EXPECT_TRUE(answerer.Shown().empty());
    EXPECT_EQ(State().openHandles, 0);
}

TEST_F(Listing, ReloadStartsFromAnEmptyList) {
    State().containers = {
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\old", L"V", L"C:\\a\\a", SYSTEMTIME{})};
    Create();
    State().containers = {
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\new1", L"V", L"C:\\a\\a", SYSTEMTIME{}),
        CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\new2", L"V", L"C:\\a\\a", SYSTEMTIME{})};
    driver.Click(IDC_RELOAD);
    EXPECT_EQ(driver.Column(0), (std::vector<std::wstring>{L"new1", L"new2"}));
}

TEST_F(Listing, TenThousandContainersListQuicklyOnceTheWindowHasPainted) {
    std::mt19937 random(4711);
    for (int i = 0; i < 10000; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"%08X.qua", static_cast<unsigned>(random()));
        State().containers.push_back(CFakeQuarantineLibrary::MakeContainer(
            L"C:\\Q\\" + std::wstring(name), L"Test-File.Standard",
            L"C:\\Users\\me\\Downloads\\file.exe", Time(2024, 5, 3, 17, 13)));
    }
    // The window shows and paints before the store is read.
    bool paintedFirst = false;
    State().beforeOpenContainer = [&](int32_t index) {
        if (index == 0) paintedFirst = Painted(driver.Window()) && driver.RowCount() == 0;
    };
    Create();
    State().beforeOpenContainer = nullptr;
    EXPECT_TRUE(paintedFirst);
    ASSERT_EQ(driver.RowCount(), 10000);

    LARGE_INTEGER frequency, start, filled, printed;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    driver.Dialog().FillQuarantineList();
    ::QueryPerformanceCounter(&filled);
    // What the platform's debugger output alone costs for as many lines.
    for (int i = 0; i < 10000; ++i) ::OutputDebugStringW(L"Load: 0123ABCD.qua\n");
    ::QueryPerformanceCounter(&printed);

    const double fill = static_cast<double>(filled.QuadPart - start.QuadPart) / frequency.QuadPart;
    const double debugOutput =
        static_cast<double>(printed.QuadPart - filled.QuadPart) / frequency.QuadPart;
    std::printf("10,000 containers listed in %.3f s, of which about %.3f s debugger output\n", fill,
                debugOutput);
    EXPECT_EQ(driver.RowCount(), 10000);
    // Generous: the machine may be busy. Sorted insertion in the wrong order
    // takes minutes here.
    EXPECT_LT(fill, 10.0);
}

// A slow store: the first container takes longer than the fill's progress
// delay, each other one a little while. The user cancels once the progress
// counts what was read; the rows read so far stay listed, and a message says
// the list is incomplete. A Reload then lists everything.
TEST_F(Listing, CancelDuringALongFillKeepsTheRowsReadSoFarAndSaysTheListIsIncomplete) {
    Create();
    InBothLanguages([&](bool german) {
        const int kContainers = 200;
        State().containers.clear();
        for (int i = 0; i < kContainers; ++i)
            State().containers.push_back(CFakeQuarantineLibrary::MakeContainer(
                L"C:\\Q\\f" + std::to_wstring(1000 + i) + L".qua", L"V", L"C:\\a\\a",
                SYSTEMTIME{}));
        answerer.ClearShown();
        std::atomic<int> opened(0);
        int openedAtCancel = 0;
        State().beforeOpenContainer = [&](int32_t index) {
            opened = index + 1;
            // The library's own reading time, not a wait for anything: the
            // first container outlasts the progress's delay, each other one
            // the interval at which the fill asks for Cancel.
            ::Sleep(
                static_cast<DWORD>(index == 0 ? CQuarantineDlg::kFillProgressDelayMs + 100 : 20));
        };
        const std::wstring read =
            german ? L" Quarantänedateien gelesen" : L" quarantine files read";
        CProgressCanceller user(
            driver.Window(),
            [&](const std::vector<std::wstring>& texts) {
                return std::any_of(texts.begin(), texts.end(), [&](const std::wstring& t) {
                    return t.size() > read.size() &&
                           t.compare(t.size() - read.size(), read.size(), read) == 0;
                });
            },
            [&] { openedAtCancel = opened; });
        driver.Click(IDC_RELOAD);
        user.Join();
        State().beforeOpenContainer = nullptr;

        ASSERT_TRUE(user.found) << "no progress counting the quarantine files read";
        EXPECT_EQ(user.caption, german ? L"Quarantäne wird gelesen" : L"Reading the quarantine");
        EXPECT_TRUE(user.mainDisabled);
        EXPECT_TRUE(user.mainAnswered);
        EXPECT_TRUE(::IsWindowEnabled(driver.Window()));
        // Cancel stops the reading before the next container.
        const int listed = driver.RowCount();
        EXPECT_GE(listed, openedAtCancel);
        EXPECT_LE(listed, openedAtCancel + 1);
        EXPECT_LT(listed, kContainers);
        std::vector<std::wstring> expected;
        for (int i = 0; i < listed; ++i)
            expected.push_back(L"f" + std::to_wstring(1000 + i) + L".qua");
        EXPECT_EQ(driver.Column(0), expected);
        ASSERT_EQ(answerer.Shown().size(), 1u);
        const std::wstring count = std::to_wstring(listed);
        EXPECT_EQ(answerer.Shown()[0].text,
                  german ? L"Die Liste ist unvollständig: Das Lesen wurde nach " + count +
                               L" Quarantänedateien abgebrochen.\n\nErneut Laden (F5) liest die "
                               L"ganze Quarantäne."
                         : L"The list is incomplete: reading was cancelled after " + count +
                               L" quarantine files.\n\nReload (F5) reads the whole quarantine.");
        EXPECT_EQ(answerer.Shown()[0].icon, static_cast<UINT>(MB_ICONINFORMATION));

        driver.Click(IDC_RELOAD);
        EXPECT_EQ(driver.RowCount(), kContainers);
        EXPECT_EQ(answerer.Shown().size(), 1u);
    });
}
