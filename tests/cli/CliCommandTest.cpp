#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "cli/CliCommand.h"
#include "cli/CliRun.h"
#include "framework/WinApp.h"
#include "cli/Report.h"
#include "cli/Selection.h"
#include "restore/ExitCodes.h"
#include "tests/common/TestPaths.h"

TEST(CliCommand, TheOlderFormKeepsItsMeaningAndTheNewFormsAreRecognised) {
    struct Case {
        const wchar_t* line;
        CliAction action;
    } const cases[] = {
        {L"", CliAction::Dialog},
        {L"/S=\"C:\\Q\" /D=\"C:\\Out\"", CliAction::LegacyRestore},
        {L"/s=\"x\" /d=\"y\"", CliAction::Dialog},
        {L"/S=\"C:\\Q\"", CliAction::Dialog},
        {L"/S=\"abc /D=\"def\"", CliAction::LegacyRestore},
        {L"/L", CliAction::List},
        {L"/l /s=\"C:\\Q dir\\\" /f=CSV", CliAction::List},
        {L"/S=\"C:\\Q\" /D=\"C:\\Out\" /F=json /I=\"a*,b?.qtc\"", CliAction::Restore},
        {L"/X /V=\"Trojan.*\"", CliAction::Delete},
        {L"/?", CliAction::Usage},
        {L"/X /?", CliAction::Usage},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseCliCommand(c.line).action, c.action) << c.line;

    const CliCommand list = ParseCliCommand(L"/l /s=\"C:\\Q dir\\\" /f=CSV /After=2024-02-29");
    EXPECT_EQ(list.source, L"C:\\Q dir\\");
    EXPECT_EQ(list.format, OutputFormat::Csv);
    EXPECT_EQ(list.selection.after, 20240229);
    const CliCommand restore = ParseCliCommand(L"/D=\"C:\\Out\" /I=\"a*,b?.qtc\" /S=\"C:\\Q\"");
    EXPECT_EQ(restore.destination, L"C:\\Out");
    EXPECT_EQ(restore.selection.idPatterns, (std::vector<std::wstring>{L"a*", L"b?.qtc"}));
}

// A switch is a switch whatever quotes surround it or its value, so that
// neither cmd's nor PowerShell's quoting decides what a line does. The window
// program keeps the older form's exact meaning; the console program never
// hands a line it cannot read to a window.
TEST(CliCommand, QuotingNeverDecidesWhatALineDoes) {
    struct Case {
        CliHost host;
        const wchar_t* line;
        CliAction action;
        const wchar_t* source;
        const wchar_t* destination;
        const wchar_t* id;  // the one /I pattern, if any
    } const cases[] = {
        {CliHost::Window, L"/S=\"C:\\Q\" /D=\"C:\\Out\" \"/I=a.qtc\"", CliAction::Restore, L"C:\\Q",
         L"C:\\Out", L"a.qtc"},
        {CliHost::Window, L"/S=\"C:\\Q\" /D=\"C:\\Out\" \"/V=Trojan.*\"", CliAction::Restore,
         L"C:\\Q", L"C:\\Out", nullptr},
        {CliHost::Window, L"/S=C:\\Q \"/D=C:\\Restored files\" /I=a.qtc", CliAction::Restore,
         L"C:\\Q", L"C:\\Restored files", L"a.qtc"},
        {CliHost::Window, L"/S=C:\\Q /D=C:\\Out", CliAction::Dialog, L"", L"", nullptr},
        {CliHost::Window, L"/S=\"abc /D=\"def\"", CliAction::LegacyRestore, L"abc /D=", L"def",
         nullptr},
        {CliHost::Console, L"/S=C:\\Q /D=C:\\Out", CliAction::LegacyRestore, L"C:\\Q", L"C:\\Out",
         nullptr},
        {CliHost::Console, L"\"/S=C:\\Q\" \"/D=C:\\Restored files\"", CliAction::LegacyRestore,
         L"C:\\Q", L"C:\\Restored files", nullptr},
        {CliHost::Console, L"/S=\"C:\\Q\" /D=\"C:\\Out\"", CliAction::LegacyRestore, L"C:\\Q",
         L"C:\\Out", nullptr},
        {CliHost::Console, L"/s=C:\\Q /d=C:\\Out /F=csv", CliAction::Restore, L"C:\\Q", L"C:\\Out",
         nullptr},
        {CliHost::Console, L"", CliAction::Dialog, L"", L"", nullptr},
        {CliHost::Console, L"  \t", CliAction::Dialog, L"", L"", nullptr},
        {CliHost::Console, L"/S=C:\\Q", CliAction::Invalid, L"", L"", nullptr},
        {CliHost::Console, L"C:\\Q", CliAction::Invalid, L"", L"", nullptr},
        {CliHost::Console, L"/S=\"C:\\Q /D=C:\\Out", CliAction::Invalid, L"", L"", nullptr},
    };
    for (const Case& c : cases) {
        const CliCommand command = ParseCliCommand(c.line, c.host);
        EXPECT_EQ(command.action, c.action) << c.line;
        if (c.action == CliAction::Invalid) {
            EXPECT_FALSE(command.error.empty()) << c.line;
            continue;
        }
        EXPECT_EQ(command.source, c.source) << c.line;
        EXPECT_EQ(command.destination, c.destination) << c.line;
        EXPECT_EQ(command.selection.idPatterns,
                  c.id ? std::vector<std::wstring>{c.id} : std::vector<std::wstring>())
            << c.line;
    }
    EXPECT_EQ(ParseCliCommand(L"\"/V=Trojan.*\" /L").selection.virusPattern, L"Trojan.*");
}

