// A library that only tells that it was loaded: on attach it appends its own
// path and a line break to the file named by QUARANTINE_PLANT_MARKER.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t marker[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"QUARANTINE_PLANT_MARKER", marker, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    wchar_t self[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(instance, self, MAX_PATH - 1);
    self[length] = L'\n';
    const HANDLE file = ::CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    ::WriteFile(file, self, (length + 1) * sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
    return TRUE;
}
