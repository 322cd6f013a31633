#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"

// One call of the quarantine library's container restore, as the program made it.
struct RestoreCall {
    std::wstring containerName;  // the quarantine file's name, without folder
    std::wstring destination;
    uint32_t flags = 0;
    ZEBQtCleanHook hook = nullptr;
    uintptr_t context = 0;
    uint32_t reserved = 0;
    int32_t result = 0;
    bool waitCursor = false;  // the wait cursor showed as the call was made
};

// Stands between a binding and its loaded library's container restore: every
// call is recorded and passed on, except for the quarantine files told to
// fail, which answer their code without anything being restored. Put the
// library's own restore back when it goes. The slot is a plain function, so
// only one interposer may live at a time.
class CRestoreInterposer {
public:
    explicit CRestoreInterposer(CZEBQtWrapper& wrapper);
    ~CRestoreInterposer();
    CRestoreInterposer(const CRestoreInterposer&) = delete;
    CRestoreInterposer& operator=(const CRestoreInterposer&) = delete;

    // The quarantine file of that name answers the code instead of restoring.
    void FailWith(const std::wstring& containerName, int32_t result) {
        m_failures[containerName] = result;
    }
    // Runs before every restore, with the number of restores before it; a
    // test makes the library slow with it, or watches what happens meanwhile.
    void BeforeEachCall(std::function<void(size_t)> fn) { m_beforeEach = std::move(fn); }
    const std::vector<RestoreCall>& Calls() const { return m_calls; }
    std::vector<std::wstring> RestoredNames() const;

private:
    static int32_t __cdecl Restore(int32_t hContainer, const wchar_t* destination, uint32_t flags,
                                   ZEBQtCleanHook hook, uintptr_t context, uint32_t reserved);

    CZEBQtWrapper& m_wrapper;
    PFN_ZEBQtRestoreContainer m_pfnLibraryRestore;
    std::map<std::wstring, int32_t> m_failures;
    std::vector<RestoreCall> m_calls;
    std::function<void(size_t)> m_beforeEach;
};
