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

CZEBQtWrapper::CZEBQtWrapper() : m_bEntryPointMissing(false) { ResetSlots(); }

CZEBQtWrapper::~CZEBQtWrapper() { Unload(); }

void CZEBQtWrapper::ResetSlots() {
#define ZEBQT_STUB_SLOT(name, ret, stub, params) name = &Stub<PFN_##name, stub>::Call;
    ZEBQT_ENTRY_POINTS(ZEBQT_STUB_SLOT)
#undef ZEBQT_STUB_SLOT
}

bool CZEBQtWrapper::Load(const std::wstring& directory) {
    if (m_hModule) return true;

    const std::wstring commonFiles = CommonProgramFilesFolder();
    CModule module(::LoadLibraryW(directory.empty() ? L"ZEBQt.dll" : (directory + L"\\ZEBQt.dll").c_str()));
    if (!module) module.Reset(::LoadLibraryW((commonFiles + L"\\HALVREN\\ZEBScanP\\ZEBQt.dll").c_str()));
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
