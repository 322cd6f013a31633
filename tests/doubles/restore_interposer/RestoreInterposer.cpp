#include "tests/doubles/restore_interposer/RestoreInterposer.h"

namespace {
CRestoreInterposer* g_pInterposer = nullptr;
CZEBQtWrapper* g_pWrapper = nullptr;

std::wstring NameOfContainer(CZEBQtWrapper& wrapper, int32_t hContainer) {
    wchar_t path[260] = {};
    wchar_t virus[1024] = {};
    SYSTEMTIME time = {};
    uint32_t info1 = 0;
    uint32_t info2 = 0;
    if (wrapper.ZEBQtGetContainerProperties(hContainer, path, 260, virus, 1024, &time, &info1,
                                            &info2) != 0)
        return std::wstring();
    const std::wstring text = TextFromBuffer(path, 260);
    const size_t slash = text.rfind(L'\\');
    return slash == std::wstring::npos ? text : text.substr(slash + 1);
}
}  // namespace

CRestoreInterposer::CRestoreInterposer(CZEBQtWrapper& wrapper)
    : m_wrapper(wrapper), m_pfnLibraryRestore(wrapper.ZEBQtRestoreContainer) {
    g_pInterposer = this;
    g_pWrapper = &wrapper;
    wrapper.ZEBQtRestoreContainer = &CRestoreInterposer::Restore;
}

CRestoreInterposer::~CRestoreInterposer() {
    m_wrapper.ZEBQtRestoreContainer = m_pfnLibraryRestore;
    g_pInterposer = nullptr;
    g_pWrapper = nullptr;
}

std::vector<std::wstring> CRestoreInterposer::RestoredNames() const {
    std::vector<std::wstring> names;
    for (const RestoreCall& call : m_calls) names.push_back(call.containerName);
    return names;
}

int32_t __cdecl CRestoreInterposer::Restore(int32_t hContainer, const wchar_t* destination,
                                            uint32_t flags, ZEBQtCleanHook hook, uintptr_t context,
                                            uint32_t reserved) {
    if (g_pInterposer->m_beforeEach) g_pInterposer->m_beforeEach(g_pInterposer->m_calls.size());
    RestoreCall call;
    call.containerName = NameOfContainer(*g_pWrapper, hContainer);
    call.destination = destination != nullptr ? destination : L"(null)";
    call.flags = flags;
    call.hook = hook;
    call.context = context;
    call.reserved = reserved;
    call.waitCursor = ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT);
    const auto failure = g_pInterposer->m_failures.find(call.containerName);
    call.result = failure != g_pInterposer->m_failures.end()
                      ? failure->second
                      : g_pInterposer->m_pfnLibraryRestore(hContainer, destination, flags, hook,
                                                           context, reserved);
    g_pInterposer->m_calls.push_back(call);
    return call.result;
}
