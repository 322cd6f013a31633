#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/ConsoleWidth.h"
#include "cli/Report.h"
#include "cli/StdStreams.h"
#include "quarantine/ItemText.h"

namespace {

QuarantineItem Item(const std::wstring& id, const std::wstring& virus, const std::wstring& path) {
    QuarantineItem item;
    item.id = id;
    item.virus = virus;
    item.formerPath = path;
    const FormerLocation former = SplitFormerPath(path);
    item.fileName = former.fileName;
    item.folder = former.folder;
    item.time = L"2024-03-01T09:00:00+01:00";
    item.fileObjects = 1;
    item.otherObjects = 2;
    return item;
}

}  // namespace

TEST(CliReport, CsvAndJsonCarryAwkwardTextsWholeAndParse) {
    const QuarantineItem odd = Item(L"a.qtc", L"Say \"hi\", twice\r\nnow",
                                    L"C:\\Gr\u00fc\u00dfe\\\u6587\u4ef6, 2.txt");
    const QuarantineItem plain = Item(L"b.qtc", L"W32.Worm", L"C:\\x\\b.txt");
    RunSummary summary;
    summary.matched = summary.succeeded = 2;

    const std::string csv = FormatListing(OutputFormat::Csv, L"C:\\Q\\", {&odd, &plain}, summary);
    EXPECT_EQ(csv,
              "id,virus,fileName,folder,formerPath,time,fileObjects,otherObjects\r\n"
              "a.qtc,\"Say \"\"hi\"\", twice\r\nnow\",\"\xe6\x96\x87\xe4\xbb\xb6, 2.txt\","
              "C:\\Gr\xc3\xbc\xc3\x9f" "e,\"C:\\Gr\xc3\xbc\xc3\x9f" "e\\\xe6\x96\x87\xe4\xbb\xb6, 2.txt\","
              "2024-03-01T09:00:00+01:00,1,2\r\n"
              "b.qtc,W32.Worm,b.txt,C:\\x,C:\\x\\b.txt,2024-03-01T09:00:00+01:00,1,2\r\n");

    const nlohmann::json json =
        nlohmann::json::parse(FormatListing(OutputFormat::Json, L"C:\\Q\\", {&odd, &plain}, summary));
    ASSERT_EQ(json["items"].size(), 2u);
    EXPECT_EQ(json["items"][0]["virus"], "Say \"hi\", twice\r\nnow");
    EXPECT_EQ(json["items"][0]["fileName"], "\xe6\x96\x87\xe4\xbb\xb6, 2.txt");
    EXPECT_EQ(json["items"][1]["otherObjects"], 2);
    EXPECT_EQ(json["summary"]["text"], "listed 2 items");
    EXPECT_EQ(json["summary"]["exitCode"], 0);

    // An unpaired surrogate from a careless library still gives valid UTF-8.
    const QuarantineItem broken = Item(std::wstring(L"x") + wchar_t(0xD800) + L".qtc", L"v", L"C:\\x\\y");
    EXPECT_NO_THROW(nlohmann::json::parse(FormatListing(OutputFormat::Json, L"C:\\Q\\", {&broken}, summary)));

    // Every control character escaped, each as JSON's shortest form, and the
    // whole text laid out as the JSON library lays out what it holds, byte for
    // byte: reports compared across versions stay equal.
    QuarantineItem controls = Item(L"c.qtc", std::wstring(L"\b\f\n\r\t\x01\x1f\x7f/\\\"", 11), L"C:\\x\\c");
    controls.formerPaths = {L"C:\\x\\c", L"D:\\\u00e9"};
    const std::string escaped =
        FormatListing(OutputFormat::Json, L"C:\\Q\\", {&odd, &controls, &broken}, summary);
    EXPECT_NE(escaped.find("\"virus\": \"\\b\\f\\n\\r\\t\\u0001\\u001f\x7f/\\\\\\\"\""), std::string::npos);
    RunSummary failed;
    failed.action = CliAction::Restore;
    failed.unmatchedIds = {L"x.qtc", L"y\"z"};
    failed.exitCode = 1;
    failed.error = L"no quarantine could be opened in C:\\Q\\";
    const ItemOutcome outcome{L"a.qtc", L"failed", L"first line\nsecond line", L"", L""};
    for (const std::string& text :
         {escaped, FormatListing(OutputFormat::Json, L"C:\\Q\\", {}, summary),
          FormatOutcomes(OutputFormat::Json, L"C:\\Q\\", {outcome}, failed),
          FormatOutcomes(OutputFormat::Json, L"C:\\Q\\", {}, failed)})
        EXPECT_EQ(nlohmann::ordered_json::parse(text).dump(2, ' ', false) + "\r\n", text);
}

