// Filling the list from the stand-in quarantine store on disk, against the
// in-memory library's fill of the same rows plus one plain read of every
// container file: what is left over is the stand-in library's own cost.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchStore.h"
#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/StoreFolder.h"
#include "cli/CliRun.h"
#include "cli/Report.h"
#include "restore/QuarantineItem.h"
#include "ui/QuarantineDlg.h"

namespace {

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

std::vector<std::wstring> RowsOf(const CListCtrl& list) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        std::wstring line;
        for (int column = 0; column < 5; ++column) line += list.GetItemText(i, column) + L"|";
        rows.push_back(line);
    }
    return rows;
}

// Where the library's time goes while the dialog lists the store: each entry
// point the listing calls, timed over every container, and the file opens,
// reads and bytes that reading the containers costs, for --stages.
void PrintStages(CZEBQtWrapper& library, const std::wstring& folder) {
    std::vector<double> at{Now()};
    const int32_t hQuarantine = library.ZEBQtOpenQuarantine(folder.c_str());
    library.ZEBQtStartEnumContainers(hQuarantine);
    at.push_back(Now());
    std::vector<int32_t> containers;
    for (int32_t i = 0;; ++i) {
        const int32_t h = library.ZEBQtOpenContainer(hQuarantine, i);
        if (h == -1) break;
        containers.push_back(h);
    }
    at.push_back(Now());
    for (const int32_t h : containers) {
        wchar_t path[260], virus[1024];
        SYSTEMTIME time;
        uint32_t info1, info2;
        library.ZEBQtGetContainerProperties(h, path, 260, virus, 1024, &time, &info1, &info2);
    }
    at.push_back(Now());
    std::vector<int32_t> objects;
    for (const int32_t h : containers) {
        int32_t kind = 0;
        for (int32_t i = 0;; ++i) {
            const int32_t object = library.ZEBQtOpenObject(h, i, &kind);
            if (object == -1) break;
            objects.push_back(object);
        }
    }
    at.push_back(Now());
    for (const int32_t h : objects) {
        wchar_t path[260], virus[1024];
        ZEBQtFileInfo info;
        library.ZEBQtGetFileObjectProperties(h, path, 260, virus, 1024, &info);
    }
    at.push_back(Now());
    for (const int32_t h : objects) library.ZEBQtCloseObject(h);
    for (const int32_t h : containers) library.ZEBQtCloseContainer(h);
    library.ZEBQtCloseQuarantine(hQuarantine);
    at.push_back(Now());
    const size_t bytes = ReadEveryFile(folder);
    at.push_back(Now());
    const wchar_t* steps[] = {L"open quarantine, enumerate", L"open containers",
                              L"container properties",       L"open objects",
                              L"object properties",          L"close every handle",
                              L"plain read of every file"};
    const double n = static_cast<double>(std::max<size_t>(containers.size(), 1));
    std::fwprintf(stderr, L"stages for %zu containers, %zu objects, %zu bytes on disk:\n",
                  containers.size(), objects.size(), bytes);
    for (size_t i = 0; i + 1 < at.size(); ++i)
        std::fwprintf(stderr, L"  %-28ls %9.1f ms %9.1f us per container\n", steps[i],
                      (at[i + 1] - at[i]) * 1000, (at[i + 1] - at[i]) * 1e6 / n);

    // The library reads a container when it is opened; the same reader,
    // linked here, counts what that costs.
    std::vector<std::wstring> names;
    zq::ListContainerFiles(folder, std::wstring(), names);
    const zq::IoTally before = zq::ContainerIoTally();
    for (const std::wstring& name : names) zq::ReadContainerFile(folder + L"\\" + name);
    const zq::IoTally& after = zq::ContainerIoTally();
    const double files = static_cast<double>(std::max<size_t>(names.size(), 1));
    std::fwprintf(stderr,
                  L"  per container opened: %.2f file opens, %.2f reads, %.0f bytes read of "
                  L"%.0f on disk\n",
                  static_cast<double>(after.opens - before.opens) / files,
                  static_cast<double>(after.reads - before.reads) / files,
                  static_cast<double>(after.bytes - before.bytes) / files,
                  static_cast<double>(bytes) / files);
}

