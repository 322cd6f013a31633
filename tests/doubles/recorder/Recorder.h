#pragma once

// A scriptable, call-recording quarantine library for tests: bin/doubles/recorder/ZEBQt.dll.
// It exports all 31 entry points, answers them from a script and records every
// call as one line of text, so a test can check which calls were made, with
// which arguments and in which order.
//
// Script: lines separated by '\n'; each line is a record type and its fields,
// separated by '|', each field key=value. Unknown keys are an error.
//
//   quarantine|handle=1|path=C:\Q\|props=0|text=C:\Q\|startenum=0
//       ZEBQtOpenQuarantine answers handle for exactly this path (path=*
//       matches any path). GetQuarantineProperties answers props and
//       fills text (default: the path). StartEnumContainers answers startenum.
//       errormode=record makes OpenQuarantine record the process's error
//       mode as ErrorMode(n) when it answers.
//   container|handle=11|props=0|file=C:\Q\a.qua|virus=Demo.Virus|time=2024,5,3,17,13,45,0,0|info=1,2|restore=0|name=C:\Q\a.qua|hookvalue=9
//       Belongs to the last quarantine line: OpenContainer answers the
//       handles of its container lines by index, then -1. Listing the same
//       handle twice gives the same handle twice. name= makes
//       OpenContainerByName answer the handle for exactly that text.
//       GetContainerProperties answers props and fills file, virus,
//       the SYSTEMTIME (year,month,dayofweek,day,hour,minute,second,ms; any
//       numbers, in range or not) and the two values. RestoreContainer
//       answers restore; with a hook and hookvalue= it first calls the hook
//       with (hookvalue, context) and answers -3 when the hook answers non-zero.
//   object|handle=111|kind=0|props=0|orig=C:\docs\a.txt|virus=Demo.Virus|restore=0|text1=..|text2=..
//       Belongs to the last container line: OpenObject answers its handles
//       and kinds by index, then -1 (kind=none leaves the caller's kind
//       unwritten; handle=-1 with a kind is an object the library names but
//       cannot open). GetFileObjectProperties answers props
//       and fills orig, virus and the 52-byte record (0xA5 bytes). RestoreFileObject answers
//       restore and fills text1 and text2.
//
// The property reads and RestoreFileObject fill their outputs whatever they
// answer, as a library may write before it fails.
// Texts are copied into a caller's buffer up to its size; a text as long as
// the buffer or longer fills it completely and is not NUL-terminated, as a
// careless library might do. Anything not scripted: opens answer -1, property
// reads 5, closes 0, every other entry point 5.
//
// Recorded calls, one per line, entry-point names without "ZEBQt":
//   OpenQuarantine(C:\Q\)            GetQuarantineProperties(1,260)
//   StartEnumContainers(1)           OpenContainer(1,0)
//   OpenContainerByName(C:\Q\a.qua)  GetContainerProperties(11,260,1024)
//   OpenObject(11,0)                 GetFileObjectProperties(111,260,1024)
//   RestoreFileObject(111,0,0,0,0,0,260,260)
//   RestoreContainer(11,C:\Out,0,hook,1234,0)  (hook or null; context in decimal)
//   CleanHook(9,1234)=0              (the recorder's own call of the hook)
//   CloseObject(111)  CloseContainer(11)  CloseQuarantine(1)
//   and Name(...) for every other entry point.
//
// In another process (the real program), the recorder reads RecorderScript.txt
// (UTF-8) beside its DLL on first use, when present, and then appends every
// call to RecorderCalls.txt beside it.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

// Control functions the recorder exports besides the 31 entry points.
// RecorderScript: replaces the script and forgets the recorded calls; 0 when
// the script was understood, else the 1-based number of the faulty line.
typedef int32_t(__cdecl* PFN_RecorderScript)(const wchar_t* script);
// RecorderCalls: the recorded calls, each followed by '\n', copied up to the
// buffer's size; answers the text's full length in characters.
typedef int32_t(__cdecl* PFN_RecorderCalls)(wchar_t* buffer, int32_t cchBuffer);

// Test-side access to a loaded recorder.
class CRecorder {
public:
    // The folder holding the recorder's ZEBQt.dll.
    static std::wstring Directory() { return TestBinDir() + L"\\doubles\\recorder"; }

    // module: the loaded recorder, e.g. the m_hModule of a CZEBQtWrapper that
    // loaded it from Directory().
    explicit CRecorder(HMODULE module)
        : m_pfnScript(ProcCast<PFN_RecorderScript>(::GetProcAddress(module, "RecorderScript"))),
          m_pfnCalls(ProcCast<PFN_RecorderCalls>(::GetProcAddress(module, "RecorderCalls"))) {}

    bool IsValid() const { return m_pfnScript != nullptr && m_pfnCalls != nullptr; }

    // 0 when understood, else the faulty line's number.
    int32_t Script(const std::wstring& script) const { return m_pfnScript(script.c_str()); }

    std::vector<std::wstring> Calls() const {
        std::wstring text(static_cast<size_t>(m_pfnCalls(nullptr, 0)) + 1, L'\0');
        const int32_t length = m_pfnCalls(&text[0], static_cast<int32_t>(text.size()));
        text.resize(static_cast<size_t>(length));
        std::vector<std::wstring> calls;
        size_t start = 0;
        for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
            calls.push_back(text.substr(start, end - start));
        return calls;
    }

    // Calls whose line starts with the prefix, e.g. L"Close".
    std::vector<std::wstring> Calls(const std::wstring& prefix) const {
        std::vector<std::wstring> matching;
        for (const std::wstring& call : Calls())
            if (call.compare(0, prefix.size(), prefix) == 0) matching.push_back(call);
        return matching;
    }

private:
    PFN_RecorderScript m_pfnScript;
    PFN_RecorderCalls m_pfnCalls;
};
