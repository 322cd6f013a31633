// How soon the real program's window comes up and how soon its list is full,
// from the moment the program is started, on stores of 1,000, 10,000 and
// 50,000 items of the stand-in library.
//
// Time to window: until the dialog is visible and painted, the list control
// included (neither has anything left to paint). Its floor is the same on an
// empty store, so the ratio says how much the window waits for the store.
//
// Time to last row: until the list holds every row. Its floor is what the
// program did before its window came first: the time to the window on the
// empty store plus the fill of the same store in this process, in a dialog
// nobody sees (so it shows no progress), as Reload runs it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchStore.h"
#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "settings/Registry.h"
#include "ui/QuarantineDlg.h"

namespace {

struct StartTimes {
    double window = 0;   // seconds from the start to the painted window
    double lastRow = 0;  // seconds from the start to the list holding every row
    bool ok = false;
};

struct FindDialog {
    DWORD processId;
    HWND hDialog;
};

BOOL CALLBACK FindProgramDialog(HWND hWnd, LPARAM lParam) {
    FindDialog& find = *reinterpret_cast<FindDialog*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId != find.processId || ::GetDlgItem(hWnd, IDC_QUARANTINE_LIST) == nullptr)
        return TRUE;
    find.hDialog = hWnd;
    return FALSE;
}

