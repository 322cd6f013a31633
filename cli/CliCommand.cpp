#include "cli/CliCommand.h"

#include <cwctype>

#include "cli/CommandLine.h"
#include "restore/ExitCodes.h"

namespace {

bool SameName(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && b[i] == L'\0';
}

// What a switch does with its value; false with *pError set for a bad one.
using ApplySwitch = bool (*)(const std::wstring& value, CliCommand* pCommand, std::wstring* pError);

bool ApplyNothing(const std::wstring&, CliCommand*, std::wstring*) {
    return true;
}

bool ApplySource(const std::wstring& value, CliCommand* pCommand, std::wstring*) {
    pCommand->source = value;
    return true;
}

bool ApplyDestination(const std::wstring& value, CliCommand* pCommand, std::wstring*) {
    pCommand->destination = value;
    return true;
}

bool ApplyFormat(const std::wstring& value, CliCommand* pCommand, std::wstring* pError) {
    static const struct {
        const wchar_t* name;
        OutputFormat format;
    } kFormats[] = {
        {L"text", OutputFormat::Text}, {L"csv", OutputFormat::Csv}, {L"json", OutputFormat::Json}};
    for (const auto& known : kFormats) {
        if (SameName(value, known.name)) {
            pCommand->format = known.format;
            return true;
        }
    }
    *pError = L"/F takes text, csv or json, not " + value;
    return false;
}

bool ApplyConflict(const std::wstring& value, CliCommand* pCommand, std::wstring* pError) {
    static const struct {
        const wchar_t* name;
        ConflictChoice choice;
    } kChoices[] = {{L"fail", ConflictChoice::Fail},
                    {L"skip", ConflictChoice::Skip},
                    {L"keep-both", ConflictChoice::KeepBoth}};
    for (const auto& known : kChoices) {
        if (SameName(value, known.name)) {
            pCommand->conflict = known.choice;
            return true;
        }
    }
    *pError = L"/Conflict takes fail, skip or keep-both, not " + value;
    return false;
}

// People type lists with a blank after the comma ("a.qtc, b.qtc"); a blank
// at an edge is never part of what they meant, and Windows file names do not
// end in one.
std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool ApplyIds(const std::wstring& value, CliCommand* pCommand, std::wstring* pError) {
    for (size_t start = 0;;) {
        const size_t comma = value.find(L',', start);
        const std::wstring id = TrimBlanks(value.substr(start, comma - start));
        if (id.empty()) {
            *pError = L"/I holds an empty id: " + value;
            return false;
        }
        pCommand->selection.idPatterns.push_back(id);
        if (comma == std::wstring::npos) return true;
        start = comma + 1;
    }
}

bool ApplyVirus(const std::wstring& value, CliCommand* pCommand, std::wstring* pError) {
    pCommand->selection.virusPattern = TrimBlanks(value);
    if (!pCommand->selection.virusPattern.empty()) return true;
    *pError = L"/V holds nothing but blanks";
    return false;
}

bool ApplyDate(const wchar_t* name, const std::wstring& value, int* pDate, std::wstring* pError) {
    switch (CheckIsoDate(value, pDate)) {
        case IsoDate::Valid:
            return true;
        case IsoDate::OutOfRange:
            *pError = std::wstring(L"/") + name + L"=" + value +
                      L" is out of range: dates run from " + kFirstIsoDate + L" to " + kLastIsoDate;
            return false;
        default:
            *pError =
                std::wstring(L"/") + name + L" takes a date YYYY-MM-DD that exists, not " + value;
            return false;
    }
}

bool ApplyAfter(const std::wstring& value, CliCommand* pCommand, std::wstring* pError) {
    return ApplyDate(L"After", value, &pCommand->selection.after, pError);
}

bool ApplyBefore(const std::wstring& value, CliCommand* pCommand, std::wstring* pError) {
    return ApplyDate(L"Before", value, &pCommand->selection.before, pError);
}

// Every switch once: its id, its name, the value it takes (null for none),
// whether it belongs to the commands for scripts (the older form knows only
// /S and /D), what it sets, and its line in /?.
#define CLI_SWITCHES(X)                                                                         \
    X(List, L"L", nullptr, true, ApplyNothing, L"lists the items")                              \
    X(Delete, L"X", nullptr, true, ApplyNothing,                                                \
      L"deletes the selected items from the quarantine for good")                               \
    X(Usage, L"?", nullptr, true, ApplyNothing, L"shows this text")                             \
    X(Source, L"S", L"\"folder\"", false, ApplySource,                                          \
      L"the quarantine folder; without it, the folder the window would open")                   \
    X(Destination, L"D", L"\"folder\"", false, ApplyDestination,                                \
      L"the folder a restore writes the items' files into")                                     \
    X(Conflict, L"Conflict", L"fail|skip|keep-both", true, ApplyConflict,                       \
      L"a restored file whose name is taken: the item fails (the default), is skipped, or its " \
      L"file is kept beside the other as \"name (2).ext\"; nothing is ever overwritten")        \
    X(Format, L"F", L"text|csv|json", true, ApplyFormat,                                        \
      L"the report: a table ending with a summary line, CSV or JSON, all UTF-8")                \
    X(Ids, L"I", L"\"id[,id...]\"", true, ApplyIds,                                             \
      L"selects by quarantine file name as /L shows it; * and ? allowed")                       \
    X(Virus, L"V", L"\"pattern\"", true, ApplyVirus, L"selects by virus name; * and ? allowed") \
    X(After, L"After", L"YYYY-MM-DD", true, ApplyAfter,                                         \
      L"selects what was stamped on that local date or later")                                  \
    X(Before, L"Before", L"YYYY-MM-DD", true, ApplyBefore,                                      \
      L"selects what was stamped before that local date")

enum SwitchId {
#define CLI_SWITCH_ID(id, name, value, forScripts, apply, help) k##id,
    CLI_SWITCHES(CLI_SWITCH_ID)
#undef CLI_SWITCH_ID
        kSwitchCount
};

struct SwitchDefinition {
    const wchar_t* name;
    const wchar_t* value;  // how /? shows the value; null: the switch takes none
    bool forScripts;
    ApplySwitch apply;
    const wchar_t* help;
};

const SwitchDefinition kSwitches[kSwitchCount] = {
#define CLI_SWITCH_ROW(id, name, value, forScripts, apply, help) \
    {name, value, forScripts, apply, help},
    CLI_SWITCHES(CLI_SWITCH_ROW)
#undef CLI_SWITCH_ROW
};

// The switch a word names, or kSwitchCount; *pValue is what follows the
// first '=' (null without one).
SwitchId NamedSwitch(const std::wstring& word, std::wstring* pName, bool* pHasValue,
                     std::wstring* pValue) {
    *pHasValue = false;
    pName->clear();
    if (word.size() < 2 || word[0] != L'/') return kSwitchCount;
    const size_t equals = word.find(L'=');
    *pName = word.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
    if (equals != std::wstring::npos) {
        *pHasValue = true;
        *pValue = word.substr(equals + 1);
    }
    for (int id = 0; id < kSwitchCount; ++id)
        if (SameName(*pName, kSwitches[id].name)) return static_cast<SwitchId>(id);
    return kSwitchCount;
}

CliCommand Invalid(const std::wstring& error) {
    CliCommand command;
    command.action = CliAction::Invalid;
    command.error = error;
    return command;
}

// Whether any word is a switch of the commands for scripts.
bool HoldsScriptSwitch(const std::vector<CommandWord>& words) {
    for (const CommandWord& word : words) {
        std::wstring name, value;
        bool hasValue = false;
        const SwitchId id = NamedSwitch(word.text, &name, &hasValue, &value);
        if (id != kSwitchCount && kSwitches[id].forScripts) return true;
    }
    return false;
}

CliCommand ParseCommandWords(const std::vector<CommandWord>& words, bool closed, CliHost host) {
    if (!closed) return Invalid(L"a quotation mark is not closed");
    CliCommand command;
    bool given[kSwitchCount] = {};
    for (const CommandWord& word : words) {
        std::wstring name, value, error;
        bool hasValue = false;
        const SwitchId id = NamedSwitch(word.text, &name, &hasValue, &value);
        if (word.text.size() < 2 || word.text[0] != L'/')
            return Invalid(L"not a switch: " + word.text);
        if (id == kSwitchCount) return Invalid(L"unknown switch: /" + name);
        const SwitchDefinition& definition = kSwitches[id];
        const std::wstring shown = std::wstring(L"/") + definition.name;
        if (given[id]) return Invalid(shown + L" is given twice");
        given[id] = true;
        if (definition.value == nullptr) {
            if (hasValue) return Invalid(shown + L" takes no value");
        } else if (value.empty()) {
            return Invalid(shown + L" needs a value: " + shown + L"=" + definition.value);
        }
        if (!definition.apply(value, &command, &error)) return Invalid(error);
    }

    if (given[kUsage]) {
        command.action = CliAction::Usage;
        return command;
    }
    if (given[kList] && given[kDelete]) return Invalid(L"/L and /X cannot be given together");
    if ((given[kList] || given[kDelete]) && given[kDestination])
        return Invalid(L"/D goes with a restore, not with /L or /X");
    if ((given[kList] || given[kDelete]) && given[kConflict])
        return Invalid(L"/Conflict goes with a restore, not with /L or /X");
    if (given[kList]) {
        command.action = CliAction::List;
    } else if (given[kDelete]) {
        if (command.selection.Empty())
            return Invalid(L"/X needs a selection: /I, /V, /After or /Before");
        command.action = CliAction::Delete;
    } else if (given[kSource] && given[kDestination]) {
        // The console program's /S and /D alone are the older windowless
        // restore, however a shell passed on their quotes.
        const bool older = host == CliHost::Console && !HoldsScriptSwitch(words);
        command.action = older ? CliAction::LegacyRestore : CliAction::Restore;
    } else {
        return Invalid(L"nothing to do: give /L, /X, or /S and /D");
    }
    return command;
}

}  // namespace

