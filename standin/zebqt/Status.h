#pragma once

#include <cstdint>

namespace zq {

// Results of the library's entry points (README.md lists them).
enum Status : int32_t {
    kOk = 0,
    kContainerUnreadable = -1,  // missing, unreadable, truncated or failing its checksum
    kTargetFailed = -2,         // target cannot be created or written, or already exists
    kNotCured = -3,             // the cleaning hook answered non-zero
    kUnknownHandle = 1,
    kBadArgument = 2,
    kWrongKind = 3,
    kStoreFailed = 4,
    kOriginalKept = 6,  // stored safely, but the original could not be removed
    kNotFound = 7,
};

}  // namespace zq
