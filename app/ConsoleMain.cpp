#include <windows.h>

#include "app/QuarantineApp.h"

// Quarantine.com: the same program for consoles, so that "Quarantine /L" in
// cmd or PowerShell prints where it was typed and the prompt waits for the
// exit code. Both shells try .com before .exe for a bare name.
CQuarantineApp theApp;

namespace {

// The command line after the program's own name, as the window program gets it.
const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p != L'\0' && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

int wmain() {
    return AfxWinMain(::GetModuleHandleW(nullptr), const_cast<LPWSTR>(ArgumentsOf(::GetCommandLineW())));
}
