#include "restore/RestoreOutcome.h"

#include "res/resource.h"

UINT RestoreFailureMessage(int32_t result) {
    switch (result) {
        case kRestoreVirusNotRemoved:
            return IDS_VIRUS_NOT_REMOVED;
        case kRestoreTargetUnwritable:
            return IDS_TARGET_OPEN_FAILED;
        case kRestoreQuarantineFileUnreadable:
            return IDS_QFILE_OPEN_FAILED;
        default:
            return IDS_UNSPECIFIC_ERROR;
    }
}

bool SplitQuarantineFilePath(const std::wstring& fullPath, std::wstring* pFolder,
                             std::wstring* pName) {
    const std::wstring::size_type slash = fullPath.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return false;
    *pFolder = fullPath.substr(0, slash);
    *pName = fullPath.substr(slash + 1);
    return true;
}
