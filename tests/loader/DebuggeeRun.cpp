#include "tests/loader/DebuggeeRun.h"

#include "framework/Handles.h"

namespace {

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    if (info.nDebugStringLength == 0) return std::string();
    if (info.fUnicode) {
        std::wstring text(info.nDebugStringLength, L'\0');
        SIZE_T read = 0;
        ::ReadProcessMemory(process, info.lpDebugStringData, &text[0],
                            text.size() * sizeof(wchar_t), &read);
        text.resize(wcsnlen(text.c_str(), read / sizeof(wchar_t)));
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                            nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(n), '\0');
        if (n > 0)
            ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                  n, nullptr, nullptr);
        return bytes;
    }
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    ::ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read);
    text.resize(strnlen(text.c_str(), read));
    return text;
}

}  // namespace

DebuggeeRun RunAsDebuggee(const std::wstring& commandLine, DWORD timeoutMs) {
    DebuggeeRun run;
    std::wstring mutableLine = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE,
                          DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup, &pi))
        return run;
    CKernelHandle process(pi.hProcess);
    CKernelHandle thread(pi.hThread);

    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    bool timedOut = false;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD wait =
            timedOut ? 10000 : (now < deadline ? static_cast<DWORD>(deadline - now) : 0);
        DEBUG_EVENT event = {};
        if (!::WaitForDebugEvent(&event, wait)) {
            if (timedOut) break;
            timedOut = true;
            ::TerminateProcess(process.Get(), 1);
            continue;
        }
        DWORD continueStatus = DBG_CONTINUE;
        bool exited = false;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile != nullptr)
                    ::CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile != nullptr) ::CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT:
                run.debugOutput.push_back(ReadDebugString(process.Get(), event.u.DebugString));
                break;
            case EXCEPTION_DEBUG_EVENT:
                // The loader's initial breakpoint is ours to swallow; anything
                // else goes back to the program as unhandled by us.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    continueStatus = DBG_EXCEPTION_NOT_HANDLED;
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                run.exitCode = event.u.ExitProcess.dwExitCode;
                exited = true;
                break;
            default:
                break;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
        if (exited) {
            run.finished = !timedOut;
            break;
        }
    }
    return run;
}
