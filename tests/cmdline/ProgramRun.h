#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

// One run of a program copied into a scratch folder. A run that has not ended
// by the timeout is taken to be waiting for a user (a window or a message box)
// and is ended.
struct ProgramRun {
    bool finished = false;
    DWORD exitCode = 0;
    DWORD startError = 0;  // why the program could not be started, when it could not
};

// Starts a program in its own folder; the process handle is null when it
// could not be started.
inline CKernelHandle StartProgram(const std::wstring& exe, const std::wstring& arguments,
                                  DWORD* processId = nullptr) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi = {};
    // Started as a scheduler or a deployment tool starts it: with the system's
    // default error mode, not whatever the test process has set.
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                          CREATE_DEFAULT_ERROR_MODE, nullptr, folder.c_str(), &startup, &pi))
        return CKernelHandle();
    CKernelHandle thread(pi.hThread);
    if (processId != nullptr) *processId = pi.dwProcessId;
    return CKernelHandle(pi.hProcess);
}

inline ProgramRun RunProgram(const std::wstring& exe, const std::wstring& arguments,
                             DWORD timeoutMs = 60000) {
    ProgramRun run;
    const CKernelHandle process = StartProgram(exe, arguments);
    if (!process) {
        run.startError = ::GetLastError();
        return run;
    }
    if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 255);
        ::WaitForSingleObject(process.Get(), 10000);
        return run;
    }
    run.finished = true;
    ::GetExitCodeProcess(process.Get(), &run.exitCode);
    return run;
}

struct ProgramWindowSearch {
    DWORD processId;
    bool found;
};

inline BOOL CALLBACK FindProgramWindow(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ProgramWindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->processId && ::IsWindowVisible(hWnd)) search->found = true;
    return !search->found;
}

// Waits until a started program shows a visible top-level window, that is
// until it waits for a user. False when the program ended, or showed nothing
// within the timeout.
inline bool WaitForProgramWindow(HANDLE process, DWORD processId, DWORD timeoutMs = 60000) {
    ProgramWindowSearch search = {processId, false};
    const DWORD start = ::GetTickCount();
    while (!search.found && ::GetTickCount() - start < timeoutMs) {
        // Polls for the window while watching for the process to end.
        if (::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return false;
        ::EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

// Starts a program and waits until it shows a window; then ends it.
inline bool ProgramWaitsInAWindow(const std::wstring& exe, const std::wstring& arguments,
                                  DWORD timeoutMs = 60000) {
    DWORD processId = 0;
    const CKernelHandle process = StartProgram(exe, arguments, &processId);
    if (!process) return false;
    const bool found = WaitForProgramWindow(process.Get(), processId, timeoutMs);
    ::TerminateProcess(process.Get(), 255);
    ::WaitForSingleObject(process.Get(), 10000);
    return found;
}

// Copies the program, and the given library when there is one, into a fresh
// scratch folder; answers the program's path there.
inline std::wstring StageProgram(const std::wstring& scratch, const std::wstring& libraryDir) {
    const std::wstring exe = scratch + L"\\Quarantine.exe";
    ::CopyFileW((TestBinDir() + L"\\Quarantine.exe").c_str(), exe.c_str(), FALSE);
    if (!libraryDir.empty())
        ::CopyFileW((libraryDir + L"\\ZEBQt.dll").c_str(), (scratch + L"\\ZEBQt.dll").c_str(),
                    FALSE);
    return exe;
}

// Quarantines one file into a quarantine folder with the stand-in library's
// tool, which removes the original; true when the tool succeeded.
inline bool QuarantineWithTool(const std::wstring& quarantine, const std::wstring& file) {
    const ProgramRun tool =
        RunProgram(TestBinDir() + L"\\standin\\ZEBQtTool.exe",
                   L"add \"" + quarantine + L"\" \"" + file + L"\" Test-File.Standard");
    return tool.finished && tool.exitCode == 0;
}

// A scratch folder named after the running test.
inline std::wstring ScratchForThisTest() {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    return MakeScratchDir(std::wstring(name.begin(), name.end()));
}
