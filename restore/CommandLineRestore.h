#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"
#include "restore/ExitCodes.h"
#include "restore/QuarantineItem.h"

// A quarantine opened for a windowless run, with its containers. The
// quarantine is closed last, after every container.
struct OpenedQuarantine {
    int exitCode = kCommandLineDone;  // kCommandLineDone when the containers are listed
    CZEBQtWrapper::QuarantinePtr quarantine;
    std::vector<CZEBQtWrapper::ContainerPtr> containers;
};

// Loads the quarantine library where it is not loaded yet, opens the
// quarantine in the folder and lists its containers; the exit code says why
// not where that fails. A missing library leaves the stubs, with which no
// quarantine opens.
OpenedQuarantine OpenQuarantineForCommandLine(CZEBQtWrapper& library, const std::wstring& folder);

// The older form's restore loop: each container in turn into
// the destination, so every file lands there rather than at its former path,
// and nothing is deleted from the quarantine. Registry values and hosts
// entries have no place in a folder, so a container known to hold nothing
// else is passed over; a damaged one lists nothing, or refuses to list, and is
// still tried so that its failure is seen. done learns each container's
// answer, by its index.
using ContainerRestored = std::function<void(size_t index, bool skipped, int32_t result)>;
void RestoreContainersInto(const std::vector<CZEBQtWrapper::ContainerPtr>& containers,
                           const std::wstring& destination, const ContainerRestored& done);

// The older form, /S=source /D=destination, for scripts written before the
// commands: every container of the quarantine in source into the destination,
// an audit entry for each, and the exit code; nothing is shown.
int RestoreQuarantineInto(CZEBQtWrapper& library, const std::wstring& source,
                          const std::wstring& destination);
