// The windowless restore of the real program (Quarantine.exe /S= /D=) with the
// stand-in quarantine library, against copying the same files with CopyFileW
// (floor A) and against copying them and flushing each copy to the disk
// (floor B). A restore into a folder leaves the quarantine as it is and is
// not flushed, so floor A is its target; floor B is printed beside it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "restore/ExitCodes.h"
#include "standin/zebqt/Quarantining.h"

namespace {

bool WriteFile64KiB(const std::wstring& path, unsigned seed) {
    std::vector<char> bytes(64 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 2654435761u + seed) >> 11);
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

int CountFiles(const std::wstring& folder) {
    int count = 0;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (::FindNextFileW(find.Get(), &data));
    return count;
}

// Runs the program with its output going nowhere: the report's bytes are
// written as a script's redirection would take them, and not shown.
DWORD RunAndWait(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    CFileHandle nul(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inheritable, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul.Get();
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process))
        return 0xFFFFFFFF;
    CKernelHandle hProcess(process.hProcess);
    CKernelHandle hThread(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

// A quarantine holding the first count originals, one container each.
bool MakeQuarantine(const std::wstring& folder, const std::wstring& originals,
                    const std::vector<std::wstring>& names, size_t count) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    zq::ContainerHeader header;
    header.time = zq::NowStamp();
    header.virus = u"Bench.Sample";
    for (size_t i = 0; i < count; ++i) {
        std::wstring container;
        if (zq::QuarantineFiles(
                folder, header,
                {zq::FileToStore{originals + L"\\" + names[i], L"", L"Bench.Sample"}}, false,
                container) != 0)
            return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 20);
    const size_t files = options.small ? 20 : 1000;
    const size_t fewFiles = files / 10;
    const std::wstring scratch = MakeScratchFolder(L"restore-bench");
    const std::wstring app = scratch + L"\\app";
    const std::wstring originals = scratch + L"\\originals";
    const std::wstring quarantine = scratch + L"\\quarantine";
    const std::wstring fewQuarantine = scratch + L"\\quarantine-few";
    for (const std::wstring& folder : {app, originals}) ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring bin = BenchBinDir();
    const std::wstring exe = app + L"\\Quarantine.exe";
    if (!::CopyFileW((bin + L"\\Quarantine.exe").c_str(), exe.c_str(), FALSE) ||
        !::CopyFileW((bin + L"\\standin\\ZEBQt.dll").c_str(), (app + L"\\ZEBQt.dll").c_str(),
                     FALSE)) {
        std::fwprintf(stderr, L"the program or the stand-in library is not built\n");
        RemoveFolder(scratch);
        return 1;
    }

    std::vector<std::wstring> names;
    bool made = true;
    for (size_t i = 0; i < files && made; ++i) {
        names.push_back(L"file" + std::to_wstring(i) + L".bin");
        made = WriteFile64KiB(originals + L"\\" + names.back(), static_cast<unsigned>(i));
    }
    if (!made || !MakeQuarantine(quarantine, originals, names, files) ||
        !MakeQuarantine(fewQuarantine, originals, names, fewFiles)) {
        std::fwprintf(stderr, L"the quarantine could not be made\n");
        RemoveFolder(scratch);
        return 1;
    }

    int failures = 0;
    int round = 0;
    std::wstring destination;
    // Every run writes into a fresh, empty folder; the last one's files go
    // first, untimed.
    const auto prepare = [&] {
        if (!destination.empty()) RemoveFolder(destination);
        destination = scratch + L"\\out" + std::to_wstring(round++);
        ::CreateDirectoryW(destination.c_str(), nullptr);
    };
    const auto restoreFrom = [&](const std::wstring& source) {
        if (RunAndWait(exe, L"/S=\"" + source + L"\" /D=\"" + destination + L"\"") !=
            kCommandLineRestored)
            ++failures;
    };
    const auto copy = [&](bool flush) {
        for (const std::wstring& name : names) {
            const std::wstring target = destination + L"\\" + name;
            if (!::CopyFileW((originals + L"\\" + name).c_str(), target.c_str(), TRUE)) {
                ++failures;
                continue;
            }
            if (!flush) continue;
            CFileHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                           0, nullptr));
            if (!file || !::FlushFileBuffers(file.Get())) ++failures;
        }
    };
    prepare();
    restoreFrom(quarantine);
    if (CountFiles(destination) != static_cast<int>(files)) {
        std::fwprintf(stderr, L"the restore brought back %d of %zu files\n",
                      CountFiles(destination), files);
        ++failures;
    }
    // The same restore as a script's command with its report: every file
    // read back and hashed.
    const auto restoreWithReport = [&] {
        if (RunAndWait(exe, L"/S=\"" + quarantine + L"\" /D=\"" + destination + L"\" /F=csv") !=
            kCommandLineRestored)
            ++failures;
    };
    const auto times = TimeInTurn(options.reps, prepare,
                                  {[&] { restoreFrom(quarantine); }, [&] { copy(false); },
                                   [&] { copy(true); }, [&] { restoreFrom(fewQuarantine); },
                                   restoreWithReport});
    const std::wstring name =
        L"command-line restore, " + std::to_wstring(files) + L" files of 64 KiB";
    PairedTiming t = MedianRatio(times, 0, 1);
    PrintFigure(name + L", floor A (CopyFileW)", t.ratio, t.measured * 1000, t.floor * 1000, 2.0);
    t = MedianRatio(times, 0, 2);
    PrintFigure(name + L", floor B (CopyFileW and FlushFileBuffers)", t.ratio, t.measured * 1000,
                t.floor * 1000, 1.5);
    // Nothing in a restore may grow with the size of the quarantine: time per
    // file at the full size against a tenth of it, in the same repetitions.
    t = MedianRatio(times, 0, 3);
    const double scale = static_cast<double>(fewFiles) / static_cast<double>(files);
    PrintFigure(L"command-line restore, growth, " + std::to_wstring(files) + L" against " +
                    std::to_wstring(fewFiles) + L" files",
                t.ratio * scale, t.measured * 1e3 / files, t.floor * 1e3 / fewFiles, 1.3,
                L"ms per file");
    t = MedianRatio(times, 4, 1);
    PrintFigure(L"restore with its SHA-256 report (/F=csv), " + std::to_wstring(files) +
                    L" files of 64 KiB, floor A (CopyFileW)",
                t.ratio, t.measured * 1000, t.floor * 1000, 2.0);
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
