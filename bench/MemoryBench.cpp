// Peak working set with the rows listed in the dialog, against a plain window
// whose list control holds the same rows' texts. Each side runs in a process
// of its own (this program started again with --child), which hands back its
// peak working set in KiB as its exit code.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "quarantine/ItemText.h"
#include "ui/ListingText.h"
#include "ui/QuarantineDlg.h"

namespace {

DWORD PeakKiB() {
    return static_cast<DWORD>(PeakWorkingSet() / 1024);
}

DWORD ListInDialog(int rows) {
    CBenchDialog bench;
    LoadMemoryContainers(MakeContainers(rows, true));
    bench.Reload(L"C:\\Quarantine");
    PumpMessages();
    if (bench.Dialog().m_lstQuarantine.GetItemCount() != rows) return 0;
    return PeakKiB();
}

DWORD ListInPlainWindow(int rows) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND hTop = ::CreateWindowExW(0, L"STATIC", L"floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  700, 400, nullptr, nullptr, nullptr, nullptr);
    HWND hList = ::CreateWindowExW(
        0, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SORTASCENDING | LVS_SHOWSELALWAYS, 0,
        0, 680, 380, hTop, nullptr, nullptr, nullptr);
    CListCtrl list;
    list.Attach(hList);
    for (int column = 0; column < 5; ++column)
        list.InsertColumn(column, L"Column", LVCFMT_LEFT, 100);
    const std::vector<BenchContainer> containers = MakeContainers(rows, true);
    std::vector<std::wstring> names;
    for (const BenchContainer& c : containers) names.push_back(QuarantineFileName(c.file));
    list.SetRedraw(false);
    for (const size_t index : DescendingInsertionOrder(names)) {
        const BenchContainer& c = containers[index];
        const FormerLocation former = SplitFormerPath(c.origPath);
        const int at = list.InsertItem(list.GetItemCount(), names[index]);
        list.SetItemText(at, 1, c.virus);
        list.SetItemText(at, 2, former.fileName);
        list.SetItemText(at, 3, former.folder);
        list.SetItemText(at, 4, TimestampText(c.time));
    }
    list.SetRedraw(true);
    ::InvalidateRect(hList, nullptr, TRUE);
    PumpMessages();
    const DWORD peak = list.GetItemCount() == rows ? PeakKiB() : 0;
    ::DestroyWindow(hTop);
    return peak;
}

// Runs this program again for one side; its peak working set in KiB, 0 when
// it failed.
DWORD RunChild(const wchar_t* side, int rows) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
    std::wstring commandLine = L"\"" + path + L"\" --child " + side + L" " + std::to_wstring(rows);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return 0;
    CKernelHandle hProcess(process.hProcess);
    CKernelHandle hThread(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--child") {
        _wsetlocale(LC_ALL, L"");
        const int rows = _wtoi(argv[3]);
        return static_cast<int>(std::wstring(argv[2]) == L"dialog" ? ListInDialog(rows)
                                                                   : ListInPlainWindow(rows));
    }
    const BenchOptions options = ParseBenchOptions(argc, argv, 200);
    std::vector<double> dialog;
    std::vector<double> floor;
    for (int i = 0; i < options.reps; ++i) {
        dialog.push_back(RunChild(L"dialog", options.rows) / 1024.0);
        floor.push_back(RunChild(L"floor", options.rows) / 1024.0);
        if (dialog.back() <= 0 || floor.back() <= 0) {
            std::fwprintf(stderr, L"a measuring process failed\n");
            return 1;
        }
    }
    PrintFigure(L"memory, " + std::to_wstring(options.rows) + L" rows", MedianRun(dialog, floor),
                1.5, L"MiB peak working set", 1, 1);
    return 0;
}
