// The library's 31 exported C functions. Each one takes the library lock,
// never lets a C++ exception out, and answers a failure code instead.

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "quarantine/ZEBQtEntryPoints.h"
#include "standin/zebqt/ContainerRestore.h"
#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/HandleTable.h"
#include "standin/zebqt/PathRules.h"
#include "standin/zebqt/Quarantining.h"
#include "standin/zebqt/Status.h"
#include "standin/zebqt/StoreFolder.h"

// noexcept: a definition that leaves it out does not compile, and each one
// answers through Guarded. An exception leaving a library cannot be caught by
// a caller in another module of the 32-bit program; the process would end.
#define ZEBQT_DECLARE_EXPORT(name, ret, stub, params) \
    extern "C" __declspec(dllexport) ret __cdecl name params noexcept;
ZEBQT_ENTRY_POINTS(ZEBQT_DECLARE_EXPORT)
#undef ZEBQT_DECLARE_EXPORT

using namespace zq;

namespace {

template <typename Body, typename Result>
Result Guarded(Result failure, Body body) noexcept {
    try {
        LibraryLock lock;
        return body();
    } catch (...) {
        return failure;
    }
}

std::wstring TextOf(const wchar_t* text) {
    return text == nullptr ? std::wstring() : std::wstring(text);
}
std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// Copies as much as fits and always terminates inside the buffer.
void CopyOut(const std::wstring& text, wchar_t* buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy(text.begin(), text.begin() + n, buffer);
    buffer[n] = L'\0';
}

SYSTEMTIME ToSystemTime(const StampFields& s) {
    SYSTEMTIME t;
    t.wYear = s.year;
    t.wMonth = s.month;
    t.wDayOfWeek = s.dayOfWeek;
    t.wDay = s.day;
    t.wHour = s.hour;
    t.wMinute = s.minute;
    t.wSecond = s.second;
    t.wMilliseconds = s.milliseconds;
    return t;
}

StampFields ToStamp(const SYSTEMTIME& t) {
    StampFields s;
    s.year = t.wYear;
    s.month = t.wMonth;
    s.dayOfWeek = t.wDayOfWeek;
    s.day = t.wDay;
    s.hour = t.wHour;
    s.minute = t.wMinute;
    s.second = t.wSecond;
    s.milliseconds = t.wMilliseconds;
    return s;
}

int32_t OpenContainerFile(const std::wstring& folder, const std::wstring& path) {
    auto state = std::make_shared<ContainerState>();
    state->folder = folder;
    state->path = path;
    state->parsed = ReadContainerFile(path);
    return Handles().Add(state);
}

int32_t AfterStore(ContainerState& state, int32_t result) {
    if (!state.path.empty()) state.parsed = ReadContainerFile(state.path);
    return result;
}

template <typename T>
int32_t Close(int32_t handle) {
    return Guarded<>(static_cast<int32_t>(kBadArgument), [&] {
        if (Handles().Remove<T>(handle)) return static_cast<int32_t>(kOk);
        return static_cast<int32_t>(Handles().Find<HandleObject>(handle) ? kWrongKind
                                                                         : kUnknownHandle);
    });
}

int32_t StartFileList(const std::wstring& folder, const std::wstring& pattern) {
    auto state = std::make_shared<FileListState>();
    if (!ListContainerFiles(folder, pattern, state->paths)) return 0;
    const std::wstring base = WithOneTrailingBackslash(folder);
    for (std::wstring& path : state->paths) path = base + path;
    return Handles().Add(state);
}

}  // namespace

int32_t __cdecl ZEBQtOpenQuarantine(const wchar_t* folder) noexcept {
    return Guarded<>(-1, [&] {
        const std::wstring text = WithOneTrailingBackslash(TextOf(folder));
        if (text.empty() || !IsFolder(text)) return -1;
        auto state = std::make_shared<QuarantineState>();
        state->folder = text;
        return Handles().Add(state);
    });
}

