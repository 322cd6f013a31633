#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One word of a command line: its text with the quotes taken out, and where
// it stands in the line.
struct CommandWord {
    std::wstring text;
    size_t start = 0;  // the word's first character in the line
};

// Splits a command line into words at blanks and tabs outside quotes, the one
// split every form of the command line uses. A quote runs to the next quote,
// without escapes, wherever it stands in the word, and the quotes themselves
// are dropped: "/I=a.qtc", /I="a.qtc" and /I=a.qtc are the same word.
// *pClosed is false when the last quote is not closed; the open run then goes
// to the end of the line.
std::vector<CommandWord> SplitCommandWords(const std::wstring& commandLine, bool* pClosed = nullptr);

// The two values of the older command line: the quarantine folder to restore
// from (/S="...") and the destination (/D="...").
struct CommandLineValues {
    std::wstring source;
    std::wstring destination;
};

// The older form's own reading, which scripts have relied on for years: each
// value starts after the first exact, case-sensitive occurrence of its switch
// and runs to the next double quote, or to the end of the text when none
// follows. Nothing is trimmed; an absent switch leaves its value empty.
CommandLineValues ParseCommandLine(const std::wstring& commandLine);
