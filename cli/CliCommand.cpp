#include "cli/CliCommand.h"

#include <cwctype>

#include "cli/CommandLine.h"

namespace {

struct Word {
    std::wstring name;  // without the slash
    bool hasValue = false;
    std::wstring value;
};

bool SameName(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && b[i] == L'\0';
}

// Splits at blanks outside quotes; a quote runs to the next quote, without
// escapes, and the quotes themselves are dropped. False for an unclosed quote.
bool SplitWords(const std::wstring& text, std::vector<std::wstring>* words) {
    std::wstring word;
    bool inWord = false, quoted = false;
    for (const wchar_t c : text) {
        if (c == L'"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            if (inWord) words->push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words->push_back(word);
    return !quoted;
}

const wchar_t* const kCommandSwitches[] = {L"L", L"X", L"?", L"F", L"I", L"V", L"After", L"Before"};

// Whether the text uses any switch of the newer commands, as the start of a
// word: the older form never had them, so without one it keeps its meaning.
bool UsesCommandSwitch(const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'/' || (i > 0 && text[i - 1] != L' ' && text[i - 1] != L'\t')) continue;
        size_t end = i + 1;
        while (end < text.size() && text[end] != L'=' && text[end] != L' ' && text[end] != L'\t')
            ++end;
        const std::wstring name = text.substr(i + 1, end - i - 1);
        for (const wchar_t* known : kCommandSwitches)
            if (SameName(name, known)) return true;
    }
    return false;
}

CliCommand Invalid(const std::wstring& error) {
    CliCommand command;
    command.action = CliAction::Invalid;
    command.error = error;
    return command;
}

bool SplitIds(const std::wstring& value, std::vector<std::wstring>* ids) {
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(L',', start);
        const std::wstring id = value.substr(start, comma - start);
        if (id.empty()) return false;
        ids->push_back(id);
        if (comma == std::wstring::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

int ParseIsoDate(const std::wstring& text) {
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-') return 0;
    int fields[3] = {};
    const size_t starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
            if (text[i] < L'0' || text[i] > L'9') return 0;
            fields[f] = fields[f] * 10 + (text[i] - L'0');
        }
    }
    const int year = fields[0], month = fields[1], day = fields[2];
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1601 || month < 1 || month > 12) return 0;
    if (day < 1 || day > days[month - 1] + (month == 2 && leap ? 1 : 0)) return 0;
    return year * 10000 + month * 100 + day;
}

CliCommand ParseCliCommand(const std::wstring& commandLine) {
    if (!UsesCommandSwitch(commandLine)) {
        const CommandLineValues values = ParseCommandLine(commandLine);
        CliCommand command;
        if (!values.source.empty() && !values.destination.empty()) {
            command.action = CliAction::LegacyRestore;
            command.source = values.source;
            command.destination = values.destination;
        }
        return command;
    }

    std::vector<std::wstring> texts;
    if (!SplitWords(commandLine, &texts)) return Invalid(L"a quotation mark is not closed");
    std::vector<Word> words;
    for (const std::wstring& text : texts) {
        if (text.size() < 2 || text[0] != L'/') return Invalid(L"not a switch: " + text);
        Word word;
        const size_t equals = text.find(L'=');
        word.name = text.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
        if (equals != std::wstring::npos) {
            word.hasValue = true;
            word.value = text.substr(equals + 1);
        }
        words.push_back(word);
    }

    CliCommand command;
    bool list = false, remove = false, usage = false, seen[10] = {};
    static const wchar_t* const kNames[] = {L"L", L"X", L"?", L"S", L"D",
                                            L"F", L"I", L"V", L"After", L"Before"};
    static const bool kTakesValue[] = {false, false, false, true, true,
                                       true,  true,  true,  true, true};
    for (const Word& word : words) {
        int known = -1;
        for (int k = 0; k < 10 && known < 0; ++k)
            if (SameName(word.name, kNames[k])) known = k;
        if (known < 0) return Invalid(L"unknown switch: /" + word.name);
        const std::wstring name = std::wstring(L"/") + kNames[known];
        if (seen[known]) return Invalid(name + L" is given twice");
        seen[known] = true;
        if (!kTakesValue[known]) {
            if (word.hasValue) return Invalid(name + L" takes no value");
        } else if (!word.hasValue || word.value.empty()) {
            return Invalid(name + L" needs a value: " + name + L"=\"...\"");
        }
        switch (known) {
            case 0: list = true; break;
            case 1: remove = true; break;
            case 2: usage = true; break;
            case 3: command.source = word.value; break;
            case 4: command.destination = word.value; break;
            case 5:
                if (SameName(word.value, L"text")) command.format = OutputFormat::Text;
                else if (SameName(word.value, L"csv")) command.format = OutputFormat::Csv;
                else if (SameName(word.value, L"json")) command.format = OutputFormat::Json;
                else return Invalid(L"/F takes text, csv or json, not " + word.value);
                break;
            case 6:
                if (!SplitIds(word.value, &command.selection.idPatterns))
                    return Invalid(L"/I holds an empty id: " + word.value);
                break;
            case 7: command.selection.virusPattern = word.value; break;
            case 8:
            case 9: {
                const int date = ParseIsoDate(word.value);
                if (date == 0) return Invalid(name + L" takes a date YYYY-MM-DD that exists, not " + word.value);
                (known == 8 ? command.selection.after : command.selection.before) = date;
                break;
            }
        }
    }

    if (usage) {
        command.action = CliAction::Usage;
        return command;
    }
    if (list && remove) return Invalid(L"/L and /X cannot be given together");
    if ((list || remove) && seen[4]) return Invalid(L"/D goes with a restore, not with /L or /X");
    if (list) {
        command.action = CliAction::List;
    } else if (remove) {
        if (command.selection.Empty())
            return Invalid(L"/X needs a selection: /I, /V, /After or /Before");
        command.action = CliAction::Delete;
    } else if (seen[3] && seen[4]) {
        command.action = CliAction::Restore;
    } else {
        return Invalid(L"nothing to do: give /L, /X, or /S and /D");
    }
    return command;
}
