#include "quarantine/ZEBQtWrapper.h"

#include <cstdint>
#include <utility>

namespace {
const int32_t kNoHandle = -1;
const int32_t kVirusChars = 1024;
// A library that never answers -1 would keep an enumeration, and the program,
// going until memory runs out. No quarantine comes near these counts, and a
// container holds one detection's few objects.
const int32_t kMaxContainers = 65536;
const int32_t kMaxObjects = 4096;
// Object kinds the library reports; kind 0 is a file.
const int32_t kObjectRegistryValue = 1;
const int32_t kObjectHostsEntry = 2;
// Put into the kind before each open, to see whether the library named one.
const int32_t kKindNotReported = INT32_MIN;
}  // namespace

CZEBQtWrapper::QuarantinePtr CZEBQtWrapper::OpenQuarantine(const std::wstring& path) {
    QuarantinePtr quarantine(new Quarantine(this));
    if (!quarantine->Open(path)) return QuarantinePtr();
    return quarantine;
}

// Quarantine ---------------------------------------------------------------

CZEBQtWrapper::Quarantine::Quarantine(CZEBQtWrapper* pWrapper)
    : m_pWrapper(pWrapper), m_hQuarantine(kNoHandle) {}

CZEBQtWrapper::Quarantine::~Quarantine() {
    if (m_hQuarantine != kNoHandle && m_pWrapper != nullptr)
        m_pWrapper->ZEBQtCloseQuarantine(m_hQuarantine);
}

bool CZEBQtWrapper::Quarantine::Open(const std::wstring& path) {
    m_strOpenedFolder = path;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') m_strOpenedFolder += L'\\';
    m_hQuarantine = m_pWrapper->ZEBQtOpenQuarantine(path.c_str());
    ReadProperties();
    return m_hQuarantine != kNoHandle;
}

void CZEBQtWrapper::Quarantine::ReadProperties() {
    if (m_hQuarantine == kNoHandle) return;
    wchar_t* const path = m_pWrapper->m_PathBuffers.Get(0);
    m_strPath.clear();
    if (m_pWrapper->ZEBQtGetQuarantineProperties(m_hQuarantine, path, kLibraryPathChars) != 0)
        return;
    LibraryText read = ReadLibraryText(path, kLibraryPathChars);
    if (read.whole) m_strPath = std::move(read.text);
}

bool CZEBQtWrapper::Quarantine::EnumContainers(std::vector<ContainerPtr>& containers) {
    return EnumContainers(containers, nullptr);
}

bool CZEBQtWrapper::Quarantine::EnumContainers(
    std::vector<ContainerPtr>& containers, const std::function<bool(const Container&)>& readOn) {
    containers.clear();
    if (m_pWrapper->ZEBQtStartEnumContainers(m_hQuarantine) != 0) return false;
    for (int32_t index = 0; index < kMaxContainers; ++index) {
        // The instance exists before its handle does, so that no handle is
        // left unowned when an allocation fails.
        ContainerPtr container(new Container(m_pWrapper));
        container->m_hContainer = m_pWrapper->ZEBQtOpenContainer(m_hQuarantine, index);
        if (container->m_hContainer == kNoHandle) break;
        container->ReadProperties();
        containers.push_back(container);
        if (readOn && !readOn(*container)) break;
    }
    return true;
}

CZEBQtWrapper::ContainerPtr CZEBQtWrapper::Quarantine::OpenContainerByName(
    const std::wstring& name) {
    ContainerPtr container(new Container(m_pWrapper));
    // Without a path from the library a bare name would be looked for in the
    // current folder, which may hold anything.
    const std::wstring& folder = m_strPath.empty() ? m_strOpenedFolder : m_strPath;
    container->m_hContainer = m_pWrapper->ZEBQtOpenContainerByName((folder + name).c_str());
    if (container->m_hContainer == kNoHandle) return ContainerPtr();
    container->ReadProperties();
    return container;
}

// Container ----------------------------------------------------------------

CZEBQtWrapper::Container::Container(CZEBQtWrapper* pWrapper)
    : m_Time(), m_dwInfo1(0), m_dwInfo2(0), m_pWrapper(pWrapper), m_hContainer(kNoHandle) {}

CZEBQtWrapper::Container::~Container() {
    if (m_hContainer != kNoHandle && m_pWrapper != nullptr)
        m_pWrapper->ZEBQtCloseContainer(m_hContainer);
}

