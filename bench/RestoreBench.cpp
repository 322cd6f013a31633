// The windowless restore of the real program (/S= /D=), and the same with its
// SHA-256 report (/F=csv), with the stand-in quarantine library. Most of a
// restore's time is the library's, so the floors are the library's own
// restore loop driven bare through its entry points, and that loop followed by
// reading back and hashing every file it wrote: what is left above them is the
// program's. Two ways: Quarantine.exe against the loop in this process, and
// Quarantine.com started as a script starts it against the loop in a process
// of its own (bench_restore_loop), so that both sides pay a process start and
// the program's own start-up counts. The start-up is also timed alone, on an
// empty quarantine, against a process that only loads the library
// (bench_bare_start). Copying
// the same files with CopyFileW, with and without flushing each copy, is
// printed for comparison: a restore into a folder is not flushed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/LibraryLoop.h"
#include "framework/Handles.h"
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

// Runs a program with its output going nowhere: the report's bytes are
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
    // A start-up is short, so each timing takes several in a row.
    const int starts = options.small ? 1 : 5;
    const std::wstring scratch = MakeScratchFolder(L"restore-bench");
    const std::wstring app = scratch + L"\\app";
    const std::wstring originals = scratch + L"\\originals";
    const std::wstring quarantine = scratch + L"\\quarantine";
    const std::wstring fewQuarantine = scratch + L"\\quarantine-few";
    const std::wstring emptyQuarantine = scratch + L"\\quarantine-empty";
    for (const std::wstring& folder : {app, originals, emptyQuarantine})
        ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring bin = BenchBinDir();
    const std::wstring exe = app + L"\\Quarantine.exe";
    const std::wstring com = app + L"\\Quarantine.com";
    const std::wstring bareLoop = app + L"\\bench_restore_loop.exe";
    const std::wstring bareStart = app + L"\\bench_bare_start.exe";
    bool copied = true;
    for (const auto& from : {std::make_pair(bin + L"\\Quarantine.exe", exe),
                             std::make_pair(bin + L"\\Quarantine.com", com),
                             std::make_pair(bin + L"\\bench_restore_loop.exe", bareLoop),
                             std::make_pair(bin + L"\\bench_bare_start.exe", bareStart),
                             std::make_pair(bin + L"\\standin\\ZEBQt.dll", app + L"\\ZEBQt.dll")})
        copied = copied && ::CopyFileW(from.first.c_str(), from.second.c_str(), FALSE);
    if (!copied) {
        std::fwprintf(stderr,
                      L"the program, the library's loop or the stand-in library is not built\n");
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
    const auto run = [&](const std::wstring& program, const std::wstring& arguments,
                         const wchar_t* what) {
        const DWORD code = RunAndWait(program, arguments);
        if (code == 0) return;
        std::fwprintf(stderr, L"%ls ended with %lu\n", what, static_cast<unsigned long>(code));
        ++failures;
    };
    const auto folders = [&](const std::wstring& source) {
        return L"/S=\"" + source + L"\" /D=\"" + destination + L"\"";
    };
    const auto restoreFrom = [&](const std::wstring& source) {
        run(exe, folders(source), L"Quarantine.exe /S= /D=");
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
    const auto checkRestored = [&](const wchar_t* what) {
        if (CountFiles(destination) == static_cast<int>(files)) return;
        std::fwprintf(stderr, L"%ls brought back %d of %zu files\n", what, CountFiles(destination),
                      files);
        ++failures;
    };
    prepare();
    restoreFrom(quarantine);
    checkRestored(L"Quarantine.exe /S= /D=");
    prepare();
    run(com, folders(quarantine), L"Quarantine.com /S= /D=");
    checkRestored(L"Quarantine.com /S= /D=");
    prepare();
    run(bareLoop, L"restore-hash \"" + quarantine + L"\" \"" + destination + L"\"",
        L"bench_restore_loop restore-hash");
    checkRestored(L"bench_restore_loop restore-hash");
    // The same restore as a script's command with its report: every file
    // read back and hashed.
    const auto restoreWithReport = [&] {
        run(exe, folders(quarantine) + L" /F=csv", L"Quarantine.exe /S= /D= /F=csv");
    };
    const auto libraryLoop = [&] {
        const CModule library(::LoadLibraryW((app + L"\\ZEBQt.dll").c_str()));
        if (RestoreEveryContainer(library.Get(), quarantine, destination) !=
            static_cast<int>(files))
            ++failures;
    };
    const auto libraryLoopAndHash = [&] {
        libraryLoop();
        if (!HashFiles(destination, names)) ++failures;
    };
    // As a script starts it: the console program, its report going to a
    // redirection.
    const auto script = [&] { run(com, folders(quarantine), L"Quarantine.com /S= /D="); };
    const auto scriptWithReport = [&] {
        run(com, folders(quarantine) + L" /F=csv", L"Quarantine.com /S= /D= /F=csv");
    };
    const auto loopProcess = [&](const wchar_t* mode) {
        run(bareLoop, std::wstring(mode) + L" \"" + quarantine + L"\" \"" + destination + L"\"",
            L"bench_restore_loop");
    };
    const auto scriptStarts = [&] {
        for (int i = 0; i < starts; ++i)
            run(com, folders(emptyQuarantine), L"Quarantine.com on an empty quarantine");
    };
    const auto bareStarts = [&] {
        for (int i = 0; i < starts; ++i) run(bareStart, L"", L"bench_bare_start");
    };
    // Each whole-process work is timed right before its floor.
    enum {
        kProgram,
        kCopy,
        kCopyFlush,
        kProgramFew,
        kProgramReport,
        kLoop,
        kLoopHash,
        kScript,
        kLoopProcess,
        kScriptReport,
        kLoopHashProcess,
        kScriptStart,
        kBareStart,
    };
    const auto times =
        TimeInTurn(options.reps, prepare,
                   {[&] { restoreFrom(quarantine); }, [&] { copy(false); }, [&] { copy(true); },
                    [&] { restoreFrom(fewQuarantine); }, restoreWithReport, libraryLoop,
                    libraryLoopAndHash, script, [&] { loopProcess(L"restore"); }, scriptWithReport,
                    [&] { loopProcess(L"restore-hash"); }, scriptStarts, bareStarts});
    if (options.stages) {
        // Each repetition's times, to tell a drifting machine from a real
        // difference between the works.
        std::wprintf(
            L"ms per repetition: program, CopyFileW, CopyFileW+flush, program (tenth), "
            L"program /F=csv, library loop, library loop+hash, Quarantine.com, loop process, "
            L"Quarantine.com /F=csv, loop+hash process, %d starts of Quarantine.com, %d bare "
            L"starts\n",
            starts, starts);
        for (const std::vector<double>& rep : times) {
            for (const double seconds : rep) std::wprintf(L" %8.1f", seconds * 1000);
            std::wprintf(L"\n");
        }
    }
    const std::wstring size = std::to_wstring(files) + L" files of 64 KiB";
    PrintFigure(L"command-line restore, " + size + L", floor: the library's restore loop",
                MedianRatio(times, kProgram, kLoop), 1.15);
    PrintFigure(L"restore with its SHA-256 report (/F=csv), " + size +
                    L", floor: the library's restore loop and a CNG SHA-256 of every file",
                MedianRatio(times, kProgramReport, kLoopHash), 1.15);
    PrintFigure(L"script restore, whole process (Quarantine.com /S= /D=), " + size +
                    L", floor: a process that runs the library's restore loop",
                MedianRatio(times, kScript, kLoopProcess), 1.10);
    PrintFigure(L"script restore with its report, whole process (Quarantine.com /F=csv), " + size +
                    L", floor: a process that runs that loop and a CNG SHA-256 of every file",
                MedianRatio(times, kScriptReport, kLoopHashProcess), 1.10);
    PrintFigure(L"start-up for a script (Quarantine.com on an empty quarantine), " +
                    std::to_wstring(starts) +
                    L" starts, floor: as many starts of a process that only loads the library",
                MedianRatio(times, kScriptStart, kBareStart), 1.3);
    // Nothing in a restore may grow with the size of the quarantine: time per
    // file at the full size against a tenth of it, in the same repetitions.
    PrintFigure(L"command-line restore, growth, " + std::to_wstring(files) + L" against " +
                    std::to_wstring(fewFiles) + L" files",
                MedianRatio(times, kProgram, kProgramFew), 1.3, L"ms per file",
                1e3 / static_cast<double>(files), 1e3 / static_cast<double>(fewFiles));
    PrintRatio(L"command-line restore against CopyFileW", MedianRatio(times, kProgram, kCopy));
    PrintRatio(L"command-line restore against CopyFileW and FlushFileBuffers",
               MedianRatio(times, kProgram, kCopyFlush));
    PrintRatio(L"restore with its SHA-256 report against CopyFileW",
               MedianRatio(times, kProgramReport, kCopy));
    PrintRatio(L"the library's restore loop against CopyFileW", MedianRatio(times, kLoop, kCopy));
    PrintRatio(L"the library's restore loop in a process of its own against in this one",
               MedianRatio(times, kLoopProcess, kLoop));
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
