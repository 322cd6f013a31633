// Filling the list from a quarantine served by the in-memory library, against
// inserting the same rows' texts into the same list control directly and
// writing the same debugger line per row.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "quarantine/ItemText.h"
#include "ui/ListingText.h"
#include "ui/QuarantineDlg.h"

namespace {

struct RowTexts {
    std::wstring texts[5];
};

// The five texts the listing shows for each container, worked out before
// the floor's clock starts.
std::vector<RowTexts> ListedTexts(const std::vector<BenchContainer>& containers) {
    std::vector<RowTexts> rows;
    for (const BenchContainer& c : containers) {
        const FormerLocation former = SplitFormerPath(c.origPath);
        rows.push_back(RowTexts{{QuarantineFileName(c.file), c.virus, former.fileName,
                                 former.folder, TimestampText(c.time)}});
    }
    return rows;
}

// The platform's share: the same texts into the same control, with redraw off
// and in the same insertion order as the listing uses, and the one "Load: "
// line per row that the listing must write to the debugger output.
void InsertDirectly(const CListCtrl& list, const std::vector<RowTexts>& rows,
                    const std::vector<size_t>& order) {
    list.DeleteAllItems();
    for (const RowTexts& row : rows)
        ::OutputDebugStringW((L"Load: " + row.texts[0] + L"\n").c_str());
    list.SetRedraw(false);
    for (const size_t index : order) {
        const RowTexts& row = rows[index];
        const int at = list.InsertItem(list.GetItemCount(), row.texts[0]);
        if (at < 0) continue;
        for (int column = 1; column < 5; ++column) list.SetItemText(at, column, row.texts[column]);
    }
    list.SetRedraw(true);
    ::InvalidateRect(list.GetSafeHwnd(), nullptr, TRUE);
}

bool Matches(const CListCtrl& list, const std::vector<RowTexts>& rows) {
    if (list.GetItemCount() != static_cast<int>(rows.size())) return false;
    std::vector<std::wstring> shown;
    std::vector<std::wstring> expected;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        std::wstring line;
        for (int column = 0; column < 5; ++column) line += list.GetItemText(i, column) + L"|";
        shown.push_back(line);
    }
    for (const RowTexts& row : rows) {
        std::wstring line;
        for (const std::wstring& text : row.texts) line += text + L"|";
        expected.push_back(line);
    }
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    return shown == expected;
}

// Where the listing's time goes outside the list control, stage by stage,
// for --stages.
void PrintStages(CBenchDialog& bench, const std::vector<BenchContainer>& containers) {
    CZEBQtWrapper& library = bench.Dialog().m_ZEBQt;
    const double t0 = Now();
    size_t objects = 0;
    {
        CZEBQtWrapper::QuarantinePtr quarantine = library.OpenQuarantine(L"C:\\Quarantine\\");
        std::vector<CZEBQtWrapper::ContainerPtr> all;
        if (quarantine) quarantine->EnumContainers(all);
        for (const CZEBQtWrapper::ContainerPtr& container : all) {
            std::vector<CZEBQtWrapper::FileObjectPtr> found;
            container->EnumObjects(found);
            objects += found.size();
        }
    }
    const double t1 = Now();
    for (const BenchContainer& c : containers) TimestampText(c.time);
    const double t2 = Now();
    for (const BenchContainer& c : containers)
        ::OutputDebugStringW((L"Load: " + QuarantineFileName(c.file) + L"\n").c_str());
    const double t3 = Now();
    std::fwprintf(stderr,
                  L"stages for %zu rows: object model %.1f ms (%zu file objects), time stamp texts "
                  L"%.1f ms, debugger output %.1f ms\n",
                  containers.size(), (t1 - t0) * 1000, objects, (t2 - t1) * 1000, (t3 - t2) * 1000);
}

double FillSeconds(CBenchDialog& bench, int reps) {
    return MedianSeconds(reps, nullptr, [&] { bench.Reload(L"C:\\Quarantine"); });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 200);
    _wsetlocale(LC_ALL, L"");
    CBenchDialog bench;
    const CListCtrl& list = bench.Dialog().m_lstQuarantine;
    int failures = 0;

    for (const bool shuffled : {false, true}) {
        const std::vector<BenchContainer> containers = MakeContainers(options.rows, shuffled);
        LoadMemoryContainers(containers);
        const std::vector<RowTexts> rows = ListedTexts(containers);
        std::vector<std::wstring> names;
        for (const RowTexts& row : rows) names.push_back(row.texts[0]);
        const std::vector<size_t> order = DescendingInsertionOrder(names);

        if (options.stages) PrintStages(bench, containers);
        bench.Reload(L"C:\\Quarantine");
        if (!Matches(list, rows)) {
            std::fwprintf(stderr, L"the listing does not show the containers' texts\n");
            ++failures;
        }
        const PairedTiming t = TimeAgainstFloor(
            options.reps, nullptr, [&] { bench.Reload(L"C:\\Quarantine"); },
            [&] { InsertDirectly(list, rows, order); });
        PrintFigure(std::wstring(L"fill, system cost, ") +
                        (shuffled ? L"random order" : L"ascending order"),
                    t, 1.2);
    }

    // Growth: time per row at many rows against time per row at few.
    const int few = options.small ? 50 : 1000;
    const int many = options.small ? 150 : 30000;
    LoadMemoryContainers(MakeContainers(few, true));
    const double perRowFew = FillSeconds(bench, options.reps) / few;
    LoadMemoryContainers(MakeContainers(many, true));
    const double perRowMany = FillSeconds(bench, options.reps) / many;
    if (list.GetItemCount() != many) ++failures;
    PrintFigure(
        L"fill, growth, " + std::to_wstring(many) + L" against " + std::to_wstring(few) + L" rows",
        perRowMany * 1e6, perRowFew * 1e6, 1.5, L"us per row");
    return failures == 0 ? 0 : 1;
}
