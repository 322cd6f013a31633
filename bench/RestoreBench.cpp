// The windowless restore of the real program (Quarantine.exe /S= /D=) with the
// stand-in quarantine library, against copying the same files with CopyFileW.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/Handles.h"
#include "restore/CommandLineRestore.h"
#include "standin/zebqt/Quarantining.h"

namespace {

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
    ::RemoveDirectoryW(folder.c_str());
}

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

DWORD RunAndWait(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return 0xFFFFFFFF;
    CKernelHandle hProcess(process.hProcess);
    CKernelHandle hThread(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 20);
    const int files = options.small ? 20 : 1000;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring scratch =
        std::wstring(temp) + L"restore-bench-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring app = scratch + L"\\app";
    const std::wstring originals = scratch + L"\\originals";
    const std::wstring quarantine = scratch + L"\\quarantine";
    for (const std::wstring& folder : {scratch, app, originals, quarantine})
        ::CreateDirectoryW(folder.c_str(), nullptr);
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
    zq::ContainerHeader header;
    header.time = zq::NowStamp();
    header.virus = u"Bench.Sample";
    for (int i = 0; i < files; ++i) {
        names.push_back(L"file" + std::to_wstring(i) + L".bin");
        const std::wstring source = originals + L"\\" + names.back();
        std::wstring container;
        if (!WriteFile64KiB(source, static_cast<unsigned>(i)) ||
            zq::QuarantineFiles(quarantine, header, {zq::FileToStore{source, L"", L"Bench.Sample"}},
                                false, container) != 0) {
            std::fwprintf(stderr, L"the quarantine could not be made\n");
            RemoveFolder(scratch);
            return 1;
        }
    }

    int failures = 0;
    int round = 0;
    std::wstring destination;
    const auto prepare = [&] {
        destination = scratch + L"\\out" + std::to_wstring(round++);
        ::CreateDirectoryW(destination.c_str(), nullptr);
    };
    const auto restore = [&] {
        if (RunAndWait(exe, L"/S=\"" + quarantine + L"\" /D=\"" + destination + L"\"") !=
            kCommandLineRestored)
            ++failures;
    };
    const auto copy = [&] {
        for (const std::wstring& name : names)
            if (!::CopyFileW((originals + L"\\" + name).c_str(),
                             (destination + L"\\" + name).c_str(), TRUE))
                ++failures;
    };
    prepare();
    restore();
    if (CountFiles(destination) != files) {
        std::fwprintf(stderr, L"the restore brought back %d of %d files\n", CountFiles(destination),
                      files);
        ++failures;
    }
    const PairedTiming t = TimeAgainstFloor(options.reps, prepare, restore, copy);
    PrintFigure(L"command-line restore, " + std::to_wstring(files) + L" files of 64 KiB", t.ratio,
                t.measured * 1000, t.floor * 1000, 2.0);
    RemoveFolder(scratch);
    return failures == 0 ? 0 : 1;
}
