#include "framework/KnownFolders.h"

#include <windows.h>
#include <shlobj.h>

std::wstring CommonProgramFilesFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, SHGFP_TYPE_CURRENT,
                                  buffer)))
        return std::wstring();
    size_t length = 0;
    while (length < MAX_PATH && buffer[length] != L'\0') ++length;
    return std::wstring(buffer, length);
}