TEST(CliReport, TheLastLineOfTextSaysTheOutcome) {
    // Ids that named no item are counted in the text's last line, in a last
    // CSV row (only then) and in the JSON summary.
    struct Case {
        CliAction action;
        size_t matched, succeeded, failed, skipped;
        std::vector<std::wstring> unmatched;
        int exitCode;
        const wchar_t* line;
    } const cases[] = {
        {CliAction::List, 1, 1, 0, 0, {}, 0, L"listed 1 item"},
        {CliAction::Restore, 13, 12, 1, 0, {}, 3, L"restored 12 of 13 items; 1 failed"},
        {CliAction::Restore, 3, 1, 1, 1, {}, 3, L"restored 1 of 3 items; 1 failed; 1 skipped"},
        {CliAction::Delete, 2, 2, 0, 0, {}, 0, L"deleted 2 of 2 items"},
        {CliAction::Delete, 0, 0, 0, 0, {}, 4, L"no item matched the selection"},
        {CliAction::List, 1, 1, 0, 0, {L"x.qtc"}, 8, L"listed 1 item; 1 id matched no item"},
        {CliAction::Restore,
         3,
         2,
         1,
         0,
         {L"x.qtc", L"y, z"},
         3,
         L"restored 2 of 3 items; 1 failed; 2 ids matched no item"},
        {CliAction::Delete,
         0,
         0,
         0,
         0,
         {L"x.qtc"},
         4,
         L"no item matched the selection; 1 id matched no item"},
    };
    for (const Case& c : cases) {
        RunSummary summary;
        summary.action = c.action;
        summary.matched = c.matched;
        summary.succeeded = c.succeeded;
        summary.failed = c.failed;
        summary.skipped = c.skipped;
        summary.unmatchedIds = c.unmatched;
        summary.exitCode = c.exitCode;
        EXPECT_EQ(SummaryLine(summary), c.line);
        const std::string text = FormatOutcomes(OutputFormat::Text, L"C:\\Q\\", {}, summary);
        EXPECT_EQ(text, Utf8(c.line) + "\r\n");
        const std::string csv = FormatOutcomes(OutputFormat::Csv, L"C:\\Q\\", {}, summary);
        const std::string header = "id,result,reason,path,sha256\r\n";
        EXPECT_EQ(csv, c.unmatched.empty() ? header : header + Utf8(c.line) + ",,,,\r\n");
        const nlohmann::json json =
            nlohmann::json::parse(FormatOutcomes(OutputFormat::Json, L"C:\\Q\\", {}, summary));
        EXPECT_EQ(json["summary"]["unmatched"], c.unmatched.size());
        std::vector<std::string> ids;
        for (const std::wstring& id : c.unmatched) ids.push_back(Utf8(id));
        EXPECT_EQ(json["summary"]["unmatchedIds"].get<std::vector<std::string>>(), ids);
    }
    const QuarantineItem one = Item(L"a.qtc", L"W32.Worm", L"C:\\x\\a.txt");
    RunSummary partly;
    partly.matched = partly.succeeded = 1;
    partly.unmatchedIds = {L"b.qtc"};
    EXPECT_EQ(FormatListing(OutputFormat::Csv, L"C:\\Q\\", {&one}, partly),
              "id,virus,fileName,folder,formerPath,time,fileObjects,otherObjects\r\n"
              "a.qtc,W32.Worm,a.txt,C:\\x,C:\\x\\a.txt,2024-03-01T09:00:00+01:00,1,2\r\n"
              "listed 1 item; 1 id matched no item,,,,,,,\r\n");
    ItemOutcome restored{L"a.qtc", L"restored", L"", L"C:\\Out\\a.txt", L"ab12"};
    ItemOutcome failed{L"bb.qtc", L"failed", L"The target file could not be opened.", L"", L""};
    RunSummary summary;
    summary.action = CliAction::Restore;
    summary.matched = 2;
    summary.succeeded = summary.failed = 1;
    EXPECT_EQ(FormatOutcomes(OutputFormat::Text, L"C:\\Q\\", {restored, failed}, summary),
              "Id      Result    File or reason\r\n"
              "a.qtc   restored  C:\\Out\\a.txt\r\n"
              "bb.qtc  failed    The target file could not be opened.\r\n"
              "restored 1 of 2 items; 1 failed\r\n");
}

