#include "audit/FileSha256.h"

#include <windows.h>

#include <memory>
#include <new>

#include "audit/CngHandles.h"
#include "framework/LongPaths.h"

namespace {

constexpr ULONG kDigestBytes = 32;
// Large enough that a restored file of usual size takes one read; a chunk is
// kept per thread, since under Wine a block this size is mapped afresh on every
// allocation.
constexpr DWORD kChunkBytes = 256 * 1024;

// Opening the provider costs more than hashing a small file, and one handle
// serves every thread's hashes, so the process opens it once.
BCRYPT_ALG_HANDLE Sha256Provider() {
    static const CCngAlgorithm provider = [] {
        CCngAlgorithm algorithm;
        if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(algorithm.Put(), BCRYPT_SHA256_ALGORITHM,
                                                          nullptr, 0)))
            algorithm.Reset();
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
    CCngHash hash;
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(provider, hash.Put(), nullptr, 0, nullptr, 0, 0)))
        return false;
    UCHAR* const chunk = Chunk();
    if (!chunk) return false;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), chunk, kChunkBytes, &read, nullptr)) return false;
        if (read == 0) break;
        if (!BCRYPT_SUCCESS(::BCryptHashData(hash.Get(), chunk, read, 0))) return false;
    }
    UCHAR digest[kDigestBytes];
    if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.Get(), digest, kDigestBytes, 0))) return false;

    static const wchar_t kHexDigits[] = L"0123456789abcdef";
    hexOut->reserve(2 * kDigestBytes);
    for (UCHAR byte : digest) {
        hexOut->push_back(kHexDigits[byte >> 4]);
        hexOut->push_back(kHexDigits[byte & 0x0f]);
    }
    return true;
}
