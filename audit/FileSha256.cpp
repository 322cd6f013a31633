#include "audit/FileSha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <memory>
#include <new>
#include <type_traits>

#include "framework/Handles.h"
#include "framework/LongPaths.h"
#include "framework/SystemLibrary.h"

namespace {

constexpr ULONG kDigestBytes = 32;
// Large enough that a restored file of usual size takes one read; a chunk is
// kept per thread, since under Wine a block this size is mapped afresh on every
// allocation.
constexpr DWORD kChunkBytes = 256 * 1024;

// The CNG entry points, bound when the first file is hashed. A run that
// hashes nothing (a listing, the older restore, an empty quarantine) then
// never loads bcrypt.dll, whose loading is part of every start otherwise: a
// script's start-up is what such a run mostly costs.
struct CngFunctions {
    decltype(&::BCryptOpenAlgorithmProvider) openProvider = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) closeProvider = nullptr;
    decltype(&::BCryptCreateHash) createHash = nullptr;
    decltype(&::BCryptHashData) hashData = nullptr;
    decltype(&::BCryptFinishHash) finishHash = nullptr;
    decltype(&::BCryptDestroyHash) destroyHash = nullptr;
};

// Every pointer null when the library or any entry point is missing.
const CngFunctions& Cng() {
    static const CngFunctions functions = [] {
        CngFunctions bound;
        const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
        if (!module) return bound;
        const auto bind = [module](auto* pSlot, const char* name) {
            *pSlot =
                ProcCast<std::remove_pointer_t<decltype(pSlot)>>(::GetProcAddress(module, name));
            return *pSlot != nullptr;
        };
        if (bind(&bound.openProvider, "BCryptOpenAlgorithmProvider") &&
            bind(&bound.closeProvider, "BCryptCloseAlgorithmProvider") &&
            bind(&bound.createHash, "BCryptCreateHash") &&
            bind(&bound.hashData, "BCryptHashData") &&
            bind(&bound.finishHash, "BCryptFinishHash") &&
            bind(&bound.destroyHash, "BCryptDestroyHash"))
            return bound;
        return CngFunctions();
    }();
    return functions;
}

struct ProviderTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { Cng().closeProvider(h, 0); }
};
struct HashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { Cng().destroyHash(h); }
};
using CProvider = CUniqueHandle<ProviderTraits>;
using CHash = CUniqueHandle<HashTraits>;

// Opening the provider costs more than hashing a small file, and one handle
// serves every thread's hashes, so the process opens it once.
BCRYPT_ALG_HANDLE Sha256Provider() {
    static const CProvider provider = [] {
        CProvider algorithm;
        if (!Cng().openProvider || !BCRYPT_SUCCESS(Cng().openProvider(
                                       algorithm.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            algorithm.Release();  // a failed open hands back no handle to close
        return algorithm;
    }();
    return provider.Get();
}

// Null when memory is short; a later call tries again.
UCHAR* Chunk() {
    thread_local std::unique_ptr<UCHAR[]> chunk;
    if (!chunk) chunk.reset(new (std::nothrow) UCHAR[kChunkBytes]);
    return chunk.get();
}

}  // namespace

bool FileSha256(const std::wstring& path, std::wstring* hexOut) {
    hexOut->clear();
    const BCRYPT_ALG_HANDLE provider = Sha256Provider();
    if (!provider) return false;
    CFileHandle file(::CreateFileW(FileCallPath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    const CngFunctions& cng = Cng();
    CHash hash;
    if (!BCRYPT_SUCCESS(cng.createHash(provider, hash.Put(), nullptr, 0, nullptr, 0, 0)))
        return false;
    UCHAR* const chunk = Chunk();
    if (!chunk) return false;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), chunk, kChunkBytes, &read, nullptr)) return false;
        if (read == 0) break;
        if (!BCRYPT_SUCCESS(cng.hashData(hash.Get(), chunk, read, 0))) return false;
    }
    UCHAR digest[kDigestBytes];
    if (!BCRYPT_SUCCESS(cng.finishHash(hash.Get(), digest, kDigestBytes, 0))) return false;

    static const wchar_t kHexDigits[] = L"0123456789abcdef";
    hexOut->reserve(2 * kDigestBytes);
    for (UCHAR byte : digest) {
        hexOut->push_back(kHexDigits[byte >> 4]);
        hexOut->push_back(kHexDigits[byte & 0x0f]);
    }
    return true;
}