void CZEBQtWrapper::Container::ReadProperties() {
    if (m_hContainer == kNoHandle || m_pWrapper == nullptr) return;
    wchar_t* const filePath = m_pWrapper->m_PathBuffers.Get(0);
    wchar_t virus[kVirusChars] = {};
    const bool answered =
        m_pWrapper->ZEBQtGetContainerProperties(m_hContainer, filePath, kLibraryPathChars, virus,
                                                kVirusChars, &m_Time, &m_dwInfo1, &m_dwInfo2) == 0;
    // A cut file path would name another quarantine file, so a call that
    // gives one counts as failed.
    LibraryText path;
    if (answered) path = ReadLibraryText(filePath, kLibraryPathChars);
    if (answered && path.whole) {
        m_strFilePath = std::move(path.text);
        m_strVirus = TextFromBuffer(virus, kVirusChars);
    } else {
        m_Time = SYSTEMTIME();
        m_dwInfo1 = 0;
        m_dwInfo2 = 0;
        m_strFilePath.clear();
        m_strVirus.clear();
    }
}

bool CZEBQtWrapper::Container::EnumObjects(std::vector<FileObjectPtr>& objects) {
    objects.clear();
    if (m_hContainer == kNoHandle || m_pWrapper == nullptr) return false;
    for (int32_t index = 0; index < kMaxObjects; ++index) {
        FileObjectPtr object(new FileObject(m_pWrapper));
        int32_t kind = 0;
        const int32_t handle = m_pWrapper->ZEBQtOpenObject(m_hContainer, index, &kind);
        if (handle == kNoHandle) break;
        if (kind != 0) {
            // Only files are listed and restored.
            m_pWrapper->ZEBQtCloseObject(handle);
            continue;
        }
        object->m_hObject = handle;
        object->m_nIndex = index;
        object->ReadProperties();
        objects.push_back(object);
    }
    return true;
}

int32_t CZEBQtWrapper::Container::CountNonFileObjects() {
    if (m_hContainer == kNoHandle || m_pWrapper == nullptr) return 0;
    int32_t others = 0;
    for (int32_t index = 0; index < kMaxObjects; ++index) {
        int32_t kind = 0;
        const int32_t handle = m_pWrapper->ZEBQtOpenObject(m_hContainer, index, &kind);
        if (handle == kNoHandle) break;
        m_pWrapper->ZEBQtCloseObject(handle);
        if (kind != 0) ++others;
    }
    return others;
}

bool CZEBQtWrapper::Container::ListsOnlyNonFileObjects() {
    if (m_hContainer == kNoHandle || m_pWrapper == nullptr) return false;
    // A -1 both ends a listing and refuses an object the library cannot
    // open, so a container is taken for one without files only when nothing
    // says its listing stopped short: the refusing call named no kind, the
    // index after it gives nothing either, and every object listed is of a
    // kind known not to be a file.
    bool listedAny = false;
    for (int32_t index = 0; index < kMaxObjects; ++index) {
        int32_t kind = kKindNotReported;
        const int32_t handle = m_pWrapper->ZEBQtOpenObject(m_hContainer, index, &kind);
        if (handle == kNoHandle) {
            if (kind != kKindNotReported) return false;
            int32_t nextKind = kKindNotReported;
            const int32_t next = m_pWrapper->ZEBQtOpenObject(m_hContainer, index + 1, &nextKind);
            if (next != kNoHandle) {
                m_pWrapper->ZEBQtCloseObject(next);
                return false;
            }
            return listedAny && nextKind == kKindNotReported;
        }
        m_pWrapper->ZEBQtCloseObject(handle);
        if (kind != kObjectRegistryValue && kind != kObjectHostsEntry) return false;
        listedAny = true;
    }
    // A listing that never ended is not known to be complete.
    return false;
}

