// The stand-in scanner library: finds the two test signatures of
// Signatures.h in files and cures the curable one in place.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <type_traits>

#include "framework/Handles.h"
#include "scanner/ZEBScanPEntryPoints.h"
#include "standin/zebscanp/Signatures.h"

#define ZEBSCANP_EXPORT extern "C" __declspec(dllexport)

namespace {

// Larger files are not read at all; nothing the stand-in is given comes close.
const LONGLONG kMaxFileBytes = 256LL * 1024 * 1024;
const size_t kMaxEngineName = 1024;

std::wstring g_engineNames[2];

// Every export answers through this. Nothing may leave the library as an
// exception: in the 32-bit program a handler in the caller's module cannot
// catch it, and the process ends, possibly in the middle of a restore.
template <typename Body>
int32_t Guarded(int32_t failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

bool ReadAll(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > kMaxFileBytes) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &read,
                        nullptr))
            return false;
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool ReadFileAt(const wchar_t* path, std::string& bytes) {
    if (path == nullptr) return false;
    CFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ReadAll(file.Get(), bytes);
}

int32_t CureFileAt(const wchar_t* path) {
    // Opened once, unshared, for the read and the write-back, so that nobody
    // changes the file in between.
    CFileHandle file(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    bool writable = static_cast<bool>(file);
    if (!writable) {
        file.Reset(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    std::string bytes;
    if (!file || !ReadAll(file.Get(), bytes)) return kCureUnreadable;
    const size_t before = bytes.size();
    const int32_t result = CureBytes(bytes);
    if (result != kCureClean || bytes.size() == before) return result;
    if (!writable) return kCureUnreadable;

    LARGE_INTEGER start = {};
    DWORD written = 0;
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) ||
        !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size() || !::SetEndOfFile(file.Get())) {
        return kCureUnreadable;
    }
    return kCureClean;
}

Finding ScanPath(const wchar_t* path, int32_t action, bool& readable) {
    std::string bytes;
    readable = ReadFileAt(path, bytes);
    if (!readable) return Finding::Clean;
    const Finding finding = Examine(bytes);
    if (action != ZEBSCANP_ACTION_CURE || finding != Finding::Curable) return finding;
    switch (CureFileAt(path)) {
        case kCureClean:
            return Finding::Clean;
        case kCureIncurable:
            return Finding::Incurable;
        default:
            return finding;
    }
}

int32_t ScanWithName(const wchar_t* path, int32_t action, wchar_t* virus, int32_t cchVirus) {
    bool readable = false;
    const Finding finding = ScanPath(path, action, readable);
    if (virus != nullptr && cchVirus > 0) {
        const std::wstring name = readable ? VirusName(finding) : L"";
        const size_t length = std::min(name.size(), static_cast<size_t>(cchVirus - 1));
        name.copy(virus, length);
        virus[length] = L'\0';
    }
    return readable ? ScanResult(finding) : -1;
}

int32_t CountFindings(const std::wstring& folder, bool recursive) {
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return -1;
    int32_t count = 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Links could lead back up the tree.
            if (recursive && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                count += std::max<int32_t>(0, CountFindings(child, true));
            continue;
        }
        bool readable = false;
        if (ScanPath(child.c_str(), ZEBSCANP_ACTION_REPORT, readable) != Finding::Clean && readable)
            ++count;
    } while (::FindNextFileW(find.Get(), &data));
    return count;
}

}  // namespace

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPSetEngineName(int32_t engine, wchar_t* name) noexcept {
    return Guarded(-1, [&] {
        if (engine < 0 || engine > 1 || name == nullptr) return -1;
        size_t length = 0;
        while (length < kMaxEngineName && name[length] != L'\0') ++length;
        g_engineNames[engine].assign(name, length);
        return 0;
    });
}

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPCureFile(uintptr_t value, int32_t mode, int32_t) noexcept {
    return Guarded(kCureUnreadable, [&]() -> int32_t {
        if (value == 0 || mode != ZEBSCANP_ACTION_CURE) return kCureBadRequest;
        return CureFileAt(reinterpret_cast<const wchar_t*>(value));
    });
}

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPScanFile(const wchar_t* path) noexcept {
    return Guarded(-1, [&] { return ScanWithName(path, ZEBSCANP_ACTION_REPORT, nullptr, 0); });
}

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPScanFile2(const wchar_t* path, wchar_t* virus,
                                                  int32_t cchVirus) noexcept {
    return Guarded(-1, [&] { return ScanWithName(path, ZEBSCANP_ACTION_REPORT, virus, cchVirus); });
}

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPScanFileWithAction(const wchar_t* path,
                                                           int32_t action) noexcept {
    return Guarded(-1, [&] { return ScanWithName(path, action, nullptr, 0); });
}

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPScanFileWithAction2(const wchar_t* path, int32_t action,
                                                            wchar_t* virus,
                                                            int32_t cchVirus) noexcept {
    return Guarded(-1, [&] { return ScanWithName(path, action, virus, cchVirus); });
}

ZEBSCANP_EXPORT int32_t __cdecl ZEBScanPScanDirectory(const wchar_t* folder,
                                                      int32_t recursive) noexcept {
    return Guarded(-1,
                   [&] { return folder == nullptr ? -1 : CountFindings(folder, recursive != 0); });
}

// Every export keeps the binding's signature and is noexcept, which only the
// guarded definitions above are.
template <typename F>
struct IsGuardedExport : std::false_type {};
template <typename R, typename... A>
struct IsGuardedExport<R (*)(A...) noexcept> : std::true_type {};

#define ZEBSCANP_CHECK_EXPORT(name)                                        \
    static_assert(std::is_convertible<decltype(&name), PFN_##name>::value, \
                  #name " differs from the binding's type");               \
    static_assert(IsGuardedExport<decltype(&name)>::value, #name " must be guarded");
#define ZEBSCANP_CHECK_SCAN_EXPORT(name, slot, params) ZEBSCANP_CHECK_EXPORT(name)
ZEBSCANP_SCAN_ENTRY_POINTS(ZEBSCANP_CHECK_SCAN_EXPORT)
ZEBSCANP_CHECK_EXPORT(ZEBScanPSetEngineName)
ZEBSCANP_CHECK_EXPORT(ZEBScanPCureFile)
#undef ZEBSCANP_CHECK_SCAN_EXPORT
#undef ZEBSCANP_CHECK_EXPORT
