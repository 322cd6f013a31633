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

std::vector<CommandWord> SplitCommandWords(const std::wstring& commandLine, bool* pClosed) {
    std::vector<CommandWord> words;
    CommandWord word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (!quoted && (c == L' ' || c == L'\t')) {
            if (inWord) words.push_back(word);
            word = CommandWord();
            inWord = false;
            continue;
        }
        if (!inWord) word.start = i;
        inWord = true;
        if (c == L'"')
            quoted = !quoted;
        else
            word.text += c;
    }
    if (inWord) words.push_back(word);
    if (pClosed != nullptr) *pClosed = !quoted;
    return words;
}

CommandLineValues ParseCommandLine(const std::wstring& commandLine) {
    CommandLineValues values;
    values.source = SwitchValue(commandLine, L"/S=\"");
    values.destination = SwitchValue(commandLine, L"/D=\"");
    return values;
}
