#pragma once

#include <windows.h>
#include <bcrypt.h>

#include "framework/Handles.h"

// Owners for the platform's CNG handles: an algorithm provider and a hash.
struct CngAlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct CngHashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::BCryptDestroyHash(h); }
};
using CCngAlgorithm = CUniqueHandle<CngAlgorithmTraits>;
using CCngHash = CUniqueHandle<CngHashTraits>;
