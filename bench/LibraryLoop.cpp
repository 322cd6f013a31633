#include "bench/LibraryLoop.h"

#include <bcrypt.h>

#include <cwchar>

#include "audit/CngHandles.h"
#include "framework/Handles.h"
#include "quarantine/ZEBQtEntryPoints.h"

namespace {

template <typename Fn>
Fn Bind(HMODULE module, const char* name) {
    return ProcCast<Fn>(::GetProcAddress(module, name));
}

// As large as the program's own chunk, so that both read a usual restored
// file in one call.
constexpr DWORD kChunkBytes = 256 * 1024;

}  // namespace

int RestoreEveryContainer(HMODULE library, const std::wstring& source,
                          const std::wstring& destination, int* pTried) {
    if (pTried) *pTried = 0;
    const auto open = Bind<PFN_ZEBQtOpenQuarantine>(library, "ZEBQtOpenQuarantine");
    const auto close = Bind<PFN_ZEBQtCloseQuarantine>(library, "ZEBQtCloseQuarantine");
    const auto start = Bind<PFN_ZEBQtStartEnumContainers>(library, "ZEBQtStartEnumContainers");
    const auto openContainer = Bind<PFN_ZEBQtOpenContainer>(library, "ZEBQtOpenContainer");
    const auto closeContainer = Bind<PFN_ZEBQtCloseContainer>(library, "ZEBQtCloseContainer");
    const auto restore = Bind<PFN_ZEBQtRestoreContainer>(library, "ZEBQtRestoreContainer");
    if (!open || !close || !start || !openContainer || !closeContainer || !restore) return -1;
    const int32_t quarantine = open(source.c_str());
    if (quarantine == -1) return -1;
    int restored = 0;
    if (start(quarantine) == 0) {
        for (int32_t index = 0;; ++index) {
            const int32_t container = openContainer(quarantine, index);
            if (container == -1) break;
            if (pTried) ++*pTried;
            if (restore(container, destination.c_str(), 0, nullptr, 0, 0) == 0) ++restored;
            closeContainer(container);
        }
    }
    close(quarantine);
    return restored;
}

bool HashFiles(const std::wstring& folder, const std::vector<std::wstring>& names) {
    CCngAlgorithm provider;
    if (!BCRYPT_SUCCESS(
            ::BCryptOpenAlgorithmProvider(provider.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return false;
    std::vector<UCHAR> chunk(kChunkBytes);
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
            if (!::ReadFile(file.Get(), chunk.data(), kChunkBytes, &read, nullptr)) return false;
            if (read == 0) break;
            if (!BCRYPT_SUCCESS(::BCryptHashData(hash.Get(), chunk.data(), read, 0))) return false;
        }
        UCHAR digest[32];
        if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.Get(), digest, sizeof digest, 0))) return false;
    }
    return true;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(data.cFileName,
                               ::wcsnlen(data.cFileName, ARRAYSIZE(data.cFileName)));
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}
