#include "scanner/ZEBScanPWrapper.h"

#include <vector>

#include "framework/KnownFolders.h"

namespace {

// Constant-initialised, so it is null before any constructor of the program
// runs; the library still loaded at exit is freed when it goes.
struct ProcessState : CZEBScanPWrapper::SharedState {
    ~ProcessState() { CZEBScanPWrapper().Unload(); }
};
ProcessState g_state;

HMODULE LoadFirstCandidate(const std::wstring& directory, const std::wstring& commonFiles) {
    std::vector<std::wstring> candidates;
    if (!directory.empty()) {
        candidates.push_back(directory + L"\\ZEBScanP.dll");
        candidates.push_back(directory + L"\\ZEBScanPS.dll");
    }
    // Without a common program files folder the candidate would be a path
    // relative to the current directory.
    if (!commonFiles.empty())
        candidates.push_back(commonFiles + L"\\HALVREN\\ZEBScanP\\ZEBScanP.dll");
    candidates.push_back(L"ZEBScanP.dll");
    for (const std::wstring& candidate : candidates) {
        if (HMODULE module = ::LoadLibraryW(candidate.c_str())) return module;
    }
    return nullptr;
}

void NameEngine(PFN_ZEBScanPSetEngineName setEngineName, int32_t engine, const std::wstring& name) {
    // The library gets a writable buffer of its own; what it does to it does
    // not reach the caller's text.
    std::vector<wchar_t> copy(name.begin(), name.end());
    copy.push_back(L'\0');
    setEngineName(engine, copy.data());
}

}  // namespace

bool CZEBScanPWrapper::Load(const std::wstring& engineName0, const std::wstring& engineName1) {
    if (g_state.m_hModule) return true;
    return LoadFrom(engineName0, engineName1, std::wstring());
}

bool CZEBScanPWrapper::LoadFrom(const std::wstring& engineName0, const std::wstring& engineName1,
                                const std::wstring& directory) {
    const std::wstring commonFiles = CommonProgramFilesFolder();
    if (!g_state.m_hModule) {
        g_state.m_hModule.Reset(LoadFirstCandidate(directory, commonFiles));
        if (!g_state.m_hModule) return false;
    }

#define ZEBSCANP_BIND_SLOT(name, slot, params) \
    g_state.slot = ProcCast<PFN_##name>(::GetProcAddress(g_state.m_hModule, #name));
    ZEBSCANP_SCAN_ENTRY_POINTS(ZEBSCANP_BIND_SLOT)
#undef ZEBSCANP_BIND_SLOT

    if (auto setEngineName = ProcCast<PFN_ZEBScanPSetEngineName>(
            ::GetProcAddress(g_state.m_hModule, "ZEBScanPSetEngineName"))) {
        NameEngine(setEngineName, 0, engineName0);
        NameEngine(setEngineName, 1, engineName1);
    }
    return true;
}

void CZEBScanPWrapper::Unload() {
    // Frees the library along with the old state.
    static_cast<SharedState&>(g_state) = SharedState();
}

int32_t CZEBScanPWrapper::Cure(uintptr_t value) {
    // Looked up at every call: nothing keeps the address between cures.
    auto cureFile = !g_state.m_hModule ? nullptr
                                                 : ProcCast<PFN_ZEBScanPCureFile>(::GetProcAddress(
                                                       g_state.m_hModule, "ZEBScanPCureFile"));
    if (cureFile == nullptr) return kNoCureFunction;
    return cureFile(value, ZEBSCANP_ACTION_CURE, 0);
}

bool CZEBScanPWrapper::IsLoaded() {
    return static_cast<bool>(g_state.m_hModule);
}

const CZEBScanPWrapper::SharedState& CZEBScanPWrapper::State() {
    return g_state;
}