// A console gives East Asian wide characters and emoji two cells and
// combining marks none, so the table pads by cells, not by UTF-16 units.
TEST(CliReport, TheTextTablePadsByTheCellsAConsoleShows) {
    struct Case {
        std::wstring text;
        size_t cells;
    } const cases[] = {
        {L"", 0},
        {L"abc", 3},
        {L"Gr\u00fc\u00dfe", 5},
        {L"\u6587\u4ef6", 4},                          // CJK ideographs
        {L"\uac00\ud7a3", 4},                          // Hangul syllables
        {L"\uff21\uff22", 4},                          // fullwidth Latin
        {L"\uff71", 1},                                // halfwidth katakana
        {L"\u3000", 2},                                // ideographic space
        {L"e\u0301", 1},                               // e and a combining acute
        {L"\u0928\u092e\u0938\u094d\u0924\u0947", 4},  // Devanagari with a virama and a vowel sign
        {L"a\u200db", 2},                              // zero-width joiner
        {L"\U0001F600", 2},                            // emoji: a surrogate pair, one character
        {L"\U0001F44D\U0001F3FD", 2},                  // with a skin tone
        {L"\u2764\ufe0f", 1},                          // text-default symbol with a selector
        {L"\U00020000", 2},                            // CJK extension B
        {L"\U0001D400", 1},                            // mathematical bold A
        {std::wstring(1, wchar_t(0xD83D)) + L"x",
         2},  // an unpaired surrogate shows as one character
        {std::wstring(1, wchar_t(0xDE00)), 1},
    };
    for (const Case& c : cases) EXPECT_EQ(ConsoleCells(c.text), c.cells) << c.text;

    const QuarantineItem wide = Item(L"\u6587.qtc", L"\U0001F600 Trojan", L"C:\\x\\a.txt");
    const QuarantineItem narrow = Item(L"ab.qtc", L"W32.Worm", L"C:\\x\\b.txt");
    RunSummary summary;
    summary.matched = summary.succeeded = 2;
    EXPECT_EQ(FormatListing(OutputFormat::Text, L"C:\\Q\\", {&wide, &narrow}, summary),
              Utf8(L"Id      Virus      Time                       Former path\r\n"
                   L"\u6587.qtc  \U0001F600 Trojan  2024-03-01T09:00:00+01:00  C:\\x\\a.txt\r\n"
                   L"ab.qtc  W32.Worm   2024-03-01T09:00:00+01:00  C:\\x\\b.txt\r\n"
                   L"listed 2 items\r\n"));
}

// Lost output is a failure the run reports; a reader that went away early, as
// a pager does, is not.
TEST(StandardStreams, AClosedHandleLosesTheReportAReaderThatLeftDoesNot) {
    const HANDLE previous = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(::CreatePipe(&reader, &writer, nullptr, 0));
    ::CloseHandle(reader);
    ::SetStdHandle(STD_OUTPUT_HANDLE, writer);
    const bool readerLeft = StandardStreams().out("report\r\n");
    ::CloseHandle(writer);
    // The handle's value now names nothing.
    const bool closed = StandardStreams().out("report\r\n");
    ::SetStdHandle(STD_OUTPUT_HANDLE, previous);
    EXPECT_TRUE(readerLeft);
    EXPECT_FALSE(closed);
}

TEST(StandardStreams, AConsolePieceNeverEndsInsideASurrogatePair) {
    // U+1F9A0, as an emoji in a virus name is written.
    const std::wstring pair = L"\xD83E\xDDA0";
    const struct {
        std::wstring text;
        size_t at, most, expected;
    } rows[] = {
        {L"abcd", 0, 8, 4},
        {L"abcd", 1, 2, 2},
        {L"abcd", 4, 2, 0},
        {L"a" + pair + L"b", 0, 2, 1},  // the pair waits for the next piece
        {L"a" + pair + L"b", 1, 2, 2},
        {L"a" + pair + L"b", 0, 3, 3},
        {pair + L"b", 0, 1, 1},         // a piece of one unit cannot hold the pair whole
        {L"ab\xD83E", 0, 3, 3},         // a lone high surrogate at the end is written as it is
    };
    for (const auto& row : rows)
        EXPECT_EQ(ConsolePieceLength(row.text, row.at, row.most), row.expected)
            << row.at << "/" << row.most;
}
