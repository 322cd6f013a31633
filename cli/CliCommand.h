#pragma once

#include <string>
#include <vector>

#include "restore/KeepBoth.h"

// What the command line asks of the program.
enum class CliAction {
    Dialog,         // anything not a command: the window
    LegacyRestore,  // /S="…" /D="…" alone: the windowless restore as it always was
    List,           // /L
    Restore,        // /S="…" /D="…" with a format or a selection: restore with a report
    Delete,         // /X
    Usage,          // /?
    Invalid,        // a command with bad input: error says what
};

enum class OutputFormat { Text, Csv, Json };

// Which quarantine items a command takes; an empty selection takes all.
struct Selection {
    std::vector<std::wstring> idPatterns;  // /I, each with * and ?
    std::wstring virusPattern;             // /V, with * and ?
    int after = 0;                         // /After as yyyymmdd, 0 when absent
    int before = 0;                        // /Before as yyyymmdd, 0 when absent
    bool Empty() const {
        return idPatterns.empty() && virusPattern.empty() && after == 0 && before == 0;
    }
};

struct CliCommand {
    CliAction action = CliAction::Dialog;
    std::wstring source;  // empty: the folder the dialog would open
    std::wstring destination;
    OutputFormat format = OutputFormat::Text;
    ConflictChoice conflict = ConflictChoice::Fail;  // /Conflict
    Selection selection;
    std::wstring error;  // for Invalid: one line for standard error
};

// Which program reads the line: the window program keeps the older form's
// exact meaning; the console program is for scripts and never hands a line it
// cannot read to a window.
enum class CliHost { Window, Console };

// The line is split into words once (SplitCommandWords), so a switch is a
// switch whatever quotes surround it or its value. Every switch of the
// commands for scripts (/L, /X, /?, /Conflict, /F, /I, /V, /After, /Before) makes the line
// a command: then every word must be a known switch, each at most once, with a
// well-formed value; names are matched without regard to case.
//
// Without any of them, the window program reads the line as it always did:
// /S="…" and /D="…" both given restore without a window, anything else opens
// the dialog. The console program opens the window only for a line without a
// word; /S and /D in any quoting are its windowless restore, and anything
// else it cannot read is a usage error.
CliCommand ParseCliCommand(const std::wstring& commandLine, CliHost host = CliHost::Window);

// The text /? shows: the forms, every switch and every exit code, from the
// same tables the parse and the run use.
std::wstring CliUsageText();

// A date "YYYY-MM-DD" that exists, as yyyymmdd; 0 otherwise.
int ParseIsoDate(const std::wstring& text);

// What a date given on the command line is: well formed and a day of the
// calendar, and within the days the program can compare time stamps with
// (kFirstIsoDate to kLastIsoDate). *pDate is yyyymmdd when Valid, else 0.
enum class IsoDate { Valid, Malformed, NoSuchDay, OutOfRange };
constexpr const wchar_t* kFirstIsoDate = L"1601-01-01";
constexpr const wchar_t* kLastIsoDate = L"9999-12-31";
IsoDate CheckIsoDate(const std::wstring& text, int* pDate);
