#include "quarantine/ZEBQtWrapper.h"

#include "framework/KnownFolders.h"

namespace {

// A stub of a slot's own signature that ignores its arguments and answers the
// slot's fixed failure value.
template <typename Fn, int Value>
struct Stub;
template <typename R, typename... Args, int Value>
struct Stub<R(__cdecl*)(Args...), Value> {
    static R __cdecl Call(Args...) { return static_cast<R>(Value); }
};
template <typename... Args, int Value>
struct Stub<void(__cdecl*)(Args...), Value> {
    static void __cdecl Call(Args...) {}
};

}  // namespace

std::wstring TextFromBuffer(const wchar_t* buffer, size_t capacity) {
    size_t length = 0;
    while (length < capacity && buffer[length] != L'\0') ++length;
    return std::wstring(buffer, length);
}

std::vector<std::wstring> ZEBQtLibraryCandidates(const std::wstring& directory,
                                                 const std::wstring& commonFiles) {
    std::vector<std::wstring> candidates;
    candidates.push_back(directory.empty() ? L"ZEBQt.dll" : directory + L"\\ZEBQt.dll");
    // Without a common program files folder the product's place would become
    // a folder at the root of the current drive, where anyone may put a library.
    if (!commonFiles.empty()) candidates.push_back(commonFiles + L"\\HALVREN\\ZEBScanP\\ZEBQt.dll");
    return candidates;
}

CZEBQtWrapper::CZEBQtWrapper() : m_bEntryPointMissing(false) { ResetSlots(); }

CZEBQtWrapper::~CZEBQtWrapper() { Unload(); }

void CZEBQtWrapper::ResetSlots() {
#define ZEBQT_STUB_SLOT(name, ret, stub, params) name = &Stub<PFN_##name, stub>::Call;
    ZEBQT_ENTRY_POINTS(ZEBQT_STUB_SLOT)
#undef ZEBQT_STUB_SLOT
}

bool CZEBQtWrapper::Load(const std::wstring& directory) {
    if (m_hModule) return true;

    CModule module;
    for (const std::wstring& candidate : ZEBQtLibraryCandidates(directory, CommonProgramFilesFolder())) {
        module.Reset(::LoadLibraryW(candidate.c_str()));
        if (module) break;
    }
    if (!module) return false;

    m_bEntryPointMissing = false;
#define ZEBQT_BIND_SLOT(name, ret, stub, params)                                  \
    if (FARPROC proc = ::GetProcAddress(module.Get(), #name)) {                   \
        name = ProcCast<PFN_##name>(proc);                                        \
    } else {                                                                      \
        name = &Stub<PFN_##name, stub>::Call;                                     \
        m_bEntryPointMissing = true;                                              \
        ::OutputDebugStringA("GetProcAddress(ZEBQt) FAILED for " #name);          \
        ::OutputDebugStringA("\n");                                               \
    }
    ZEBQT_ENTRY_POINTS(ZEBQT_BIND_SLOT)
#undef ZEBQT_BIND_SLOT
    m_hModule = std::move(module);
    return true;
}

void CZEBQtWrapper::Unload() {
    if (!m_hModule) return;
    m_hModule.Reset();
    m_bEntryPointMissing = false;
    ResetSlots();
}
