#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "standin/zebqt/ByteSource.h"

// The on-disk layout of one container file (README.md describes it). Nothing
// here touches the operating system, so the reader can be exercised on any
// byte buffer.
namespace zq {

const uint32_t kContainerMagic = 0x46435a51;  // "QZCF"
const uint32_t kObjectMagic = 0x424f5a51;     // "QZOB"
const uint16_t kFormatVersion = 1;
const uint32_t kMaxTextUnits = 32767;
const uint32_t kMaxObjects = 4096;
const size_t kRecordSize = 52;

enum ObjectKind : uint32_t { kKindFile = 0, kKindRegistryValue = 1, kKindHostsEntry = 2 };

// Wall-clock fields in the order of the system's calendar-time record.
struct StampFields {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0,
             milliseconds = 0;
};

typedef std::array<uint8_t, kRecordSize> Record;

struct ObjectMeta {
    uint32_t kind = kKindFile;
    uint64_t key = 0;  // seed of the payload's keystream
    uint64_t payloadSize = 0;
    uint32_t payloadCrc = 0;  // of the original bytes
    std::u16string path;      // original path, registry key path or hosts entry
    std::u16string name;      // registry value name; empty for other kinds
    std::u16string virus;
    Record record{};
};

struct ParsedObject {
    ObjectMeta meta;
    uint64_t offset = 0;  // of the object's description
    uint64_t payloadOffset = 0;
};

struct ParsedContainer {
    bool headerValid = false;  // time, values and virus name are trustworthy
    bool complete = false;     // every declared object parsed and nothing follows
    StampFields time;
    uint32_t info1 = 0, info2 = 0;
    std::u16string virus;
    uint32_t declaredObjects = 0;
    std::vector<ParsedObject> objects;  // those that parsed, in order
    // The first object that did not parse, when its description passed its
    // checksum and only what follows it was missing: its kind can be believed.
    // A description that failed its checksum says nothing, its kind included.
    bool unparsedKindKnown = false;
    uint32_t unparsedKind = kKindFile;
};

// The kind to name for an object the header counts but that did not parse:
// the stored one where the description can be believed, else a file, the one
// kind whose loss a caller must not miss.
uint32_t UnparsedObjectKind(const ParsedContainer& parsed, size_t index);

uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

// The payload is XORed with a keystream derived from the object's key and the
// byte's position, so any slice of it can be decoded on its own.
void ApplyKeystream(uint64_t key, uint64_t position, uint8_t* data, size_t size);

std::vector<uint8_t> EncodeHeader(const StampFields& time, uint32_t info1, uint32_t info2,
                                  const std::u16string& virus, uint32_t objectCount);
// The object's bytes up to its payload, which follows them directly.
std::vector<uint8_t> EncodeObjectMeta(const ObjectMeta& meta);

// Reads the structure only: payloads are skipped, not checked.
ParsedContainer ParseContainer(const ByteSource& source);

// Decodes one payload in slices and hands each to the sink. kDamaged when
// the source is short or the decoded bytes fail their checksum; kSinkFailed
// when the sink refused a slice.
enum class PayloadResult { kOk, kDamaged, kSinkFailed };
typedef std::function<bool(const uint8_t* data, size_t size)> PayloadSink;
PayloadResult DecodePayload(const ByteSource& source, const ParsedObject& object,
                            const PayloadSink& sink);
// The same with the caller's buffer for the slices, which is grown as needed
// and kept: under some heaps a large block costs more to allocate than the
// slice costs to decode.
PayloadResult DecodePayload(const ByteSource& source, const ParsedObject& object,
                            const PayloadSink& sink, std::vector<uint8_t>& slice);

// The 52-byte record of a file object: attributes, three file times, size and
// checksum, then reserved zeros.
struct FileRecord {
    uint32_t attributes = 0;
    uint64_t creationTime = 0, lastAccessTime = 0, lastWriteTime = 0;
    uint64_t size = 0;
    uint32_t crc = 0;
};
Record PackFileRecord(const FileRecord& fields);
FileRecord UnpackFileRecord(const Record& record);
// Registry values keep their type in the record's first four bytes.
Record PackRegistryRecord(uint32_t valueType);
uint32_t RegistryTypeOf(const Record& record);

}  // namespace zq
