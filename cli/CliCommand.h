#pragma once

#include <string>
#include <vector>

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
    Selection selection;
    std::wstring error;  // for Invalid: one line for standard error
};

// A command line that holds none of the switches /L, /X, /?, /F, /I, /V,
// /After and /Before is read as it always was: /S="…" and /D="…" both given
// restore without a window, anything else opens the dialog. With any of them
// every word must be a known switch, each at most once, with a well-formed
// value (quotes run to the next quote, as in the older form); names are
// matched without regard to case.
CliCommand ParseCliCommand(const std::wstring& commandLine);

// A date "YYYY-MM-DD" that exists, as yyyymmdd; 0 otherwise.
int ParseIsoDate(const std::wstring& text);
