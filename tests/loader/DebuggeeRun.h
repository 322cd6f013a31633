#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a debugger saw of one program run.
struct DebuggeeRun {
    bool finished = false;  // false: still running at the timeout, then ended
    DWORD exitCode = 0;
    // Each OutputDebugString call's text, in order (wide texts as UTF-8).
    std::vector<std::string> debugOutput;
};

// Starts the command line as a debuggee of this thread and follows it to its
// end, collecting its debugger output.
DebuggeeRun RunAsDebuggee(const std::wstring& commandLine, DWORD timeoutMs = 60000);