// Where the time of the script's listing (/L /F=json) goes, for --stages:
// the quarantine opened and its containers listed with their properties, each
// item read as the report needs it, and the report's text made.
void PrintListingStages(CZEBQtWrapper& library, const std::wstring& folder) {
    std::vector<double> at{Now()};
    std::string json;
    size_t count = 0;
    {
        const CZEBQtWrapper::QuarantinePtr quarantine = library.OpenQuarantine(folder);
        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        if (quarantine) quarantine->EnumContainers(containers);
        at.push_back(Now());
        std::vector<QuarantineItem> items;
        items.reserve(containers.size());
        for (const CZEBQtWrapper::ContainerPtr& container : containers)
            items.push_back(ReadQuarantineItem(container));
        at.push_back(Now());
        std::vector<const QuarantineItem*> listed;
        for (const QuarantineItem& item : items) listed.push_back(&item);
        RunSummary summary;
        summary.matched = summary.succeeded = items.size();
        json = FormatListing(OutputFormat::Json, folder, listed, summary);
        at.push_back(Now());
        count = items.size();
        containers.clear();
        items.clear();
    }
    at.push_back(Now());
    // The same listing through the command's run, which adds what lies
    // around these steps: the folders made whole and checked, the selection.
    CliCommand list;
    list.action = CliAction::List;
    list.format = OutputFormat::Json;
    list.source = folder;
    CliStreams streams;
    streams.out = [](const std::string&) { return true; };
    streams.err = [](const std::string&) { return true; };
    RunCliCommand(list, library, streams);
    at.push_back(Now());
    const wchar_t* steps[] = {L"open, list containers", L"read every item", L"JSON report",
                              L"close every handle", L"all of it, as the command runs"};
    const double n = static_cast<double>(std::max<size_t>(count, 1));
    std::fwprintf(stderr, L"listing as JSON, %zu items, %zu bytes of JSON:\n", count, json.size());
    for (size_t i = 0; i + 1 < at.size(); ++i)
        std::fwprintf(stderr, L"  %-30ls %9.1f ms %9.1f us per item\n", steps[i],
                      (at[i + 1] - at[i]) * 1000, (at[i + 1] - at[i]) * 1e6 / n);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 100);
    _wsetlocale(LC_ALL, L"");
    const int few = std::min(options.rows, options.small ? 30 : 1000);
    const std::wstring scratch = MakeScratchFolder(L"store-fill-bench");
    int failures = 0;

    CBenchDialog store(BenchBinDir() + L"\\standin");
    CBenchDialog memory;
    std::vector<int> counts{few};
    if (options.rows != few) counts.push_back(options.rows);
    std::vector<std::wstring> quarantines;
    std::vector<std::vector<BenchContainer>> rows;
    for (const int count : counts) {
        quarantines.push_back(scratch + L"\\quarantine" + std::to_wstring(count));
        ::CreateDirectoryW(quarantines.back().c_str(), nullptr);
        rows.push_back(MakeContainers(count, true));
        if (!MakeStore(quarantines.back(), rows.back())) {
            std::fwprintf(stderr, L"the store could not be made\n");
            RemoveFolder(scratch);
            return 1;
        }
        LoadMemoryContainers(rows.back());
        if (options.stages) {
            PrintStages(store.Dialog().m_ZEBQt, quarantines.back());
            PrintListingStages(store.Dialog().m_ZEBQt, quarantines.back());
        }
        store.Reload(quarantines.back());
        memory.Reload(quarantines.back());
        const std::vector<std::wstring> listed = RowsOf(store.Dialog().m_lstQuarantine);
        if (static_cast<int>(listed.size()) != count ||
            listed != RowsOf(memory.Dialog().m_lstQuarantine)) {
            std::fwprintf(stderr, L"the store lists %zu rows, not the %d rows it holds\n",
                          listed.size(), count);
            ++failures;
        }
    }

    // The script's listing with every record as JSON, in this process so that
    // no process start is timed, against the same floor: every container
    // opened and read once.
    CQuarantineDlg& lister = store.Dialog();
    std::string json;
    CliCommand list;
    list.action = CliAction::List;
    list.format = OutputFormat::Json;
    CliStreams streams;
    streams.out = [&json](const std::string& text) {
        json = text;
        return true;
    };
    streams.err = [](const std::string&) { return true; };
    const auto listAsJson = [&](size_t i) {
        list.source = quarantines[i];
        if (RunCliCommand(list, lister.m_ZEBQt, streams) != 0) ++failures;
    };

    // Both sizes in every repetition, each fill next to its floor, so that the
    // growth compares times taken under the same load.
    std::vector<std::vector<double>> times(static_cast<size_t>(options.reps));
    for (std::vector<double>& rep : times) {
        for (size_t i = 0; i < counts.size(); ++i) {
            rep.push_back(MedianSeconds(1, nullptr, [&] { store.Reload(quarantines[i]); }));
            LoadMemoryContainers(rows[i]);
            rep.push_back(MedianSeconds(1, nullptr, [&] {
                memory.Reload(quarantines[i]);
                ReadEveryFile(quarantines[i]);
            }));
        }
    }
    std::vector<std::vector<double>> listTimes(static_cast<size_t>(options.reps));
    for (std::vector<double>& rep : listTimes) {
        rep.push_back(MedianSeconds(1, nullptr, [&] { listAsJson(counts.size() - 1); }));
        rep.push_back(MedianSeconds(1, nullptr, [&] { ReadEveryFile(quarantines.back()); }));
    }
    for (size_t i = 0; i < counts.size(); ++i) {
        const PairedTiming t = MedianRatio(times, 2 * i, 2 * i + 1);
        PrintFigure(L"fill, real store, " + std::to_wstring(counts[i]) + L" containers", t, 1.5);
    }
    if (counts.size() == 2) {
        const PairedTiming t = MedianRatio(times, 2, 0);
        const PairedTiming floors = MedianRatio(times, 3, 1);
        const double perMany = 1e6 / options.rows;
        const double perFew = 1e6 / few;
        PrintFigure(L"fill, real store, growth, " + std::to_wstring(options.rows) + L" against " +
                        std::to_wstring(few) + L" containers",
                    t, 1.5, L"us per container", perMany, perFew);
        std::fwprintf(stderr, L"  (the floor's own growth: %ls)\n",
                      RatioText(floors, L"us per container", perMany, perFew, L"against").c_str());
    }
    const PairedTiming listed = MedianRatio(listTimes, 0, 1);
    PrintFigure(L"list /F=json, real store, " + std::to_wstring(counts.back()) + L" containers",
                listed, 1.15);
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
