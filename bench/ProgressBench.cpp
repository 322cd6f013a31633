// The cost of the progress on a long walk: deleting files row by row through
// the walk with the progress dialog up (its texts and bar set, the window's
// messages handled and Cancel checked before every row), against the same
// deletes in a plain loop. A delete is the cheapest work a row ever does.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "res/resource.h"
#include "ui/ProgressWalk.h"
#include "ui/QuarantineDlg.h"

namespace {

std::wstring FileName(int i) {
    return L"row" + std::to_wstring(i) + L".qtc";
}

void MakeFiles(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i) {
        HANDLE h = ::CreateFileW((folder + FileName(i)).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 200);
    ::OleInitialize(nullptr);
    CBenchDialog bench;
    const HWND hOwner = bench.Dialog().GetSafeHwnd();

    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"bench-progress\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);

    std::vector<double> measured, floors;
    for (int rep = 0; rep < options.reps; ++rep) {
        MakeFiles(folder, options.rows);
        double start = Now();
        for (int i = 0; i < options.rows; ++i) ::DeleteFileW((folder + FileName(i)).c_str());
        const double floor = Now() - start;

        MakeFiles(folder, options.rows);
        // One row first, held past the delay, so that every timed row has
        // the progress dialog up.
        CProgressWalk walk(hOwner, IDS_PROGRESS_DELETE, static_cast<size_t>(options.rows) + 1);
        walk.Next(L"first");
        ::Sleep(static_cast<DWORD>(CProgressWalk::kDelayMs) + 20);
        start = Now();
        for (int i = 0; i < options.rows; ++i) {
            const std::wstring name = FileName(i);
            if (!walk.Next(name)) break;
            ::DeleteFileW((folder + name).c_str());
        }
        const double work = Now() - start;
        walk.End();

        floors.push_back(floor);
        measured.push_back(work);
    }
    ::RemoveDirectoryW(folder.c_str());
    PrintFigure(L"progress walk, " + std::to_wstring(options.rows) + L" deletes",
                MedianRun(measured, floors), 1.5);
    bench.Dialog().EndDialog(IDCANCEL);
    return 0;
}
