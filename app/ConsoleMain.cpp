#include <windows.h>

#include <vector>

#include "app/QuarantineApp.h"
#include "cli/CommandLine.h"

// Quarantine.com: the same program for consoles, so that "Quarantine /L" in
// cmd or PowerShell prints where it was typed and the prompt waits for the
// exit code. Both shells try .com before .exe for a bare name.
CQuarantineApp theApp;

namespace {

// The command line after the program's own name, as the window program gets
// it: the text from the second word on, split as every form splits it.
const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const std::vector<CommandWord> words = SplitCommandWords(commandLine);
    return words.size() < 2 ? L"" : commandLine + words[1].start;
}

}  // namespace

int wmain() {
    return AfxWinMain(::GetModuleHandleW(nullptr), const_cast<LPWSTR>(ArgumentsOf(::GetCommandLineW())));
}
