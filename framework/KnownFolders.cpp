#include "framework/KnownFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

std::wstring CommonProgramFilesFolder() {
    // The shell's library is bound at the first question, not at start-up:
    // a run that finds its libraries beside the program never loads it.
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    static const GetFolderPath getFolderPath = [] {
        const HMODULE shell = LoadSystemLibrary(L"shell32.dll");
        return shell ? ProcCast<GetFolderPath>(::GetProcAddress(shell, "SHGetFolderPathW"))
                     : nullptr;
    }();
    wchar_t buffer[MAX_PATH] = {};
    if (getFolderPath == nullptr || FAILED(getFolderPath(nullptr, CSIDL_PROGRAM_FILES_COMMON,
                                                         nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return std::wstring();
    size_t length = 0;
    while (length < MAX_PATH && buffer[length] != L'\0') ++length;
    return std::wstring(buffer, length);
}
