#include "standin/zebqt/ContainerWriter.h"

#include <algorithm>
#include <cstdio>

#include "standin/zebqt/FileIo.h"
#include "standin/zebqt/PathRules.h"
#include "standin/zebqt/Status.h"

namespace zq {
namespace {

const size_t kSlice = 1 << 20;

uint64_t NewKey() {
    uint64_t key = 0;
    for (int i = 0; i < 2; ++i) key = (key << 32) ^ std::wcstoul(UniqueHex().c_str(), nullptr, 16);
    return key | 1;
}

// Streams the object's bytes into the container through the keystream and
// fixes its size and checksum in the description written before them.
bool WriteObject(HANDLE out, PendingObject& object) {
    ObjectMeta& meta = object.meta;
    meta.key = NewKey();
    meta.payloadSize = object.sourceFile == INVALID_HANDLE_VALUE ? object.data.size() : 0;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(out, LARGE_INTEGER{}, &start, FILE_CURRENT)) return false;
    std::vector<uint8_t> description = EncodeObjectMeta(meta);
    if (!WriteAll(out, description.data(), description.size())) return false;

    uint32_t crc = 0;
    uint64_t size = 0;
    if (object.sourceFile == INVALID_HANDLE_VALUE) {
        std::vector<uint8_t> bytes = object.data;
        crc = Crc32(bytes.data(), bytes.size());
        ApplyKeystream(meta.key, 0, bytes.data(), bytes.size());
        if (!WriteAll(out, bytes.data(), bytes.size())) return false;
        size = bytes.size();
    } else {
        std::vector<uint8_t> slice(kSlice);
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(object.sourceFile, slice.data(), static_cast<DWORD>(slice.size()),
                            &read, nullptr))
                return false;
            if (read == 0) break;
            crc = Crc32(slice.data(), read, crc);
            ApplyKeystream(meta.key, size, slice.data(), read);
            if (!WriteAll(out, slice.data(), read)) return false;
            size += read;
        }
    }
    meta.payloadSize = size;
    meta.payloadCrc = crc;
    if (meta.kind == kKindFile) {
        FileRecord record = UnpackFileRecord(meta.record);
        record.size = size;
        record.crc = crc;
        meta.record = PackFileRecord(record);
    }
    description = EncodeObjectMeta(meta);
    return WriteAllAt(out, static_cast<uint64_t>(start.QuadPart), description.data(),
                      description.size());
}

bool CopyRange(const ByteSource& source, uint64_t offset, uint64_t size, HANDLE out) {
    std::vector<uint8_t> slice(static_cast<size_t>(std::min<uint64_t>(size, kSlice)));
    for (uint64_t done = 0; done < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size - done, kSlice));
        if (!source.Read(offset + done, slice.data(), n) || !WriteAll(out, slice.data(), n))
            return false;
        done += n;
    }
    return true;
}

}  // namespace

std::wstring ContainerFileName(const StampFields& t, const std::wstring& hex) {
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u-", t.year % 10000u, t.month % 100u,
                  t.day % 100u, t.hour % 100u, t.minute % 100u, t.second % 100u);
    return stamp + hex + L".qtc";
}

int32_t WriteContainer(const std::wstring& folder, const ContainerHeader& header,
                       std::wstring& containerPath, std::vector<PendingObject>& objects,
                       bool durable) {
    const std::wstring base = WithOneTrailingBackslash(folder);
    std::vector<ParsedObject> kept;
    uint64_t keptStart = 0, keptEnd = 0;
    FileSource existing(containerPath.empty() ? std::wstring() : containerPath);
    ContainerHeader effective = header;
    if (!containerPath.empty()) {
        // Objects already stored are copied byte for byte; a container that no
        // longer parses is not extended.
        const ParsedContainer parsed = ParseContainer(existing);
        if (!existing.IsOpen() || !parsed.complete) return kStoreFailed;
        kept = parsed.objects;
        effective.time = parsed.time;
        effective.virus = parsed.virus;
        if (!kept.empty()) {
            keptStart = kept.front().offset;
            keptEnd = existing.Size();
        }
    }
    if (kept.size() + objects.size() > kMaxObjects) return kStoreFailed;

    std::wstring tempPath;
    CFileHandle out = CreateTempFileIn(base.substr(0, base.size() - 1), L"~qtc-", tempPath);
    if (!out) return kStoreFailed;
    bool ok = true;
    const uint32_t count = static_cast<uint32_t>(kept.size() + objects.size());
    std::vector<uint8_t> head = EncodeHeader(effective.time, count, 0, effective.virus, count);
    ok = WriteAll(out.Get(), head.data(), head.size()) &&
         CopyRange(existing, keptStart, keptEnd - keptStart, out.Get());
    uint64_t total = 0;
    for (const ParsedObject& object : kept) total += object.meta.payloadSize;
    for (PendingObject& object : objects) {
        if (!ok) break;
        ok = WriteObject(out.Get(), object);
        total += object.meta.payloadSize;
    }
    if (ok) {
        // The second value is the total size of the original bytes, saturated.
        head = EncodeHeader(effective.time, count,
                            static_cast<uint32_t>(std::min<uint64_t>(total, 0xffffffffu)),
                            effective.virus, count);
        ok = WriteAllAt(out.Get(), 0, head.data(), head.size()) &&
             (!durable || ::FlushFileBuffers(out.Get()));
    }
    out.Reset();
    existing.Close();
    if (ok) {
        if (!containerPath.empty()) {
            ok = ::MoveFileExW(tempPath.c_str(), containerPath.c_str(),
                               MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0));
        } else {
            ok = false;
            for (int attempt = 0; attempt < 32 && !ok; ++attempt) {
                const std::wstring candidate =
                    base + ContainerFileName(effective.time, UniqueHex());
                ok = ::MoveFileExW(tempPath.c_str(), candidate.c_str(),
                                   durable ? MOVEFILE_WRITE_THROUGH : 0);
                if (ok)
                    containerPath = candidate;
                else if (::GetLastError() != ERROR_ALREADY_EXISTS &&
                         ::GetLastError() != ERROR_FILE_EXISTS)
                    break;
            }
        }
    }
    if (!ok) {
        ::DeleteFileW(tempPath.c_str());
        return kStoreFailed;
    }
    return kOk;
}

}  // namespace zq
