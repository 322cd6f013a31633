#include "tests/doubles/in_process/FakeQuarantineLibrary.h"

#include <algorithm>

namespace {

FakeQuarantineState g_state;

const int32_t kQuarantineHandle = 7;
const int32_t kContainerBase = 1000;
const int32_t kObjectBase = 1000000;
const int32_t kObjectsPerContainer = 100;

void CopyText(const std::wstring& text, wchar_t* buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = L'\0';
}

const FakeContainer* ContainerOf(int32_t hContainer) {
    const int32_t index = hContainer - kContainerBase;
    if (index < 0 || index >= static_cast<int32_t>(g_state.containers.size())) return nullptr;
    return &g_state.containers[static_cast<size_t>(index)];
}

const FakeObject* ObjectOf(int32_t hObject) {
    const int32_t index = hObject - kObjectBase;
    if (index < 0) return nullptr;
    const size_t container = static_cast<size_t>(index / kObjectsPerContainer);
    const size_t object = static_cast<size_t>(index % kObjectsPerContainer);
    if (container >= g_state.containers.size() ||
        object >= g_state.containers[container].objects.size())
        return nullptr;
    return &g_state.containers[container].objects[object];
}

int32_t __cdecl OpenQuarantine(const wchar_t* folder) {
    g_state.openedFolders.push_back(folder != nullptr ? folder : L"");
    if (!g_state.acceptedFolder.empty() && g_state.openedFolders.back() != g_state.acceptedFolder)
        return -1;
    ++g_state.openHandles;
    return kQuarantineHandle;
}

int32_t __cdecl Close(int32_t) {
    --g_state.openHandles;
    return 0;
}

int32_t __cdecl GetQuarantineProperties(int32_t, wchar_t* path, int32_t cchPath) {
    CopyText(g_state.openedFolders.empty() ? std::wstring() : g_state.openedFolders.back(), path,
             cchPath);
    return 0;
}

int32_t __cdecl StartEnumContainers(int32_t) {
    return g_state.enumerationFails ? 5 : 0;
}

int32_t __cdecl OpenContainer(int32_t, int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(g_state.containers.size())) return -1;
    if (g_state.beforeOpenContainer) g_state.beforeOpenContainer(index);
    ++g_state.openHandles;
    return kContainerBase + index;
}

int32_t __cdecl GetContainerProperties(int32_t hContainer, wchar_t* filePath, int32_t cchFilePath,
                                       wchar_t* virus, int32_t cchVirus, SYSTEMTIME* time,
                                       uint32_t*, uint32_t*) {
    const FakeContainer* container = ContainerOf(hContainer);
    if (container == nullptr || container->propertiesFail) return 5;
    CopyText(container->filePath, filePath, cchFilePath);
    CopyText(container->virus, virus, cchVirus);
    if (time != nullptr) *time = container->time;
    return 0;
}

int32_t __cdecl OpenObject(int32_t hContainer, int32_t index, int32_t* kind) {
    const FakeContainer* container = ContainerOf(hContainer);
    if (container == nullptr || index < 0 ||
        index >= static_cast<int32_t>(container->objects.size()))
        return -1;
    if (kind != nullptr) *kind = container->objects[static_cast<size_t>(index)].kind;
    ++g_state.openHandles;
    return kObjectBase + (hContainer - kContainerBase) * kObjectsPerContainer + index;
}

int32_t __cdecl GetFileObjectProperties(int32_t hObject, wchar_t* origPath, int32_t cchOrigPath,
                                        wchar_t* virus, int32_t cchVirus, ZEBQtFileInfo*) {
    const FakeObject* object = ObjectOf(hObject);
    if (object == nullptr) return 5;
    CopyText(object->origPath, origPath, cchOrigPath);
    CopyText(object->virus, virus, cchVirus);
    return 0;
}

}  // namespace

struct CFakeQuarantineLibrary::SavedSlots {
#define FAKE_SAVE_SLOT(name, ret, stub, params) PFN_##name name;
    ZEBQT_ENTRY_POINTS(FAKE_SAVE_SLOT)
#undef FAKE_SAVE_SLOT
};

CFakeQuarantineLibrary::CFakeQuarantineLibrary(CZEBQtWrapper& wrapper)
    : m_wrapper(wrapper), m_saved(std::make_unique<SavedSlots>()) {
#define FAKE_SAVE_SLOT(name, ret, stub, params) m_saved->name = wrapper.name;
    ZEBQT_ENTRY_POINTS(FAKE_SAVE_SLOT)
#undef FAKE_SAVE_SLOT
    g_state = FakeQuarantineState();
    wrapper.ZEBQtOpenQuarantine = &OpenQuarantine;
    wrapper.ZEBQtCloseQuarantine = &Close;
    wrapper.ZEBQtGetQuarantineProperties = &GetQuarantineProperties;
    wrapper.ZEBQtStartEnumContainers = &StartEnumContainers;
    wrapper.ZEBQtOpenContainer = &OpenContainer;
    wrapper.ZEBQtCloseContainer = &Close;
    wrapper.ZEBQtGetContainerProperties = &GetContainerProperties;
    wrapper.ZEBQtOpenObject = &OpenObject;
    wrapper.ZEBQtCloseObject = &Close;
    wrapper.ZEBQtGetFileObjectProperties = &GetFileObjectProperties;
}

CFakeQuarantineLibrary::~CFakeQuarantineLibrary() {
    g_state = FakeQuarantineState();
#define FAKE_RESTORE_SLOT(name, ret, stub, params) m_wrapper.name = m_saved->name;
    ZEBQT_ENTRY_POINTS(FAKE_RESTORE_SLOT)
#undef FAKE_RESTORE_SLOT
}

FakeQuarantineState& CFakeQuarantineLibrary::State() {
    return g_state;
}

FakeContainer CFakeQuarantineLibrary::MakeContainer(const std::wstring& filePath,
                                                    const std::wstring& virus,
                                                    const std::wstring& origPath,
                                                    const SYSTEMTIME& time) {
    FakeContainer container;
    container.filePath = filePath;
    container.virus = virus;
    container.time = time;
    FakeObject object;
    object.origPath = origPath;
    object.virus = virus;
    container.objects.push_back(object);
    return container;
}