// Shown, and nothing of it waits to be painted.
bool Painted(HWND hDialog) {
    if (!::IsWindowVisible(hDialog) || ::GetUpdateRect(hDialog, nullptr, FALSE)) return false;
    for (HWND hChild = ::GetWindow(hDialog, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        if (::IsWindowVisible(hChild) && ::GetUpdateRect(hChild, nullptr, FALSE)) return false;
    return true;
}

// Starts the program on the store the settings point at, times its window
// and its rows, and closes it.
StartTimes TimeOneStart(const std::wstring& exe, size_t rows) {
    StartTimes times;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return times;
    CKernelHandle hProcess(process.hProcess);
    CKernelHandle hThread(process.hThread);
    const double timeout = 300;

    FindDialog find = {process.dwProcessId, nullptr};
    while (Now() - start < timeout) {
        if (find.hDialog == nullptr)
            ::EnumWindows(&FindProgramDialog, reinterpret_cast<LPARAM>(&find));
        if (find.hDialog != nullptr && Painted(find.hDialog)) {
            times.window = Now() - start;
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) return times;
    }
    // The list answers between the containers it reads, and at once when the
    // fill is over: one question always waiting catches the end.
    const HWND hList = ::GetDlgItem(find.hDialog, IDC_QUARANTINE_LIST);
    while (times.window > 0 && Now() - start < timeout) {
        DWORD_PTR count = 0;
        if (!::SendMessageTimeoutW(hList, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 60000, &count))
            break;
        if (count >= rows) {
            times.lastRow = Now() - start;
            times.ok = count == rows;
            break;
        }
    }
    ::PostMessageW(find.hDialog, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    return times;
}

double Seconds(const FILETIME& kernel, const FILETIME& user) {
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    return Seconds(kernel, user);
}

double ProcessSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel, user);
}

// Points the program's settings at a folder for as long as it lives.
class CQuarantinePathSetting {
public:
    explicit CQuarantinePathSetting(const std::wstring& folder)
        : m_old(ReadRegString(HKEY_CURRENT_USER, kSettingsKey, kValuePath, kNone)) {
        Set(folder);
    }
    ~CQuarantinePathSetting() {
        if (m_old == kNone)
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kValuePath);
        else
            Set(m_old);
    }
    CQuarantinePathSetting(const CQuarantinePathSetting&) = delete;
    CQuarantinePathSetting& operator=(const CQuarantinePathSetting&) = delete;
    void Set(const std::wstring& folder) {
        WriteRegString(HKEY_CURRENT_USER, kSettingsKey, kValuePath, folder, FALSE);
    }

private:
    static constexpr const wchar_t* kNone = L"\x01(none)";
    std::wstring m_old;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 30);
    // --rows N times that one size instead.
    std::vector<size_t> sizes{1000, 10000, 50000};
    if (options.small)
        sizes = {10, 30};
    else if (options.rows != BenchOptions().rows)
        sizes = {static_cast<size_t>(options.rows)};
    const int reps = options.small ? 1 : std::max(1, std::min(options.reps, 3));
    const std::wstring scratch = MakeScratchFolder(L"window-bench");
    const std::wstring app = scratch + L"\\app";
    const std::wstring empty = scratch + L"\\empty";
    for (const std::wstring& folder : {app, empty}) ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring bin = BenchBinDir();
    const std::wstring exe = app + L"\\Quarantine.exe";
    bool copied = true;
    for (const auto& from :
         {std::make_pair(bin + L"\\Quarantine.exe", exe),
          std::make_pair(bin + L"\\standin\\ZEBQt.dll", app + L"\\ZEBQt.dll"),
          std::make_pair(bin + L"\\standin\\ZEBScanP.dll", app + L"\\ZEBScanP.dll")})
        copied = copied && ::CopyFileW(from.first.c_str(), from.second.c_str(), FALSE);
    if (!copied) {
        std::fwprintf(stderr, L"the program or the stand-in libraries are not built\n");
        RemoveFolder(scratch);
        return 1;
    }

    int failures = 0;
    {
        CQuarantinePathSetting setting(empty);
        CBenchDialog inProcess(bin + L"\\standin");
        // Nobody sees this dialog's fill, so it shows no progress: the fill
        // as it ran before the window came first.
        ::ShowWindow(inProcess.Dialog().GetSafeHwnd(), SW_HIDE);
        TimeOneStart(exe, 0);  // the program's files into the cache
        for (const size_t size : sizes) {
            const std::wstring store = scratch + L"\\store" + std::to_wstring(size);
            ::CreateDirectoryW(store.c_str(), nullptr);
            std::vector<BenchContainer> rows = MakeContainers(static_cast<int>(size), true);
            if (!MakeStore(store, rows)) {
                std::fwprintf(stderr, L"the store of %zu could not be made\n", size);
                ++failures;
                break;
            }
            std::vector<double> window, emptyWindow, lastRow, todaysFill;
            for (int rep = 0; rep < reps; ++rep) {
                setting.Set(empty);
                const StartTimes bare = TimeOneStart(exe, 0);
                setting.Set(store);
                const StartTimes full = TimeOneStart(exe, size);
                const double fillStart = Now();
                inProcess.Reload(store);
                const double fill = Now() - fillStart;
                if (!bare.ok || !full.ok ||
                    inProcess.Dialog().m_lstQuarantine.GetItemCount() != static_cast<int>(size)) {
                    std::fwprintf(stderr, L"the program did not list the %zu rows\n", size);
                    ++failures;
                    break;
                }
                window.push_back(full.window);
                emptyWindow.push_back(bare.window);
                lastRow.push_back(full.lastRow);
                todaysFill.push_back(bare.window + fill);
            }
            if (window.empty()) break;
            if (options.stages) {
                // The same fill in this process with its progress shown and
                // without, with the processor time of this thread and of the
                // whole process (the progress dialog's thread among them).
                for (const bool visible : {true, false}) {
                    ::ShowWindow(inProcess.Dialog().GetSafeHwnd(), visible ? SW_SHOW : SW_HIDE);
                    const double thread0 = ThreadSeconds(), process0 = ProcessSeconds();
                    const double begin = Now();
                    inProcess.Reload(store);
                    const double wall = Now() - begin;
                    std::fwprintf(stderr,
                                  L"  in this process %ls the progress: %.0f ms, this thread's "
                                  L"processor time %.0f ms, the process's %.0f ms\n",
                                  visible ? L"with" : L"without", wall * 1000,
                                  (ThreadSeconds() - thread0) * 1000,
                                  (ProcessSeconds() - process0) * 1000);
                }
                ::ShowWindow(inProcess.Dialog().GetSafeHwnd(), SW_HIDE);
            }
            const std::wstring count = std::to_wstring(size);
            PrintFigure(L"time to the painted window, " + count + L" items against an empty store",
                        MedianRun(window, emptyWindow), 1.25);
            PrintFigure(L"time to the last row, " + count +
                            L" items against the window on an empty store plus the fill alone",
                        MedianRun(lastRow, todaysFill), 1.1);
        }
    }
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