int32_t __cdecl ZEBQtCloseQuarantine(int32_t hQuarantine) noexcept {
    // Also ends a file listing that was not walked to its end.
    return Guarded<>(static_cast<int32_t>(kBadArgument), [&] {
        if (Handles().Remove<FileListState>(hQuarantine)) return static_cast<int32_t>(kOk);
        return Close<QuarantineState>(hQuarantine);
    });
}

void __cdecl ZEBQtGetDefaultQuarantinePath(wchar_t* path, int32_t cchPath) noexcept {
    Guarded<>(0, [&] {
        CopyOut(DefaultQuarantineFolder(), path, cchPath);
        return 0;
    });
}

int32_t __cdecl ZEBQtGetQuarantineProperties(int32_t hQuarantine, wchar_t* path,
                                             int32_t cchPath) noexcept {
    return Guarded<>(static_cast<int32_t>(kBadArgument), [&] {
        const auto state = Handles().Find<QuarantineState>(hQuarantine);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (path == nullptr || cchPath <= 0) return static_cast<int32_t>(kBadArgument);
        CopyOut(state->folder, path, cchPath);
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtCreateNewContainer(int32_t hQuarantine, const wchar_t* virus) noexcept {
    return Guarded<>(-1, [&] {
        const auto quarantine = Handles().Find<QuarantineState>(hQuarantine);
        if (!quarantine) return -1;
        auto state = std::make_shared<ContainerState>();
        state->folder = quarantine->folder;
        state->header.time = NowStamp();
        const std::wstring name = TextOf(virus);
        state->header.virus.assign(name.begin(), name.end());
        state->parsed.headerValid = true;
        state->parsed.complete = true;
        state->parsed.time = state->header.time;
        state->parsed.virus = state->header.virus;
        return Handles().Add(state);
    });
}

int32_t __cdecl ZEBQtCloseContainer(int32_t hContainer) noexcept {
    return Close<ContainerState>(hContainer);
}

int32_t __cdecl ZEBQtStartEnumContainers(int32_t hQuarantine) noexcept {
    return Guarded<>(static_cast<int32_t>(kBadArgument), [&] {
        const auto state = Handles().Find<QuarantineState>(hQuarantine);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        std::vector<std::wstring> names;
        if (!ListContainerFiles(state->folder, std::wstring(), names))
            return static_cast<int32_t>(kNotFound);
        state->names = std::move(names);
        state->enumerated = true;
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtGetContainerCount(int32_t hQuarantine) noexcept {
    return Guarded<>(0, [&] {
        const auto state = Handles().Find<QuarantineState>(hQuarantine);
        if (!state) return 0;
        if (state->enumerated) return static_cast<int32_t>(state->names.size());
        std::vector<std::wstring> names;
        ListContainerFiles(state->folder, std::wstring(), names);
        return static_cast<int32_t>(names.size());
    });
}

int32_t __cdecl ZEBQtOpenContainer(int32_t hQuarantine, int32_t index) noexcept {
    return Guarded<>(-1, [&] {
        const auto state = Handles().Find<QuarantineState>(hQuarantine);
        if (!state || !state->enumerated || index < 0 ||
            static_cast<size_t>(index) >= state->names.size())
            return -1;
        // A container that has become unreadable still opens, so that an
        // enumeration does not end early; its properties say what is known.
        return OpenContainerFile(state->folder, state->folder + state->names[index]);
    });
}

int32_t __cdecl ZEBQtOpenContainerByName(const wchar_t* containerPath) noexcept {
    return Guarded<>(-1, [&] {
        const std::wstring path = TextOf(containerPath);
        if (path.empty() ||
            !OpenRegularFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
            return -1;
        return OpenContainerFile(ParentOf(path) + L"\\", path);
    });
}

int32_t __cdecl ZEBQtGetContainerProperties(int32_t hContainer, wchar_t* filePath,
                                            int32_t cchFilePath, wchar_t* virus, int32_t cchVirus,
                                            SYSTEMTIME* time, uint32_t* info1,
                                            uint32_t* info2) noexcept {
    return Guarded<>(static_cast<int32_t>(kBadArgument), [&] {
        const auto state = Handles().Find<ContainerState>(hContainer);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        // A container whose header cannot be read still reports its own path,
        // with an empty virus name and zeros, so that it can be listed.
        const ParsedContainer& parsed = state->parsed;
        CopyOut(state->path, filePath, cchFilePath);
        CopyOut(parsed.headerValid ? Wide(parsed.virus) : std::wstring(), virus, cchVirus);
        if (time != nullptr) *time = parsed.headerValid ? ToSystemTime(parsed.time) : SYSTEMTIME();
        if (info1 != nullptr) *info1 = parsed.headerValid ? parsed.info1 : 0;
        if (info2 != nullptr) *info2 = parsed.headerValid ? parsed.info2 : 0;
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtStoreFileIntoContainer(int32_t hContainer, const wchar_t* file,
                                            const wchar_t* virus) noexcept {
    return Guarded<>(static_cast<int32_t>(kStoreFailed), [&] {
        const auto state = Handles().Find<ContainerState>(hContainer);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (file == nullptr || *file == L'\0') return static_cast<int32_t>(kBadArgument);
        const std::vector<FileToStore> files{{file, std::wstring(), TextOf(virus)}};
        return AfterStore(*state,
                          QuarantineFiles(state->folder, state->header, files, true, state->path));
    });
}

int32_t __cdecl ZEBQtStoreRegistryValueIntoContainer(int32_t hContainer, const wchar_t* keyPath,
                                                     const wchar_t* valueName,
                                                     const wchar_t* virus) noexcept {
    return Guarded<>(static_cast<int32_t>(kStoreFailed), [&] {
        const auto state = Handles().Find<ContainerState>(hContainer);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (keyPath == nullptr) return static_cast<int32_t>(kBadArgument);
        return AfterStore(
            *state, QuarantineRegistryValue(state->folder, state->header, keyPath,
                                            TextOf(valueName), TextOf(virus), true, state->path));
    });
}

int32_t __cdecl ZEBQtStoreHostsFileEntryIntoContainer(int32_t hContainer, const wchar_t* entry,
                                                      const wchar_t* virus) noexcept {
    return Guarded<>(static_cast<int32_t>(kStoreFailed), [&] {
        const auto state = Handles().Find<ContainerState>(hContainer);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        return AfterStore(*state, QuarantineHostsEntry(state->folder, state->header, TextOf(entry),
                                                       TextOf(virus), true, state->path));
    });
}

int32_t __cdecl ZEBQtOpenObject(int32_t hContainer, int32_t index, int32_t* kind) noexcept {
    return Guarded<>(-1, [&] {
        const auto container = Handles().Find<ContainerState>(hContainer);
        if (!container || index < 0) return -1;
        const ParsedContainer& parsed = container->parsed;
        const size_t at = static_cast<size_t>(index);
        if (at >= parsed.objects.size()) {
            // -1 also ends the listing. An object the header counts but that
            // cannot be read is refused with its kind named, so that a caller
            // can tell a listing cut short from a complete one.
            if (kind != nullptr && parsed.headerValid && at < parsed.declaredObjects)
                *kind = static_cast<int32_t>(UnparsedObjectKind(parsed, at));
            return -1;
        }
        auto state = std::make_shared<ObjectState>();
        state->containerPath = container->path;
        state->index = static_cast<uint32_t>(index);
        state->meta = parsed.objects[at].meta;
        if (kind != nullptr) *kind = static_cast<int32_t>(state->meta.kind);
        return Handles().Add(state);
    });
}

int32_t __cdecl ZEBQtCloseObject(int32_t hObject) noexcept {
    return Close<ObjectState>(hObject);
}

namespace {

template <typename Fill>
int32_t WithObject(int32_t hObject, uint32_t kind, Fill fill) {
    return Guarded<>(static_cast<int32_t>(kBadArgument), [&] {
        const auto state = Handles().Find<ObjectState>(hObject);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (state->meta.kind != kind) return static_cast<int32_t>(kWrongKind);
        return fill(*state);
    });
}

}  // namespace

int32_t __cdecl ZEBQtGetFileObjectProperties(int32_t hObject, wchar_t* origPath,
                                             int32_t cchOrigPath, wchar_t* virus, int32_t cchVirus,
                                             ZEBQtFileInfo* info) noexcept {
    return WithObject(hObject, kKindFile, [&](const ObjectState& state) {
        CopyOut(Wide(state.meta.path), origPath, cchOrigPath);
        CopyOut(Wide(state.meta.virus), virus, cchVirus);
        if (info != nullptr)
            std::copy(state.meta.record.begin(), state.meta.record.end(), info->bytes);
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtGetRegistryObjectProperties(int32_t hObject, wchar_t* keyPath,
                                                 int32_t cchKeyPath, wchar_t* valueName,
                                                 int32_t cchValueName, wchar_t* virus,
                                                 int32_t cchVirus) noexcept {
    return WithObject(hObject, kKindRegistryValue, [&](const ObjectState& state) {
        CopyOut(Wide(state.meta.path), keyPath, cchKeyPath);
        CopyOut(Wide(state.meta.name), valueName, cchValueName);
        CopyOut(Wide(state.meta.virus), virus, cchVirus);
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtGetHostsFileEntryObjectProperties(int32_t hObject, wchar_t* entry,
                                                       int32_t cchEntry, wchar_t* virus,
                                                       int32_t cchVirus) noexcept {
    return WithObject(hObject, kKindHostsEntry, [&](const ObjectState& state) {
        CopyOut(Wide(state.meta.path), entry, cchEntry);
        CopyOut(Wide(state.meta.virus), virus, cchVirus);
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtRestoreFileObject(int32_t hObject, uint32_t, uint32_t, uint32_t, uint32_t,
                                       uint32_t, wchar_t* text1, int32_t cchText1, wchar_t* text2,
                                       int32_t cchText2) noexcept {
    return WithObject(hObject, kKindFile, [&](const ObjectState& state) {
        std::wstring restored;
        const int32_t result = RestoreOneObject(state.containerPath, state.index, restored);
        if (result == kOk) {
            CopyOut(restored, text1, cchText1);
            CopyOut(Wide(state.meta.virus), text2, cchText2);
        }
        return result;
    });
}

int32_t __cdecl ZEBQtRestoreRegistryObject(int32_t hObject) noexcept {
    return WithObject(hObject, kKindRegistryValue, [&](const ObjectState& state) {
        std::wstring restored;
        return RestoreOneObject(state.containerPath, state.index, restored);
    });
}

int32_t __cdecl ZEBQtRestoreHostsFileEntryObject(int32_t hObject) noexcept {
    return WithObject(hObject, kKindHostsEntry, [&](const ObjectState& state) {
        std::wstring restored;
        return RestoreOneObject(state.containerPath, state.index, restored);
    });
}

int32_t __cdecl ZEBQtRestoreContainer(int32_t hContainer, const wchar_t* destination, uint32_t,
                                      ZEBQtCleanHook hook, uintptr_t context, uint32_t) noexcept {
    return Guarded<>(static_cast<int32_t>(kContainerUnreadable), [&] {
        const auto state = Handles().Find<ContainerState>(hContainer);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (state->path.empty()) return static_cast<int32_t>(kContainerUnreadable);
        return RestoreContainerFile(state->path, TextOf(destination), hook, context);
    });
}

int32_t __cdecl ZEBQtStartEnumQFilesEx(const wchar_t* folder, const wchar_t* pattern) noexcept {
    return Guarded<>(0, [&] { return StartFileList(TextOf(folder), TextOf(pattern)); });
}

int32_t __cdecl ZEBQtStartEnumQFiles(const wchar_t* folder) noexcept {
    return Guarded<>(0, [&] { return StartFileList(TextOf(folder), std::wstring()); });
}

int32_t __cdecl ZEBQtMoveToQuarantineEx(const wchar_t* folder, const wchar_t* file,
                                        const wchar_t* virus, const SYSTEMTIME* time) noexcept {
    return Guarded<>(static_cast<int32_t>(kStoreFailed), [&] {
        const std::wstring target = WithOneTrailingBackslash(TextOf(folder));
        if (target.empty() || !IsFolder(target) || file == nullptr || *file == L'\0')
            return static_cast<int32_t>(kBadArgument);
        ContainerHeader header;
        header.time = time != nullptr ? ToStamp(*time) : NowStamp();
        const std::wstring name = TextOf(virus);
        header.virus.assign(name.begin(), name.end());
        std::wstring containerPath;
        const std::vector<FileToStore> files{{file, std::wstring(), name}};
        return QuarantineFiles(target, header, files, true, containerPath);
    });
}

int32_t __cdecl ZEBQtMoveToQuarantine(const wchar_t* folder, const wchar_t* file,
                                      const wchar_t* virus) noexcept {
    return ZEBQtMoveToQuarantineEx(folder, file, virus, nullptr);
}

int32_t __cdecl ZEBQtExport(int32_t hContainer, const wchar_t* targetFile) noexcept {
    // A verbatim copy of the quarantine file: still inert, still checked.
    return Guarded<>(static_cast<int32_t>(kTargetFailed), [&] {
        const auto state = Handles().Find<ContainerState>(hContainer);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (state->path.empty() || !state->parsed.complete)
            return static_cast<int32_t>(kContainerUnreadable);
        if (targetFile == nullptr || *targetFile == L'\0')
            return static_cast<int32_t>(kBadArgument);
        return static_cast<int32_t>(
            ::CopyFileW(state->path.c_str(), targetFile, TRUE) ? kOk : kTargetFailed);
    });
}

int32_t __cdecl ZEBQtGetNextQFile(int32_t hEnum, wchar_t* path, int32_t cchPath) noexcept {
    // 1 once the listing is done; the listing's handle is then closed.
    return Guarded<>(static_cast<int32_t>(kUnknownHandle), [&] {
        const auto state = Handles().Find<FileListState>(hEnum);
        if (!state) return static_cast<int32_t>(kUnknownHandle);
        if (state->next >= state->paths.size()) {
            Handles().Remove<FileListState>(hEnum);
            return 1;
        }
        CopyOut(state->paths[state->next++], path, cchPath);
        return static_cast<int32_t>(kOk);
    });
}

int32_t __cdecl ZEBQtGetQFileCount(int32_t hEnum) noexcept {
    return Guarded<>(0, [&] {
        const auto state = Handles().Find<FileListState>(hEnum);
        return state ? static_cast<int32_t>(state->paths.size()) : 0;
    });
}

int32_t __cdecl ZEBQtGetQFileInfo(const wchar_t* quarantineFile, wchar_t* virus, int32_t cchVirus,
                                  SYSTEMTIME* time) noexcept {
    return Guarded<>(static_cast<int32_t>(kContainerUnreadable), [&] {
        const ParsedContainer parsed = ReadContainerFile(TextOf(quarantineFile));
        if (!parsed.headerValid) return static_cast<int32_t>(kContainerUnreadable);
        CopyOut(Wide(parsed.virus), virus, cchVirus);
        if (time != nullptr) *time = ToSystemTime(parsed.time);
        return static_cast<int32_t>(kOk);
    });
}
