// Filling the list from the stand-in quarantine store on disk, against
// inserting the same rows' texts directly plus reading every container file
// once.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "standin/zebqt/Quarantining.h"
#include "ui/ListingText.h"
#include "ui/QuarantineDlg.h"

namespace {

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(folder + L"\\" + name);
            else
                ::DeleteFileW((folder + L"\\" + name).c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
    ::RemoveDirectoryW(folder.c_str());
}

size_t ReadEveryFile(const std::wstring& folder) {
    size_t total = 0;
    std::vector<char> buffer(1 << 16);
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*.qtc").c_str(), &data));
    if (!find) return 0;
    do {
        CFileHandle file(::CreateFileW((folder + L"\\" + data.cFileName).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD read = 0;
        while (file &&
               ::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                          nullptr) &&
               read > 0)
            total += read;
    } while (::FindNextFileW(find.Get(), &data));
    return total;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 100);
    _wsetlocale(LC_ALL, L"");
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring scratch =
        std::wstring(temp) + L"store-fill-bench-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring originals = scratch + L"\\originals";
    const std::wstring quarantine = scratch + L"\\quarantine";
    for (const std::wstring& folder : {scratch, originals, quarantine})
        ::CreateDirectoryW(folder.c_str(), nullptr);

    const std::vector<BenchContainer> containers = MakeContainers(options.rows, true);
    for (size_t i = 0; i < containers.size(); ++i) {
        const std::wstring source = originals + L"\\f" + std::to_wstring(i) + L".bin";
        const std::string bytes = "sample " + std::to_string(i);
        CFileHandle file(
            ::CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        file.Reset();
        zq::ContainerHeader header;
        header.time.year = containers[i].time.wYear;
        header.time.month = containers[i].time.wMonth;
        header.time.day = containers[i].time.wDay;
        header.time.hour = containers[i].time.wHour;
        header.time.minute = containers[i].time.wMinute;
        header.virus = std::u16string(containers[i].virus.begin(), containers[i].virus.end());
        std::wstring container;
        if (zq::QuarantineFiles(
                quarantine, header,
                {zq::FileToStore{source, containers[i].origPath.substr(4), containers[i].virus}},
                true, container) != 0) {
            std::fwprintf(stderr, L"the store could not be made\n");
            RemoveFolder(scratch);
            return 1;
        }
    }

    int failures = 0;
    {
        CBenchDialog bench(BenchBinDir() + L"\\standin");
        const CListCtrl& list = bench.Dialog().m_lstQuarantine;
        bench.Reload(quarantine);
        if (list.GetItemCount() != options.rows) {
            std::fwprintf(stderr, L"the list shows %d rows instead of %d\n", list.GetItemCount(),
                          options.rows);
            ++failures;
        }
        std::vector<std::vector<std::wstring>> rows;
        std::vector<std::wstring> names;
        for (int i = 0; i < list.GetItemCount(); ++i) {
            rows.emplace_back();
            for (int column = 0; column < 5; ++column)
                rows.back().push_back(list.GetItemText(i, column));
            names.push_back(rows.back()[0]);
        }
        const std::vector<size_t> order = DescendingInsertionOrder(names);
        const auto floor = [&] {
            ReadEveryFile(quarantine);
            list.DeleteAllItems();
            list.SetRedraw(false);
            for (const size_t index : order) {
                const int at = list.InsertItem(list.GetItemCount(), rows[index][0]);
                for (int column = 1; column < 5; ++column)
                    list.SetItemText(at, column, rows[index][column]);
            }
            list.SetRedraw(true);
            ::InvalidateRect(list.GetSafeHwnd(), nullptr, TRUE);
        };
        const PairedTiming t = TimeAgainstFloor(
            options.reps, nullptr, [&] { bench.Reload(quarantine); }, floor);
        PrintFigure(L"fill, real store, " + std::to_wstring(options.rows) + L" containers", t.ratio,
                    t.measured * 1000, t.floor * 1000, 1.5);
    }
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