TEST(CliCommand, BadInputIsAUsageErrorThatSaysWhatIsWrong) {
    struct Case {
        const wchar_t* line;
        const wchar_t* says;
    } const cases[] = {
        {L"/L /Q", L"unknown switch: /Q"},
        {L"/X", L"/X needs a selection"},
        {L"/X /S=\"C:\\Q\"", L"/X needs a selection"},
        {L"/L /After=2023-02-29", L"/After takes a date"},
        {L"/L /Before=2024-1-01", L"/Before takes a date"},
        {L"/L /S=\"\"", L"/S needs a value"},
        {L"/L /S", L"/S needs a value"},
        {L"/L /F=xml", L"/F takes text, csv or json"},
        {L"/L /I=\"a,,b\"", L"/I holds an empty id"},
        {L"/L /L", L"/L is given twice"},
        {L"/L /X /I=\"a\"", L"/L and /X cannot be given together"},
        {L"/L /D=\"C:\\Out\"", L"/D goes with a restore"},
        {L"/S=\"C:\\Q\" /D=\"C:\\Out\" /Conflict=replace",
         L"/Conflict takes fail, skip or keep-both"},
        {L"/L /Conflict=skip", L"/Conflict goes with a restore"},
        {L"/F=csv", L"nothing to do"},
        {L"/L /S=\"C:\\Q", L"a quotation mark is not closed"},
        {L"/L stray", L"not a switch: stray"},
        {L"/L=1", L"/L takes no value"},
        {L"/L /I=\"a, ,b\"", L"/I holds an empty id"},
        {L"/L \"/V=  \"", L"/V holds nothing but blanks"},
        {L"/L /Before=1600-12-31",
         L"/Before=1600-12-31 is out of range: dates run from 1601-01-01 to 9999-12-31"},
        {L"/L /After=0000-01-01", L"/After=0000-01-01 is out of range"},
        {L"/L /Before=1600-02-30", L"/Before takes a date YYYY-MM-DD that exists"},
    };
    for (const Case& c : cases) {
        const CliCommand command = ParseCliCommand(c.line);
        EXPECT_EQ(command.action, CliAction::Invalid) << c.line;
        EXPECT_NE(command.error.find(c.says), std::wstring::npos)
            << c.line << L": " << command.error;
    }
}

