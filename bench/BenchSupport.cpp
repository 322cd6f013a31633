#include "bench/BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <random>

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/doubles/memory/MemoryQuarantine.h"
#include "ui/QuarantineDlg.h"

namespace {

HHOOK g_hBoxHook = nullptr;
HWND g_hMainDialog = nullptr;

// Adds a child window's text to the 512-character buffer in lParam.
BOOL CALLBACK AppendChildText(HWND hChild, LPARAM lParam) {
    wchar_t* out = reinterpret_cast<wchar_t*>(lParam);
    wchar_t part[128] = {};
    ::GetWindowTextW(hChild, part, 128);
    std::wcsncat(out, part, 511 - std::wcslen(out));
    std::wcsncat(out, L" | ", 511 - std::wcslen(out));
    return TRUE;
}

// Closes every owned dialog window (message boxes) as soon as it activates,
// so that a benchmark never waits for a click.
LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(hWnd, className, 16);
        if (hWnd != g_hMainDialog && ::GetWindow(hWnd, GW_OWNER) != nullptr &&
            std::wcscmp(className, L"#32770") == 0) {
            wchar_t text[512] = {};
            ::EnumChildWindows(hWnd, &AppendChildText, reinterpret_cast<LPARAM>(text));
            std::fwprintf(stderr, L"closing an unexpected message box: %ls\n", text);
            ::PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return ::CallNextHookEx(g_hBoxHook, code, wParam, lParam);
}

}  // namespace

BenchOptions ParseBenchOptions(int argc, wchar_t** argv, int smallRows) {
    BenchOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--small") {
            options.small = true;
            options.rows = smallRows;
            options.reps = 1;
        } else if (arg == L"--stages") {
            options.stages = true;
        } else if (arg == L"--rows" && i + 1 < argc) {
            options.rows = std::max(1, _wtoi(argv[++i]));
        } else if (arg == L"--reps" && i + 1 < argc) {
            options.reps = std::max(1, _wtoi(argv[++i]));
        }
    }
    return options;
}

double Now() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double MedianSeconds(int reps, const std::function<void()>& prepare,
                     const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        if (prepare) prepare();
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<std::vector<double>> TimeInTurn(int reps, const std::function<void()>& prepare,
                                            const std::vector<std::function<void()>>& works) {
    std::vector<std::vector<double>> times(static_cast<size_t>(reps));
    for (std::vector<double>& rep : times)
        for (const std::function<void()>& work : works)
            rep.push_back(MedianSeconds(1, prepare, work));
    return times;
}

PairedTiming MedianRun(const std::vector<double>& measured, const std::vector<double>& floors) {
    PairedTiming timing;
    const size_t count = std::min(measured.size(), floors.size());
    if (count == 0) return timing;
    const auto ratioOf = [&](size_t i) { return floors[i] > 0 ? measured[i] / floors[i] : 0.0; };
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return ratioOf(a) < ratioOf(b); });
    const size_t median = order[count / 2];
    timing.ratio = ratioOf(median);
    timing.measured = measured[median];
    timing.floor = floors[median];
    timing.runs = static_cast<int>(count);
    return timing;
}

PairedTiming MedianRatio(const std::vector<std::vector<double>>& times, size_t work, size_t floor) {
    std::vector<double> measured;
    std::vector<double> floors;
    for (const std::vector<double>& rep : times) {
        measured.push_back(rep[work]);
        floors.push_back(rep[floor]);
    }
    return MedianRun(measured, floors);
}

PairedTiming TimeAgainstFloor(int reps, const std::function<void()>& prepare,
                              const std::function<void()>& work,
                              const std::function<void()>& floorWork) {
    return MedianRatio(TimeInTurn(reps, prepare, {work, floorWork}), 0, 1);
}

std::wstring RatioText(const PairedTiming& timing, const std::wstring& unit, double measuredScale,
                       double floorScale, const wchar_t* against) {
    const double measured = timing.measured * measuredScale;
    const double floor = timing.floor * floorScale;
    const double ratio = floor > 0 ? measured / floor : 0.0;
    wchar_t text[256] = {};
    if (timing.runs > 1) {
        std::swprintf(text, 256,
                      L"%.2f, the median of %d runs' ratios (that run: %.1f %ls %ls %.1f %ls",
                      ratio, timing.runs, measured, unit.c_str(), against, floor, unit.c_str());
    } else {
        std::swprintf(text, 256, L"%.2f (%.1f %ls %ls %.1f %ls", ratio, measured, unit.c_str(),
                      against, floor, unit.c_str());
    }
    return text;
}

void PrintFigure(const std::wstring& name, double measured, double floor, double target,
                 const std::wstring& unit) {
    PairedTiming timing;
    timing.measured = measured;
    timing.floor = floor;
    PrintFigure(name, timing, target, unit, 1, 1);
}

void PrintFigure(const std::wstring& name, const PairedTiming& timing, double target,
                 const std::wstring& unit, double measuredScale, double floorScale) {
    const double ratio = timing.floor > 0 && floorScale > 0
                             ? timing.measured * measuredScale / (timing.floor * floorScale)
                             : 0.0;
    std::wprintf(L"%ls: %ls; target at most %.2f)%ls\n", name.c_str(),
                 RatioText(timing, unit, measuredScale, floorScale, L"against a floor of").c_str(),
                 target, ratio <= target ? L"" : L" MISSED");
    std::fflush(stdout);
}