IsoDate CheckIsoDate(const std::wstring& text, int* pDate) {
    *pDate = 0;
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-') return IsoDate::Malformed;
    int fields[3] = {};
    const size_t starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
            if (text[i] < L'0' || text[i] > L'9') return IsoDate::Malformed;
            fields[f] = fields[f] * 10 + (text[i] - L'0');
        }
    }
    const int year = fields[0], month = fields[1], day = fields[2];
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12) return IsoDate::NoSuchDay;
    if (day < 1 || day > days[month - 1] + (month == 2 && leap ? 1 : 0)) return IsoDate::NoSuchDay;
    // Windows counts time from 1601: an earlier day is one of the calendar,
    // but none the program can compare a time stamp with.
    if (year < 1601) return IsoDate::OutOfRange;
    *pDate = year * 10000 + month * 100 + day;
    return IsoDate::Valid;
}

int ParseIsoDate(const std::wstring& text) {
    int date = 0;
    CheckIsoDate(text, &date);
    return date;
}

CliCommand ParseCliCommand(const std::wstring& commandLine, CliHost host) {
    bool closed = true;
    const std::vector<CommandWord> words = SplitCommandWords(commandLine, &closed);
    if (host == CliHost::Console) {
        if (words.empty()) return CliCommand();
        return ParseCommandWords(words, closed, host);
    }
    if (HoldsScriptSwitch(words)) return ParseCommandWords(words, closed, host);
    // The older form, exactly as it always read.
    const CommandLineValues values = ParseCommandLine(commandLine);
    CliCommand command;
    if (!values.source.empty() && !values.destination.empty()) {
        command.action = CliAction::LegacyRestore;
        command.source = values.source;
        command.destination = values.destination;
    }
    return command;
}