TEST(CliCommand, DatesMustExist) {
    EXPECT_EQ(ParseIsoDate(L"2024-02-29"), 20240229);
    EXPECT_EQ(ParseIsoDate(L"2000-02-29"), 20000229);
    for (const wchar_t* bad : {L"2023-02-29", L"1900-02-29", L"2024-13-01", L"2024-04-31",
                               L"2024-00-10", L"24-01-01", L"2024/01/01", L"2024-01-0x", L""})
        EXPECT_EQ(ParseIsoDate(bad), 0) << bad;

    // A day of the calendar before Windows' time begins is out of range, not
    // a day that never was.
    struct Case {
        const wchar_t* text;
        IsoDate check;
        int date;
    } const cases[] = {
        {L"1601-01-01", IsoDate::Valid, 16010101}, {L"9999-12-31", IsoDate::Valid, 99991231},
        {L"1600-12-31", IsoDate::OutOfRange, 0},   {L"1600-02-29", IsoDate::OutOfRange, 0},
        {L"0000-01-01", IsoDate::OutOfRange, 0},   {L"1600-02-30", IsoDate::NoSuchDay, 0},
        {L"1700-02-29", IsoDate::NoSuchDay, 0},    {L"2024-13-01", IsoDate::NoSuchDay, 0},
        {L"2024-1-01", IsoDate::Malformed, 0},     {L"-001-01-01", IsoDate::Malformed, 0},
    };
    for (const Case& c : cases) {
        int date = -1;
        EXPECT_EQ(CheckIsoDate(c.text, &date), c.check) << c.text;
        EXPECT_EQ(date, c.date) << c.text;
    }
}

// Lists are typed with a blank after the comma; a blank at an edge of an id
// or a virus name is never part of it.
TEST(CliCommand, IdsAndVirusNamesAreTrimmedOfBlanksAtTheirEdges) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> ids;
        const wchar_t* virus;
    } const cases[] = {
        {L"/L /I=\"a.qtc, b.qtc\"", {L"a.qtc", L"b.qtc"}, L""},
        {L"/L \"/I=a ,b\"", {L"a", L"b"}, L""},
        {L"/L \"/I= a\t,\tb* \"", {L"a", L"b*"}, L""},
        {L"/L /I=\"a b.qtc\" /V=\" Trojan.* \"", {L"a b.qtc"}, L"Trojan.*"},
        {L"/L \"/V=W32 Worm\t\"", {}, L"W32 Worm"},
    };
    for (const Case& c : cases) {
        const CliCommand command = ParseCliCommand(c.line);
        EXPECT_EQ(command.action, CliAction::List) << c.line << L": " << command.error;
        EXPECT_EQ(command.selection.idPatterns, c.ids) << c.line;
        EXPECT_EQ(command.selection.virusPattern, c.virus) << c.line;
    }
}

