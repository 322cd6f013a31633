#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CQuarantineDlg;

// What every benchmark takes on its command line: --rows N, --reps N, and
// --small for the quick run the test suite makes.
struct BenchOptions {
    int rows = 10000;
    int reps = 5;
    bool small = false;
    // Also time the stages inside the measured work, where a benchmark can.
    bool stages = false;
};
BenchOptions ParseBenchOptions(int argc, wchar_t** argv, int smallRows);

// Seconds on the performance counter.
double Now();
// Median of several timings of the same work; prepare runs untimed before
// each repetition.
double MedianSeconds(int reps, const std::function<void()>& prepare,
                     const std::function<void()>& work);

// The work and its floor timed in turn, each after prepare, several times:
// the median of the per-repetition ratios, so that a machine whose speed
// drifts during the run still compares like with like. The times are those
// of the repetition whose ratio is the median, so that the ratio is theirs.
struct PairedTiming {
    double ratio = 0;     // measured / floor
    double measured = 0;  // seconds, or whatever the works were measured in
    double floor = 0;
    int runs = 1;  // how many per-repetition ratios the median was taken of
};
PairedTiming TimeAgainstFloor(int reps, const std::function<void()>& prepare,
                              const std::function<void()>& work,
                              const std::function<void()>& floorWork);
// The repetition whose ratio of measured[i] to floors[i] is the median.
PairedTiming MedianRun(const std::vector<double>& measured, const std::vector<double>& floors);

// Several works timed in turn, each after prepare, reps times over: times[rep][work]
// in seconds. MedianRatio gives the median over the repetitions of one work's
// time against another's, so that drift in the machine's speed cancels out.
std::vector<std::vector<double>> TimeInTurn(int reps, const std::function<void()>& prepare,
                                            const std::vector<std::function<void()>>& works);
PairedTiming MedianRatio(const std::vector<std::vector<double>>& times, size_t work, size_t floor);

// One figure: "name: ratio (measured against a floor of floor, target)", the
// ratio worked out from the two figures printed. The target is the largest
// acceptable ratio; a miss is marked.
void PrintFigure(const std::wstring& name, double measured, double floor, double target,
                 const std::wstring& unit);
// A median of per-repetition ratios, printed with the times of the
// repetition it comes from and the number of repetitions. Each time is
// multiplied by its scale first (seconds to milliseconds by default; a
// growth figure divides each by its own count).
void PrintFigure(const std::wstring& name, const PairedTiming& timing, double target,
                 const std::wstring& unit = L"ms", double measuredScale = 1000,
                 double floorScale = 1000);
// The same for a ratio shown for comparison only, against no target.
void PrintRatio(const std::wstring& name, const PairedTiming& timing,
                const std::wstring& unit = L"ms", double measuredScale = 1000,
                double floorScale = 1000);
// The ratio's text with where it comes from, as the lines above print it:
// "1.23 (4.0 ms against 3.3 ms)", with "the median of 5 runs' ratios" when
// it is one.
std::wstring RatioText(const PairedTiming& timing, const std::wstring& unit, double measuredScale,
                       double floorScale, const wchar_t* against);

// The folder of the running benchmark (the build's bin folder).
std::wstring BenchBinDir();
// A new folder for one benchmark's files under the temporary folder, and
// its removal with everything in it.
std::wstring MakeScratchFolder(const std::wstring& prefix);
void RemoveFolder(const std::wstring& folder);

// The main dialog, created modeless with the in-memory quarantine library
// (or the one in libraryDir) and an empty scanner library already loaded; any
// message box that comes up is closed at once.
class CBenchDialog {
public:
    explicit CBenchDialog(const std::wstring& libraryDir = std::wstring());
    ~CBenchDialog();
    CQuarantineDlg& Dialog() { return *m_pDlg; }
    HWND List() const;
    // Sends the list's column-click notification, as a click on the header does.
    void ClickColumn(int column);
    // Refills the list from the quarantine library, as Reload does.
    void Reload(const std::wstring& folder);

private:
    std::unique_ptr<CQuarantineDlg> m_pDlg;
};

// Lets the window process what is queued.
void PumpMessages();

// The in-memory library's containers: replaced by the given rows.
struct BenchContainer {
    std::wstring file;
    std::wstring virus;
    std::wstring origPath;
    SYSTEMTIME time;
};
void LoadMemoryContainers(const std::vector<BenchContainer>& containers);
// count containers with distinct names, viruses, paths and times; in ascending
// name order or shuffled.
std::vector<BenchContainer> MakeContainers(int count, bool shuffled);

// The peak working set of this process in bytes.
size_t PeakWorkingSet();
