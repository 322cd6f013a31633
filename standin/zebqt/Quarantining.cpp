#include "standin/zebqt/Quarantining.h"

#include <windows.h>

#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/Status.h"
#include "standin/zebqt/SystemItems.h"

namespace zq {
namespace {

std::u16string Text16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

uint64_t Ticks(const FILETIME& time) {
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> full(32768);
    const DWORD n =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return n == 0 || n >= full.size() ? path : std::wstring(full.data(), n);
}

// Marks an opened original for deletion; it goes when its handle closes.
bool MarkForDeletion(HANDLE file, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) return false;
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != FALSE;
}

}  // namespace

StampFields NowStamp() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    StampFields stamp;
    stamp.year = now.wYear;
    stamp.month = now.wMonth;
    stamp.dayOfWeek = now.wDayOfWeek;
    stamp.day = now.wDay;
    stamp.hour = now.wHour;
    stamp.minute = now.wMinute;
    stamp.second = now.wSecond;
    stamp.milliseconds = now.wMilliseconds;
    return stamp;
}

int32_t QuarantineFiles(const std::wstring& folder, const ContainerHeader& header,
                        const std::vector<FileToStore>& files, bool removeOriginals,
                        std::wstring& containerPath) {
    if (files.empty()) return kBadArgument;
    std::vector<CFileHandle> handles;
    std::vector<DWORD> attributes;
    std::vector<PendingObject> objects;
    for (const FileToStore& file : files) {
        // Nobody may change the original while it is read, and one that could
        // not be removed afterwards is not taken in the first place.
        const DWORD access = GENERIC_READ | (removeOriginals ? DELETE | FILE_WRITE_ATTRIBUTES : 0);
        CFileHandle handle = OpenRegularFile(file.source, access, FILE_SHARE_READ);
        if (!handle) return ::GetLastError() == ERROR_FILE_NOT_FOUND ? kNotFound : kStoreFailed;
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(handle.Get(), &info)) return kStoreFailed;
        PendingObject object;
        object.meta.kind = kKindFile;
        object.meta.path = Text16(file.storedAs.empty() ? FullPath(file.source) : file.storedAs);
        object.meta.virus = Text16(file.virus);
        FileRecord record;
        record.attributes = info.dwFileAttributes;
        record.creationTime = Ticks(info.ftCreationTime);
        record.lastAccessTime = Ticks(info.ftLastAccessTime);
        record.lastWriteTime = Ticks(info.ftLastWriteTime);
        object.meta.record = PackFileRecord(record);
        object.sourceFile = handle.Get();
        objects.push_back(std::move(object));
        attributes.push_back(info.dwFileAttributes);
        handles.push_back(std::move(handle));
    }
    const int32_t written = WriteContainer(folder, header, containerPath, objects);
    if (written != kOk || !removeOriginals) return written;
    int32_t result = kOk;
    for (size_t i = 0; i < handles.size(); ++i) {
        if (!MarkForDeletion(handles[i].Get(), attributes[i])) result = kOriginalKept;
        handles[i].Reset();
        if (PathExists(files[i].source)) result = kOriginalKept;
    }
    return result;
}

int32_t QuarantineRegistryValue(const std::wstring& folder, const ContainerHeader& header,
                                const std::wstring& keyPath, const std::wstring& valueName,
                                const std::wstring& virus, bool removeOriginal,
                                std::wstring& containerPath) {
    std::vector<PendingObject> objects(1);
    PendingObject& object = objects.front();
    uint32_t type = 0;
    const int32_t read = ReadRegistryValue(keyPath, valueName, type, object.data);
    if (read != kOk) return read;
    object.meta.kind = kKindRegistryValue;
    object.meta.path = Text16(keyPath);
    object.meta.name = Text16(valueName);
    object.meta.virus = Text16(virus);
    object.meta.record = PackRegistryRecord(type);
    const int32_t written = WriteContainer(folder, header, containerPath, objects);
    if (written != kOk || !removeOriginal) return written;
    return DeleteRegistryValue(keyPath, valueName) == kOk ? kOk : kOriginalKept;
}

int32_t QuarantineHostsEntry(const std::wstring& folder, const ContainerHeader& header,
                             const std::wstring& entry, const std::wstring& virus,
                             bool removeOriginal, std::wstring& containerPath) {
    if (entry.empty() || entry.find_first_of(L"\r\n") != std::wstring::npos) return kBadArgument;
    const std::wstring hosts = HostsFilePath();
    if (removeOriginal && !HostsFileHasEntry(hosts, entry)) return kNotFound;
    std::vector<PendingObject> objects(1);
    objects.front().meta.kind = kKindHostsEntry;
    objects.front().meta.path = Text16(entry);
    objects.front().meta.virus = Text16(virus);
    const int32_t written = WriteContainer(folder, header, containerPath, objects);
    if (written != kOk || !removeOriginal) return written;
    return RemoveHostsEntry(hosts, entry) == kOk ? kOk : kOriginalKept;
}

}  // namespace zq