void PrintRatio(const std::wstring& name, const PairedTiming& timing, const std::wstring& unit,
                double measuredScale, double floorScale) {
    std::wprintf(L"%ls: %ls; no target)\n", name.c_str(),
                 RatioText(timing, unit, measuredScale, floorScale, L"against").c_str());
    std::fflush(stdout);
}

std::wstring BenchBinDir() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring MakeScratchFolder(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + prefix + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find.Get(), &data));
    }
    ::RemoveDirectoryW(folder.c_str());
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

CBenchDialog::CBenchDialog(const std::wstring& libraryDir)
    : m_pDlg(std::make_unique<CQuarantineDlg>()) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (g_hBoxHook == nullptr)
        g_hBoxHook =
            ::SetWindowsHookExW(WH_CBT, &CloseMessageBoxes, nullptr, ::GetCurrentThreadId());
    const std::wstring bin = BenchBinDir();
    m_pDlg->m_ScanP.LoadFrom(L"Engine A", L"Engine B", bin + L"\\doubles\\scan_empty");
    m_pDlg->m_ZEBQt.Load(libraryDir.empty() ? MemoryQuarantineDirectory(bin) : libraryDir);
    if (!m_pDlg->Create()) {
        std::fwprintf(stderr, L"the dialog could not be created\n");
        std::exit(2);
    }
    g_hMainDialog = m_pDlg->GetSafeHwnd();
    ::ShowWindow(g_hMainDialog, SW_SHOW);
    PumpMessages();
}

CBenchDialog::~CBenchDialog() {
    m_pDlg.reset();
    g_hMainDialog = nullptr;
    PumpMessages();
}

HWND CBenchDialog::List() const {
    return m_pDlg->m_lstQuarantine.GetSafeHwnd();
}

void CBenchDialog::ClickColumn(int column) {
    NMLISTVIEW notification = {};
    notification.hdr.hwndFrom = List();
    notification.hdr.idFrom = IDC_QUARANTINE_LIST;
    notification.hdr.code = LVN_COLUMNCLICK;
    notification.iItem = -1;
    notification.iSubItem = column;
    ::SendMessageW(m_pDlg->GetSafeHwnd(), WM_NOTIFY, notification.hdr.idFrom,
                   reinterpret_cast<LPARAM>(&notification));
}

void CBenchDialog::Reload(const std::wstring& folder) {
    m_pDlg->m_edtPath.SetWindowText(folder);
    ::SendMessageW(m_pDlg->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_RELOAD, BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_pDlg->GetDlgItem(IDC_RELOAD)));
}

void LoadMemoryContainers(const std::vector<BenchContainer>& containers) {
    HMODULE module =
        ::GetModuleHandleW((MemoryQuarantineDirectory(BenchBinDir()) + L"\\ZEBQt.dll").c_str());
    auto clear = ProcCast<PFN_MemoryClear>(::GetProcAddress(module, "MemoryClear"));
    auto add = ProcCast<PFN_MemoryAddContainer>(::GetProcAddress(module, "MemoryAddContainer"));
    if (clear == nullptr || add == nullptr) {
        std::fwprintf(stderr, L"the in-memory quarantine library is not loaded\n");
        std::exit(2);
    }
    clear();
    for (const BenchContainer& c : containers)
        add(c.file.c_str(), c.virus.c_str(), c.origPath.c_str(), &c.time);
}

std::vector<BenchContainer> MakeContainers(int count, bool shuffled) {
    std::vector<BenchContainer> containers;
    containers.reserve(static_cast<size_t>(count));
    std::mt19937 random(20261208u);
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        wchar_t virus[64];
        wchar_t path[128];
        std::swprintf(name, 64, L"C:\\Quarantine\\%08X.qua",
                      static_cast<unsigned>(i) * 2654435761u % 0xFFFFFFFFu);
        std::swprintf(virus, 64, L"%ls/Sample.%c%u", (random() % 2) ? L"W32" : L"w32",
                      L'A' + static_cast<int>(random() % 26),
                      static_cast<unsigned>(random() % 500));
        std::swprintf(path, 128, L"\\\\?\\C:\\Users\\user%u\\Documents\\Folder%u\\file%u.%ls",
                      static_cast<unsigned>(random() % 50), static_cast<unsigned>(random() % 400),
                      static_cast<unsigned>(i), (random() % 2) ? L"doc" : L"EXE");
        SYSTEMTIME time = {};
        time.wYear = static_cast<WORD>(2000 + random() % 30);
        time.wMonth = static_cast<WORD>(1 + random() % 12);
        time.wDay = static_cast<WORD>(1 + random() % 28);
        time.wHour = static_cast<WORD>(random() % 24);
        time.wMinute = static_cast<WORD>(random() % 60);
        time.wSecond = static_cast<WORD>(random() % 60);
        containers.push_back(BenchContainer{name, virus, path, time});
    }
    std::sort(containers.begin(), containers.end(),
              [](const BenchContainer& a, const BenchContainer& b) { return a.file < b.file; });
    if (shuffled) std::shuffle(containers.begin(), containers.end(), random);
    return containers;
}

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}
