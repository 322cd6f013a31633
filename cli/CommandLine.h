#pragma once

#include <string>

// The two values of the command line: the quarantine folder to restore from
// (/S="...") and the destination (/D="...").
struct CommandLineValues {
    std::wstring source;
    std::wstring destination;
};

// Each value starts after the first exact, case-sensitive occurrence of its
// switch and runs to the next double quote, or to the end of the text when
// none follows. Nothing is trimmed; an absent switch leaves its value empty.
CommandLineValues ParseCommandLine(const std::wstring& commandLine);
