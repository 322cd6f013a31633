#include "standin/zebqt/FuzzTarget.h"

#include "standin/zebqt/StoreFormat.h"

namespace zq {

size_t ExerciseContainerReader(const uint8_t* data, size_t size) {
    const MemorySource source(data, size);
    const ParsedContainer parsed = ParseContainer(source);
    size_t passed = 0;
    for (const ParsedObject& object : parsed.objects) {
        uint64_t seen = 0;
        const PayloadResult result =
            DecodePayload(source, object, [&seen](const uint8_t*, size_t n) {
                seen += n;
                return true;
            });
        if (result == PayloadResult::kOk && seen == object.meta.payloadSize) ++passed;
        if (object.meta.kind == kKindFile) UnpackFileRecord(object.meta.record);
    }
    return passed;
}

}  // namespace zq
