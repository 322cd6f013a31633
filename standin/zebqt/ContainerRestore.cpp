#include "standin/zebqt/ContainerRestore.h"

#include <windows.h>

#include <vector>

#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/PathRules.h"
#include "standin/zebqt/Status.h"
#include "standin/zebqt/StoreFormat.h"
#include "standin/zebqt/SystemItems.h"

namespace zq {
namespace {

const wchar_t kRestoreTempPrefix[] = L"~zqr-";

const DWORD kRestoredAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

struct Step {
    const ParsedObject* object = nullptr;
    std::wstring target;  // files: extended path of the final file
    std::wstring temp;
    // The temporary file, kept open until it is renamed into place when no
    // hook needs to open it: a rename through the handle costs less than one
    // by path.
    CFileHandle file;
    bool placed = false;
};

// Everything one restore created, taken back when it fails.
class Undo {
public:
    ~Undo() {
        if (m_committed) return;
        for (Step* step : m_files) {
            step->file.Reset();
            if (!step->temp.empty()) ::DeleteFileW(step->temp.c_str());
            if (step->placed) {
                ::SetFileAttributesW(step->target.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(step->target.c_str());
            }
        }
        for (const auto& value : m_values) DeleteRegistryValue(value.first, value.second);
        for (const std::wstring& entry : m_hostsEntries) RemoveHostsEntry(HostsFilePath(), entry);
        RemoveCreatedFolders(m_folders);
    }
    void Commit() { m_committed = true; }

    std::vector<Step*> m_files;
    std::vector<std::wstring> m_folders;
    std::vector<std::pair<std::wstring, std::wstring>> m_values;
    std::vector<std::wstring> m_hostsEntries;

private:
    bool m_committed = false;
};

// The buffer the payloads are decoded in, kept from one restore to the next:
// allocating a large block anew for every file can cost more than the file's
// bytes. A restore started from a cleaning hook during another gets its own.
class DecodeBuffer {
public:
    DecodeBuffer() : m_shared(!InUse()) {
        if (m_shared) InUse() = true;
    }
    ~DecodeBuffer() {
        if (m_shared) InUse() = false;
    }
    DecodeBuffer(const DecodeBuffer&) = delete;
    DecodeBuffer& operator=(const DecodeBuffer&) = delete;
    std::vector<uint8_t>& Get() { return m_shared ? Shared() : m_own; }

private:
    static bool& InUse() {
        static bool inUse = false;
        return inUse;
    }
    static std::vector<uint8_t>& Shared() {
        static std::vector<uint8_t> buffer;
        return buffer;
    }
    bool m_shared;
    std::vector<uint8_t> m_own;
};

FILETIME ToFileTime(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

// flush: the file is to be on the disk, not only in the system's cache, and
// nobody will write it before its rename.
int32_t Stage(const ByteSource& source, Step& step, bool keepOpen, bool flush,
              std::vector<uint8_t>& buffer, Undo& undo) {
    if (!CreateFolders(ParentOf(step.target), undo.m_folders)) return kTargetFailed;
    CFileHandle out = CreateOwnedTempFileIn(ParentOf(step.target), kRestoreTempPrefix, step.temp);
    if (!out) return kTargetFailed;
    const PayloadResult result = DecodePayload(
        source, *step.object,
        [&out](const uint8_t* data, size_t size) { return WriteAll(out.Get(), data, size); },
        buffer);
    if (result == PayloadResult::kDamaged) return kContainerUnreadable;
    if (result != PayloadResult::kOk) return kTargetFailed;
    const FileRecord record = UnpackFileRecord(step.object->meta.record);
    const FILETIME created = ToFileTime(record.creationTime),
                   accessed = ToFileTime(record.lastAccessTime),
                   written = ToFileTime(record.lastWriteTime);
    if (record.lastWriteTime != 0)
        ::SetFileTime(out.Get(), record.creationTime ? &created : nullptr,
                      record.lastAccessTime ? &accessed : nullptr, &written);
    if (flush && !::FlushFileBuffers(out.Get())) return kTargetFailed;
    if (keepOpen) step.file = std::move(out);
    return kOk;
}

// After the cleaning hook: the cure rewrote and shortened the file through a
// handle of its own, and what the system still caches of that is not yet on
// the disk. Opened without write sharing, so that a hook that still writes
// fails the restore instead of being cut short by the rename.
bool FlushAfterHook(const std::wstring& temp) {
    CFileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ::FlushFileBuffers(file.Get());
}

bool SameTarget(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

int32_t Restore(const std::wstring& containerPath, const std::wstring& destination,
                ZEBQtCleanHook hook, uintptr_t context, int64_t onlyIndex,
                std::wstring* firstTarget) {
    FileSource source(containerPath);
    if (!source.IsOpen()) return kContainerUnreadable;
    const ParsedContainer parsed = ParseContainer(source);
    if (!parsed.complete || parsed.objects.empty()) return kContainerUnreadable;
    if (onlyIndex >= static_cast<int64_t>(parsed.objects.size())) return kContainerUnreadable;

    std::wstring destinationFolder;
    if (!destination.empty()) {
        // Sized by asking first: a buffer for the longest path is a large block.
        std::vector<wchar_t> full(::GetFullPathNameW(destination.c_str(), 0, nullptr, nullptr) + 1);
        const DWORD n = ::GetFullPathNameW(destination.c_str(), static_cast<DWORD>(full.size()),
                                           full.data(), nullptr);
        if (n == 0 || n >= full.size() ||
            !ToExtendedPath(std::wstring(full.data(), n), destinationFolder))
            return kTargetFailed;
    }

    std::vector<Step> files;
    std::vector<const ParsedObject*> others;
    for (size_t i = 0; i < parsed.objects.size(); ++i) {
        if (onlyIndex >= 0 && static_cast<int64_t>(i) != onlyIndex) continue;
        const ParsedObject& object = parsed.objects[i];
        if (object.meta.kind == kKindFile) {
            Step step;
            step.object = &object;
            const std::wstring original = Wide(object.meta.path);
            if (destination.empty()) {
                if (!ToExtendedPath(original, step.target)) return kTargetFailed;
            } else {
                const std::wstring leaf = LeafName(original);
                if (!IsSafeLeafName(leaf)) return kTargetFailed;
                step.target = destinationFolder + L"\\" + leaf;
            }
            for (const Step& earlier : files)
                if (SameTarget(earlier.target, step.target)) return kTargetFailed;
            // The rename into place refuses an existing target in any case;
            // asking first spares the cleaning hook and the disk the work.
            // Into a folder without a hook the rename's answer is enough,
            // and a look-up of a missing name can cost a scan of the folder.
            if ((hook != nullptr || destination.empty()) && PathExists(step.target))
                return kTargetFailed;
            files.push_back(std::move(step));
        } else if (destination.empty() && (object.meta.kind == kKindRegistryValue ||
                                           object.meta.kind == kKindHostsEntry)) {
            others.push_back(&object);
        } else if (destination.empty()) {
            return kContainerUnreadable;  // a kind this library does not know how to put back
        }
    }
    // A folder has no place for registry values or hosts entries.
    if (files.empty() && others.empty()) return kTargetFailed;

    // A restore that died before its rename left its temporary file, with
    // the file's uncured bytes, in the target folder; this one takes it away.
    // Only files whose making process has ended go: another restore's file
    // is closed while its hook cures it and while the container's other
    // files are decoded, and this very process may be inside such a hook.
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring folder = ParentOf(files[i].target);
        bool seen = false;
        for (size_t j = 0; j < i && !seen; ++j)
            seen = SameTarget(ParentOf(files[j].target), folder);
        if (!seen) RemoveAbandonedTempFiles(folder, kRestoreTempPrefix);
    }

    // A restore to the original places is what the program follows with
    // deleting the quarantine file, so each file must be on the disk first:
    // otherwise a power cut could lose both copies. A restore into a folder
    // leaves the quarantine file where it is, and is as durable as a copy.
    // With a hook the flush waits for the cure, the file's last write.
    const bool durable = destination.empty();
    DecodeBuffer buffer;
    Undo undo;
    for (Step& step : files) {
        undo.m_files.push_back(&step);
        const int32_t staged = Stage(source, step, hook == nullptr && !durable,
                                     durable && hook == nullptr, buffer.Get(), undo);
        if (staged != kOk) return staged;
    }
    if (hook != nullptr) {
        for (Step& step : files)
            if (hook(reinterpret_cast<uintptr_t>(step.temp.c_str()), context) != 0)
                return kNotCured;
        if (durable)
            for (Step& step : files)
                if (!FlushAfterHook(step.temp)) return kTargetFailed;
    }
    for (Step& step : files) {
        const bool renamed = step.file ? RenameOpenFile(step.file.Get(), step.target)
                                       : ::MoveFileExW(step.temp.c_str(), step.target.c_str(),
                                                       durable ? MOVEFILE_WRITE_THROUGH : 0);
        step.file.Reset();
        if (!renamed) return kTargetFailed;
        step.temp.clear();
        step.placed = true;
    }
    for (const ParsedObject* object : others) {
        std::vector<uint8_t> data;
        const PayloadResult result = DecodePayload(
            source, *object,
            [&data](const uint8_t* bytes, size_t size) {
                data.insert(data.end(), bytes, bytes + size);
                return data.size() <= (16u << 20);
            },
            buffer.Get());
        if (result == PayloadResult::kDamaged) return kContainerUnreadable;
        if (result != PayloadResult::kOk) return kTargetFailed;
        const std::wstring path = Wide(object->meta.path), name = Wide(object->meta.name);
        if (object->meta.kind == kKindRegistryValue) {
            if (WriteNewRegistryValue(path, name, RegistryTypeOf(object->meta.record), data) != kOk)
                return kTargetFailed;
            undo.m_values.emplace_back(path, name);
        } else {
            const std::wstring hosts = HostsFilePath();
            if (!HostsFileHasEntry(hosts, path)) {
                if (AddHostsEntry(hosts, path) != kOk) return kTargetFailed;
                undo.m_hostsEntries.push_back(path);
            }
        }
        if (firstTarget != nullptr && firstTarget->empty()) *firstTarget = path;
    }
    for (Step& step : files) {
        const DWORD attributes =
            UnpackFileRecord(step.object->meta.record).attributes & kRestoredAttributes;
        // A new file carries the archive attribute already.
        if (attributes != 0 && attributes != FILE_ATTRIBUTE_ARCHIVE)
            ::SetFileAttributesW(step.target.c_str(), attributes);
        if (firstTarget != nullptr && firstTarget->empty()) *firstTarget = step.target;
    }
    undo.Commit();
    return kOk;
}

}  // namespace

int32_t RestoreContainerFile(const std::wstring& containerPath, const std::wstring& destination,
                             ZEBQtCleanHook hook, uintptr_t context) {
    return Restore(containerPath, destination, hook, context, -1, nullptr);
}

int32_t RestoreOneObject(const std::wstring& containerPath, uint32_t index,
                         std::wstring& restoredPath) {
    restoredPath.clear();
    return Restore(containerPath, std::wstring(), nullptr, 0, index, &restoredPath);
}

}  // namespace zq
