#pragma once

#include <cstddef>

// Every exit code a windowless run can end with, in one table: the name the
// code uses, the number a script sees, and the line that /? and the README's
// table show. Scripts on many machines branch on these numbers, so a number
// never changes its meaning.
#define QUARANTINE_EXIT_CODES(X)                                                                \
    X(kCommandLineDone, 0, L"done (also: nothing to list or restore)")                          \
    X(kCommandLineNoQuarantine, 1,                                                              \
      L"no quarantine in the folder, or the quarantine library is missing")                     \
    X(kCommandLineNoEnumeration, 2, L"the quarantine could not list its items")                 \
    X(kCommandLineRestoreFailed, 3,                                                             \
      L"at least one item could not be restored or deleted, or a restored file is not on "      \
      L"disk; the others were")                                                                 \
    X(kCommandLineNothingMatched, 4, L"nothing matched the selection")                          \
    X(kCommandLineUsageError, 5,                                                                \
      L"usage error: unknown switch, bad value, /X without a selection, ...")                   \
    X(kCommandLineReportLost, 6,                                                                \
      L"the report could not be written whole (a full disk, a closed handle); the event log "   \
      L"holds what was done")                                                                   \
    X(kCommandLineWindowNotStarted, 7, L"Quarantine.com could not start Quarantine.exe")        \
    X(kCommandLineSelectionIncomplete, 8,                                                       \
      L"an id given with /I names no item; the items that matched were done")                   \
    X(kCommandLineDestinationUnusable, 9,                                                       \
      L"the destination could not be created or written; no item was tried")                    \
    X(kCommandLineUnexpectedError, 10,                                                          \
      L"an unexpected error ended the run (out of memory, ...); the event log holds what was "  \
      L"done before it")                                                                        \
    X(kCommandLineRefusedByPolicy, 11,                                                          \
      L"the organisation's policy does not allow the command; nothing was done, and the event " \
      L"log holds the refusal")

enum CommandLineExitCode {
#define QUARANTINE_EXIT_CODE_ENUM(name, code, meaning) name = code,
    QUARANTINE_EXIT_CODES(QUARANTINE_EXIT_CODE_ENUM)
#undef QUARANTINE_EXIT_CODE_ENUM
};

struct ExitCodeMeaning {
    int code;
    const wchar_t* meaning;
};

constexpr ExitCodeMeaning kExitCodeMeanings[] = {
#define QUARANTINE_EXIT_CODE_ROW(name, code, meaning) {code, meaning},
    QUARANTINE_EXIT_CODES(QUARANTINE_EXIT_CODE_ROW)
#undef QUARANTINE_EXIT_CODE_ROW
};
constexpr size_t kExitCodeCount = sizeof kExitCodeMeanings / sizeof kExitCodeMeanings[0];
