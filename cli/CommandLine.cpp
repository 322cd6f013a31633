#include "cli/CommandLine.h"

#include <cwchar>

namespace {

std::wstring SwitchValue(const std::wstring& text, const wchar_t* switchText) {
    const size_t start = text.find(switchText);
    if (start == std::wstring::npos) return std::wstring();
    std::wstring rest = text.substr(start + std::wcslen(switchText));
    const size_t quote = rest.find(L'"');
    if (quote != std::wstring::npos) rest.resize(quote);
    return rest;
}

}  // namespace

CommandLineValues ParseCommandLine(const std::wstring& commandLine) {
    CommandLineValues values;
    values.source = SwitchValue(commandLine, L"/S=\"");
    values.destination = SwitchValue(commandLine, L"/D=\"");
    return values;
}
