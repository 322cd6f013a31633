#include "restore/QuarantineFileDelete.h"

#include <windows.h>

#include "framework/LongPaths.h"

bool NamesFileInFolder(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

bool DeleteQuarantineFile(const std::wstring& folder, const std::wstring& name) {
    return NamesFileInFolder(name) && ::DeleteFileW(FileCallPath(folder + name).c_str()) != FALSE;
}