TEST(Selection, PatternsVirusAndDatesMustAllMatch) {
    struct Match {
        const wchar_t* pattern;
        const wchar_t* text;
        bool matches;
    } const matches[] = {
        {L"*", L"", true},
        {L"*.qtc", L"a.QTC", true},
        {L"a?c", L"abc", true},
        {L"a?c", L"ac", false},
        {L"*b*b", L"abcbb", true},
        {L"*b*b", L"abca", false},
        {L"GR\u00dc*", L"gr\u00fc\u00dfe", true},
        {L"x", L"xy", false},
        {L"**y", L"xy", true},
    };
    for (const Match& m : matches)
        EXPECT_EQ(WildcardMatch(m.pattern, m.text), m.matches) << m.pattern << L" " << m.text;

    Selection selection;
    EXPECT_TRUE(IsSelected(selection, L"any", L"", 0));
    selection.idPatterns = {L"2024*", L"x.qtc"};
    selection.virusPattern = L"Trojan.*";
    selection.after = 20240101;
    selection.before = 20240301;
    EXPECT_TRUE(IsSelected(selection, L"x.qtc", L"trojan.agent", 20240101));
    EXPECT_FALSE(IsSelected(selection, L"x.qtc", L"trojan.agent", 20240301))
        << "before is exclusive";
    EXPECT_FALSE(IsSelected(selection, L"x.qtc", L"trojan.agent", 0)) << "no time stamp";
    EXPECT_FALSE(IsSelected(selection, L"y.qtc", L"trojan.agent", 20240102));
    EXPECT_FALSE(IsSelected(selection, L"20240102.qtc", L"W32.Worm", 20240102));

    // An id without wildcards that names no item in the folder is missing
    // from what was asked for; a pattern asks for whatever there is.
    const std::vector<std::wstring> ids = {L"a.qtc", L"B.qtc", L"c.qtc"};
    struct Unmet {
        std::vector<std::wstring> patterns;
        std::vector<std::wstring> unmatched;
    } const unmet[] = {
        {{}, {}},
        {{L"a.qtc", L"b.QTC"}, {}},
        {{L"a.qtc", L"nosuch.qtc", L"a"}, {L"nosuch.qtc", L"a"}},
        {{L"x*", L"?.txt", L"c.qtc"}, {}},
        {{L"a.qtc.", L"a.qt"}, {L"a.qtc.", L"a.qt"}},
    };
    for (const Unmet& u : unmet) {
        Selection asked;
        asked.idPatterns = u.patterns;
        EXPECT_EQ(UnmatchedIds(asked, ids), u.unmatched);
    }
}

// Scripts, /? and the README's table read one table of exit codes.
TEST(ExitCodes, UsageAndTheReadmeShowEveryCodeAsTheTableHasIt) {
    const std::wstring usage = CliUsageText();
    std::vector<std::pair<int, std::string>> table, readme;
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        EXPECT_NE(usage.find(L"  " + std::to_wstring(exit.code) + L"  " + exit.meaning + L"\r\n"),
                  std::wstring::npos)
            << exit.code;
        table.emplace_back(exit.code, Utf8(exit.meaning));
    }
    const std::string text = ReadFileBytes(TestBinDir() + L"\\README.md");
    const size_t start = text.find("| Exit code | Meaning |");
    ASSERT_NE(start, std::string::npos);
    for (size_t at = text.find('\n', start) + 1; at < text.size() && text[at] == '|';) {
        const size_t end = text.find('\n', at);
        const std::string row = text.substr(at, end - at);
        const size_t bar = row.find('|', 1);
        if (row.find_first_of("0123456789") < bar)
            readme.emplace_back(std::atoi(row.c_str() + 1),
                                row.substr(bar + 2, row.rfind(" |") - bar - 2));
        at = end + 1;
    }
    EXPECT_EQ(readme, table);
    EXPECT_EQ(kExitCodeCount, table.size());
}

// An exception that leaves the application object ends the process with a
// code of the table and a line for the administrator, never with -1.
namespace {
class CThrowingApp : public CWinApp {
public:
    explicit CThrowingApp(bool standard) : m_bStandard(standard) {}
    BOOL InitInstance() override {
        if (m_bStandard) throw std::bad_alloc();
        throw 42;
    }
    int ExitOnException(const char* what) override {
        CliStreams streams;
        streams.out = [](const std::string&) { return true; };
        streams.err = [this](const std::string& text) { return m_err += text, true; };
        return EndOnUnexpectedError(what, streams);
    }
    std::string m_err;

private:
    bool m_bStandard;
};
}  // namespace

TEST(ExitCodes, AnExceptionThatLeavesTheProgramHasItsOwnCodeAndALine) {
    for (const bool standard : {true, false}) {
        CThrowingApp app(standard);
        EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), const_cast<LPWSTR>(L"")),
                  kCommandLineUnexpectedError);
        EXPECT_EQ(app.m_err.rfind("Quarantine: an unexpected error ended the run", 0), 0u)
            << app.m_err;
        EXPECT_EQ(app.m_err.find("bad_alloc") != std::string::npos, standard) << app.m_err;
        EXPECT_EQ(app.m_err.substr(app.m_err.size() - 2), "\r\n");
    }
}
