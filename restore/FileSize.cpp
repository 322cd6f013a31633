#include "restore/FileSize.h"

#include <windows.h>

#include <limits>

#include "framework/Handles.h"
#include "framework/LongPaths.h"

uint32_t SizeInKB(uint32_t sizeHigh, uint32_t sizeLow) {
    const uint64_t kb = ((static_cast<uint64_t>(sizeHigh) << 32) | sizeLow) / 1024;
    const uint64_t most = std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(kb < most ? kb : most);
}

uint32_t GetFileSizeKB(const std::wstring& path) {
    // A wildcard in the name would let the search answer for some other file.
    // Only the name is checked: a folder may carry the "\\?\" prefix.
    const std::wstring::size_type slash = path.rfind(L'\\');
    const std::wstring::size_type nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    if (path.find_first_of(L"*?", nameStart) != std::wstring::npos) return 0;
    WIN32_FIND_DATAW data = {};
    CFindHandle find(::FindFirstFileW(FileCallPath(path).c_str(), &data));
    if (!find) return 0;
    return SizeInKB(data.nFileSizeHigh, data.nFileSizeLow);
}