std::wstring CliUsageText() {
    std::wstring text =
        L"Lists, restores and deletes quarantined items; with nothing after its name the window "
        L"opens.\r\n"
        L"\r\n"
        L"  Quarantine /L [/S=\"folder\"] [/F=text|csv|json] [selection]\r\n"
        L"  Quarantine /S=\"folder\" /D=\"destination\" [/F=text|csv|json] [selection]\r\n"
        L"  Quarantine /X [/S=\"folder\"] [/F=text|csv|json] selection\r\n"
        L"  Quarantine /?\r\n"
        L"\r\n"
        L"A selection is any of /I, /V, /After and /Before; all given must match.\r\n"
        L"Quotes may stand around a switch or its value, or be left out.\r\n"
        L"\r\n";
    for (const SwitchDefinition& definition : kSwitches) {
        std::wstring form = std::wstring(L"  /") + definition.name;
        if (definition.value != nullptr) form += std::wstring(L"=") + definition.value;
        form.resize(form.size() < 24 ? 24 : form.size() + 1, L' ');
        text += form + definition.help + L"\r\n";
    }
    text += L"\r\nexit codes:\r\n";
    for (const ExitCodeMeaning& exit : kExitCodeMeanings)
        text += L"  " + std::to_wstring(exit.code) + L"  " + exit.meaning + L"\r\n";
    return text;
}