CZEBQtWrapper::Container::Objects CZEBQtWrapper::Container::ReadObjects() {
    Objects objects;
    if (m_hContainer == kNoHandle || m_pWrapper == nullptr) return objects;
    // Whether the listing so far holds only registry values and hosts
    // entries; the skip rule's further questions are asked at its end only
    // while that holds.
    bool onlyOthers = true;
    for (int32_t index = 0; index < kMaxObjects; ++index) {
        int32_t kind = kKindNotReported;
        const int32_t handle = m_pWrapper->ZEBQtOpenObject(m_hContainer, index, &kind);
        if (handle == kNoHandle) {
            if (onlyOthers && objects.otherObjects != 0 && kind == kKindNotReported) {
                int32_t nextKind = kKindNotReported;
                const int32_t next =
                    m_pWrapper->ZEBQtOpenObject(m_hContainer, index + 1, &nextKind);
                if (next != kNoHandle) m_pWrapper->ZEBQtCloseObject(next);
                objects.onlyNonFileObjects = next == kNoHandle && nextKind == kKindNotReported;
            }
            return objects;
        }
        // A kind left unnamed is taken for a file, as the enumeration takes it.
        if (kind == 0 || kind == kKindNotReported) {
            FileObject object(m_pWrapper);
            object.m_hObject = handle;
            object.m_nIndex = index;
            object.ReadProperties();
            objects.formerPaths.push_back(std::move(object.m_strOrigPath));
            onlyOthers = false;
            continue;
        }
        m_pWrapper->ZEBQtCloseObject(handle);
        ++objects.otherObjects;
        if (kind != kObjectRegistryValue && kind != kObjectHostsEntry) onlyOthers = false;
    }
    // A listing that never ended is not known to be complete.
    return objects;
}

int32_t CZEBQtWrapper::Container::Restore(const std::wstring& destination, uint32_t flags,
                                          ZEBQtCleanHook hook, uintptr_t context,
                                          uint32_t reserved) {
    if (m_hContainer == kNoHandle || m_pWrapper == nullptr) return kRestoreNotAttempted;
    return m_pWrapper->ZEBQtRestoreContainer(m_hContainer, destination.c_str(), flags, hook,
                                             context, reserved);
}

// Objects ------------------------------------------------------------------

CZEBQtWrapper::Object::Object(CZEBQtWrapper* pWrapper)
    : m_nIndex(0), m_pWrapper(pWrapper), m_hObject(kNoHandle) {}

CZEBQtWrapper::Object::~Object() {
    if (m_hObject != kNoHandle && m_pWrapper != nullptr) m_pWrapper->ZEBQtCloseObject(m_hObject);
}

CZEBQtWrapper::FileObject::FileObject(CZEBQtWrapper* pWrapper) : Object(pWrapper), m_FileInfo() {}

void CZEBQtWrapper::FileObject::ReadProperties() {
    if (m_hObject == kNoHandle || m_pWrapper == nullptr) return;
    wchar_t* const origPath = m_pWrapper->m_PathBuffers.Get(0);
    wchar_t virus[kVirusChars] = {};
    if (m_pWrapper->ZEBQtGetFileObjectProperties(m_hObject, origPath, kLibraryPathChars, virus,
                                                 kVirusChars, &m_FileInfo) != 0)
        return;
    // A cut former path would restore to, hash and audit another file.
    LibraryText path = ReadLibraryText(origPath, kLibraryPathChars);
    if (!path.whole) return;
    m_strOrigPath = std::move(path.text);
    m_strVirus = TextFromBuffer(virus, kVirusChars);
}

int32_t CZEBQtWrapper::FileObject::Restore(uint32_t value1, uint32_t value2, uint32_t value3,
                                           uint32_t value4, uint32_t value5, std::wstring* pText1,
                                           std::wstring* pText2) {
    if (m_hObject == kNoHandle || m_pWrapper == nullptr) return kRestoreNotAttempted;
    wchar_t* const text1 = m_pWrapper->m_PathBuffers.Get(0);
    wchar_t* const text2 = m_pWrapper->m_PathBuffers.Get(1);
    const int32_t result =
        m_pWrapper->ZEBQtRestoreFileObject(m_hObject, value1, value2, value3, value4, value5, text1,
                                           kLibraryPathChars, text2, kLibraryPathChars);
    if (result != 0) return result;
    // The restore happened whatever its texts say; a text that may be cut is
    // given as none.
    for (const auto& out : {std::make_pair(text1, pText1), std::make_pair(text2, pText2)}) {
        if (out.second == nullptr) continue;
        LibraryText read = ReadLibraryText(out.first, kLibraryPathChars);
        *out.second = read.whole ? std::move(read.text) : std::wstring();
    }
    return result;
}
