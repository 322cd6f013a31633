// The windowless restore of the real program (Quarantine.exe /S= /D=), and
// the same with its SHA-256 report (/F=csv), with the stand-in quarantine
// library. Most of a restore's time is the library's, so the floors are the
// library's own restore loop driven bare through its entry points, and that
// loop followed by reading back and hashing every file it wrote: what is left
// above them is the program's. Copying the same files with CopyFileW, with
// and without flushing each copy, is printed for comparison: a restore into
// a folder is not flushed.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audit/CngHandles.h"
#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "quarantine/ZEBQtEntryPoints.h"
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

// The library's restore loop as a bare driver would write it: load the
// library, open the quarantine, restore every container into the folder, and
// nothing else: no objects listed, no texts read, no audit.
class LibraryRestoreLoop {
public:
    explicit LibraryRestoreLoop(const std::wstring& library) : m_library(library) {}

    // The containers restored; -1 when the library or an entry point is missing.
    int Run(const std::wstring& source, const std::wstring& destination) const {
        CModule module(::LoadLibraryW(m_library.c_str()));
        if (!module) return -1;
        const auto open = Bind<PFN_ZEBQtOpenQuarantine>(module, "ZEBQtOpenQuarantine");
        const auto close = Bind<PFN_ZEBQtCloseQuarantine>(module, "ZEBQtCloseQuarantine");
        const auto start = Bind<PFN_ZEBQtStartEnumContainers>(module, "ZEBQtStartEnumContainers");
        const auto openContainer = Bind<PFN_ZEBQtOpenContainer>(module, "ZEBQtOpenContainer");
        const auto closeContainer = Bind<PFN_ZEBQtCloseContainer>(module, "ZEBQtCloseContainer");
        const auto restore = Bind<PFN_ZEBQtRestoreContainer>(module, "ZEBQtRestoreContainer");
        if (!open || !close || !start || !openContainer || !closeContainer || !restore) return -1;
        const int32_t quarantine = open(source.c_str());
        if (quarantine == -1) return -1;
        int restored = 0;
        if (start(quarantine) == 0) {
            for (int32_t index = 0;; ++index) {
                const int32_t container = openContainer(quarantine, index);
                if (container == -1) break;
                if (restore(container, destination.c_str(), 0, nullptr, 0, 0) == 0) ++restored;
                closeContainer(container);
            }
        }
        close(quarantine);
        return restored;
    }

private:
    template <typename Fn>
    static Fn Bind(HMODULE module, const char* name) {
        return ProcCast<Fn>(::GetProcAddress(module, name));
    }

    std::wstring m_library;
};

// Reads every file back and hashes it with the platform's CNG SHA-256, in
// chunks as large as the program's; false when any file or call fails.
bool HashFiles(const std::wstring& folder, const std::vector<std::wstring>& names) {
    CCngAlgorithm provider;
    if (!BCRYPT_SUCCESS(
            ::BCryptOpenAlgorithmProvider(provider.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return false;
    std::vector<UCHAR> chunk(256 * 1024);
    for (const std::wstring& name : names) {
        CFileHandle file(::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        CCngHash hash;
        if (!file || !BCRYPT_SUCCESS(
                         ::BCryptCreateHash(provider.Get(), hash.Put(), nullptr, 0, nullptr, 0, 0)))
            return false;
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read,
                            nullptr))
                return false;
            if (read == 0) break;
            if (!BCRYPT_SUCCESS(::BCryptHashData(hash.Get(), chunk.data(), read, 0))) return false;
        }
        UCHAR digest[32];
        if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.Get(), digest, sizeof digest, 0))) return false;
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
            kCommandLineDone)
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
            kCommandLineDone)
            ++failures;
    };
    const LibraryRestoreLoop loop(app + L"\\ZEBQt.dll");
    const auto libraryLoop = [&] {
        if (loop.Run(quarantine, destination) != static_cast<int>(files)) ++failures;
    };
    const auto libraryLoopAndHash = [&] {
        libraryLoop();
        if (!HashFiles(destination, names)) ++failures;
    };
    enum { kProgram, kCopy, kCopyFlush, kProgramFew, kProgramReport, kLoop, kLoopHash };
    const auto times = TimeInTurn(
        options.reps, prepare,
        {[&] { restoreFrom(quarantine); }, [&] { copy(false); }, [&] { copy(true); },
         [&] { restoreFrom(fewQuarantine); }, restoreWithReport, libraryLoop, libraryLoopAndHash});
    if (options.stages) {
        // Each repetition's times, to tell a drifting machine from a real
        // difference between the works.
        std::wprintf(
            L"ms per repetition: program, CopyFileW, CopyFileW+flush, program (tenth), "
            L"program /F=csv, library loop, library loop+hash\n");
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
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
