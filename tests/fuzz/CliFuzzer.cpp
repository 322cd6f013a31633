// libFuzzer entry for the command line's parse and its three report writers;
// built natively by tools/fuzz with tests/fuzz/native ahead on the include
// path, not by the Windows build. Each input is decoded into a command line
// and into the records of a listing and of a restore. Nothing may crash; a
// command the parse accepts keeps its meaning when written out again and
// parsed a second time; and every record set written as CSV and as JSON reads
// back, field for field, as the UTF-8 of the text the writer was given.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/CliCommand.h"
#include "cli/CommandLine.h"
#include "cli/Report.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "cli fuzzer: %s\n", what);
    std::abort();
}

void Check(bool holds, const char* what) {
    if (!holds) Fail(what);
}

// Text a single input byte can stand for: the switches and their values, and
// what CSV, JSON and a console treat specially. Units are UTF-16 code units,
// one per wchar_t (see native/windows.h).
const wchar_t* const kPieces[] = {L"/S=\"",
                                  L"/D=\"",
                                  L"/L",
                                  L"/X",
                                  L"/?",
                                  L"/F=",
                                  L"/I=",
                                  L"/V=",
                                  L"/After=",
                                  L"/Before=",
                                  L"/s=",
                                  L"/d=",
                                  L"/f=JSON",
                                  L"/l",
                                  L"csv",
                                  L"json",
                                  L"text",
                                  L"2024-02-29",
                                  L"2023-02-29",
                                  L"1601-01-01",
                                  L"1600-12-31",
                                  L"9999-12-31",
                                  L"\"",
                                  L"\"\"",
                                  L" ",
                                  L"\t",
                                  L"\r\n",
                                  L"\r",
                                  L"\n",
                                  L",",
                                  L"=",
                                  L"*",
                                  L"?",
                                  L"\\",
                                  L"C:\\Q",
                                  L"\\\\?\\C:\\",
                                  L"\x00e4",
                                  L"\x202e",
                                  L"\xfeff",
                                  L"\xfffd",
                                  L"\xd800",
                                  L"\xdc00",
                                  L"\xd83d\xde00",
                                  L"\xdbff\xdfff",
                                  L"\x0001",
                                  L"\x001b[31m",
                                  L"\x007f",
                                  L"\x0085",
                                  L"\x2028",
                                  L"=HYPERLINK(\"x\")",
                                  L"+1",
                                  L"-1",
                                  L"@A1",
                                  L"\\u0000",
                                  L"\\\"",
                                  L"}",
                                  L"]",
                                  L"{\"a\":"};
const size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

// A byte below 0x80 is that character (NUL included), the next 64 pick a
// piece, and a byte from 0xc0 up takes the two bytes after it as one code
// unit, so that every unit, lone surrogates included, can occur.
std::wstring Text(FuzzedDataProvider& in, size_t maxBytes) {
    const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
    std::wstring text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text += static_cast<wchar_t>(b);
        } else if (b < 0xc0) {
            if (b - 0x80u < kPieceCount) text += kPieces[b - 0x80];
        } else if (i + 2 < bytes.size()) {
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                         static_cast<unsigned char>(bytes[i + 2]));
            i += 2;
        }
    }
    return text;
}

bool IsUtf8(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        size_t n = 0;
        uint32_t c = 0, least = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xe0) == 0xc0) {
            n = 1, c = b & 0x1f, least = 0x80;
        } else if ((b & 0xf0) == 0xe0) {
            n = 2, c = b & 0x0f, least = 0x800;
        } else if ((b & 0xf8) == 0xf0) {
            n = 3, c = b & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + n >= bytes.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            const unsigned char t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xc0) != 0x80) return false;
            c = c << 6 | (t & 0x3f);
        }
        if (c < least || c > 0x10ffff || (c >= 0xd800 && c < 0xe000)) return false;
        i += n + 1;
    }
    return true;
}

// RFC 4180, strictly: every record ends with CRLF, a field is either quoted
// (quotes inside doubled) or free of quotes, CR and LF, and nothing follows a
// closing quote but a comma or the line end.
bool ReadCsv(const std::string& text, std::vector<std::vector<std::string>>& records) {
    records.clear();
    size_t at = 0;
    while (at < text.size()) {
        std::vector<std::string> record;
        for (;;) {
            std::string field;
            if (at < text.size() && text[at] == '"') {
                for (++at;; ++at) {
                    if (at >= text.size()) return false;
                    if (text[at] != '"') {
                        field += text[at];
                    } else if (at + 1 < text.size() && text[at + 1] == '"') {
                        field += '"';
                        ++at;
                    } else {
                        ++at;
                        break;
                    }
                }
            } else {
                for (; at < text.size() && text[at] != ',' && text[at] != '\r'; ++at) {
                    if (text[at] == '"' || text[at] == '\n') return false;
                    field += text[at];
                }
            }
            record.push_back(field);
            if (at < text.size() && text[at] == ',') {
                ++at;
                continue;
            }
            if (text.compare(at, 2, "\r\n") != 0) return false;
            at += 2;
            break;
        }
        records.push_back(record);
    }
    return true;
}

void CheckCsv(const std::string& csv, const std::vector<std::vector<std::string>>& expected) {
    Check(IsUtf8(csv), "CSV is not UTF-8");
    std::vector<std::vector<std::string>> records;
    Check(ReadCsv(csv, records), "CSV is not RFC 4180");
    Check(records == expected, "CSV does not read back as written");
}

// The JSON's records against the fields given, keys and order included.
void CheckJsonRecords(
    const nlohmann::ordered_json& items,
    const std::vector<std::vector<std::pair<std::string, nlohmann::ordered_json>>>& expected) {
    Check(items.is_array() && items.size() == expected.size(), "JSON items differ in number");
    for (size_t i = 0; i < expected.size(); ++i) {
        const nlohmann::ordered_json& record = items[i];
        Check(record.is_object() && record.size() == expected[i].size(), "JSON record differs");
        size_t k = 0;
        for (auto field = record.begin(); field != record.end(); ++field, ++k) {
            Check(field.key() == expected[i][k].first, "JSON record's keys differ");
            Check(field.value() == expected[i][k].second, "JSON field does not read back");
        }
    }
}

// The document's items, once its frame and summary have read back.
nlohmann::ordered_json JsonItems(const std::string& text, const std::wstring& folder,
                                 const RunSummary& summary) {
    Check(IsUtf8(text), "JSON is not UTF-8");
    Check(text.compare(0, 3, "\xef\xbb\xbf") != 0, "JSON starts with a byte-order mark");
    try {
        const nlohmann::ordered_json document = nlohmann::ordered_json::parse(text);
        Check(document.is_object() && document.size() == 4, "JSON document has other members");
        Check(document.at("folder") == Utf8(folder), "JSON folder does not read back");
        const nlohmann::ordered_json& tail = document.at("summary");
        Check(tail.at("text") == Utf8(SummaryLine(summary)) &&
                  tail.at("matched") == summary.matched && tail.at("exitCode") == summary.exitCode,
              "JSON summary does not read back");
        Check(summary.error.empty() ? !tail.contains("error")
                                    : tail.at("error") == Utf8(summary.error),
              "JSON summary's error does not read back");
        return document.at("items");
    } catch (const nlohmann::json::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fail("JSON does not parse, or lacks a member");
    }
}

void CheckText(const std::string& text, const RunSummary& summary) {
    Check(IsUtf8(text), "text report is not UTF-8");
    const std::string last = Utf8(SummaryLine(summary)) + "\r\n";
    Check(text.size() >= last.size() &&
              text.compare(text.size() - last.size(), last.size(), last) == 0,
          "text report does not end with its summary line");
}

nlohmann::ordered_json FormerPathsJson(const QuarantineItem& item) {
    nlohmann::ordered_json paths = nlohmann::ordered_json::array();
    for (const std::wstring& path : item.formerPaths) paths.push_back(Utf8(path));
    return paths;
}

void CheckReports(FuzzedDataProvider& in) {
    static const CliAction kActions[] = {
        CliAction::List,   CliAction::Restore, CliAction::Delete, CliAction::LegacyRestore,
        CliAction::Dialog, CliAction::Usage,   CliAction::Invalid};
    RunSummary summary;
    summary.action = kActions[in.ConsumeIntegralInRange<size_t>(0, 6)];
    summary.matched = in.ConsumeIntegral<size_t>();
    summary.succeeded = in.ConsumeIntegral<size_t>();
    summary.failed = in.ConsumeIntegral<size_t>();
    summary.skipped = in.ConsumeIntegral<size_t>();
    summary.auditFailed = in.ConsumeIntegral<size_t>();
    summary.exitCode = in.ConsumeIntegral<int>();
    if (in.ConsumeBool()) summary.error = Text(in, 40);
    const std::wstring folder = Text(in, 60);

    std::vector<QuarantineItem> items(in.ConsumeIntegralInRange<size_t>(0, 5));
    for (QuarantineItem& item : items) {
        for (std::wstring* field :
             {&item.id, &item.virus, &item.fileName, &item.folder, &item.formerPath, &item.time})
            *field = Text(in, 48);
        item.formerPaths.resize(in.ConsumeIntegralInRange<size_t>(0, 3));
        for (std::wstring& path : item.formerPaths) path = Text(in, 48);
        item.fileObjects = in.ConsumeIntegral<int>();
        item.otherObjects = in.ConsumeIntegral<int>();
    }
    std::vector<ItemOutcome> outcomes(in.ConsumeIntegralInRange<size_t>(0, 5));
    for (ItemOutcome& outcome : outcomes)
        for (std::wstring* field :
             {&outcome.id, &outcome.result, &outcome.reason, &outcome.path, &outcome.sha256})
            *field = Text(in, 48);

    std::vector<const QuarantineItem*> listed;
    std::vector<std::vector<std::string>> listingCsv = {
        {"id", "virus", "fileName", "folder", "formerPath", "time", "fileObjects", "otherObjects"}};
    std::vector<std::vector<std::pair<std::string, nlohmann::ordered_json>>> listingJson;
    for (const QuarantineItem& item : items) {
        listed.push_back(&item);
        listingCsv.push_back({Utf8(item.id), Utf8(item.virus), Utf8(item.fileName),
                              Utf8(item.folder), Utf8(item.formerPath), Utf8(item.time),
                              std::to_string(item.fileObjects), std::to_string(item.otherObjects)});
        listingJson.push_back({{"id", Utf8(item.id)},
                               {"virus", Utf8(item.virus)},
                               {"fileName", Utf8(item.fileName)},
                               {"folder", Utf8(item.folder)},
                               {"formerPath", Utf8(item.formerPath)},
                               {"formerPaths", FormerPathsJson(item)},
                               {"time", Utf8(item.time)},
                               {"fileObjects", item.fileObjects},
                               {"otherObjects", item.otherObjects}});
    }
    std::vector<std::vector<std::string>> outcomeCsv = {
        {"id", "result", "reason", "path", "sha256"}};
    std::vector<std::vector<std::pair<std::string, nlohmann::ordered_json>>> outcomeJson;
    for (const ItemOutcome& o : outcomes) {
        outcomeCsv.push_back(
            {Utf8(o.id), Utf8(o.result), Utf8(o.reason), Utf8(o.path), Utf8(o.sha256)});
        outcomeJson.push_back({{"id", Utf8(o.id)},
                               {"result", Utf8(o.result)},
                               {"reason", Utf8(o.reason)},
                               {"path", Utf8(o.path)},
                               {"sha256", Utf8(o.sha256)}});
    }

    CheckCsv(FormatListing(OutputFormat::Csv, folder, listed, summary), listingCsv);
    CheckCsv(FormatOutcomes(OutputFormat::Csv, folder, outcomes, summary), outcomeCsv);
    CheckJsonRecords(
        JsonItems(FormatListing(OutputFormat::Json, folder, listed, summary), folder, summary),
        listingJson);
    CheckJsonRecords(
        JsonItems(FormatOutcomes(OutputFormat::Json, folder, outcomes, summary), folder, summary),
        outcomeJson);
    CheckText(FormatListing(OutputFormat::Text, folder, listed, summary), summary);
    CheckText(FormatOutcomes(OutputFormat::Text, folder, outcomes, summary), summary);
}

std::wstring IsoDate(int date) {
    std::wstring text = std::to_wstring(date / 10000);
    while (text.size() < 4) text.insert(0, 1, L'0');
    for (const int part : {date / 100 % 100, date % 100})
        text += (part < 10 ? L"-0" : L"-") + std::to_wstring(part);
    return text;
}

// The command written out in the newer form, each value quoted: a value
// never holds a quote, since quotes only delimit.
std::wstring Rendered(const CliCommand& command) {
    std::wstring line = command.action == CliAction::List     ? L"/L"
                        : command.action == CliAction::Delete ? L"/X"
                                                              : L"";
    const auto add = [&line](const std::wstring& name, const std::wstring& value) {
        line += (line.empty() ? L"/" : L" /") + name + L"=\"" + value + L"\"";
    };
    if (!command.source.empty()) add(L"S", command.source);
    if (!command.destination.empty()) add(L"D", command.destination);
    add(L"F", command.format == OutputFormat::Csv    ? L"csv"
              : command.format == OutputFormat::Json ? L"json"
                                                     : L"text");
    std::wstring ids;
    for (const std::wstring& id : command.selection.idPatterns)
        ids += (ids.empty() ? L"" : L",") + id;
    if (!ids.empty()) add(L"I", ids);
    if (!command.selection.virusPattern.empty()) add(L"V", command.selection.virusPattern);
    if (command.selection.after != 0) add(L"After", IsoDate(command.selection.after));
    if (command.selection.before != 0) add(L"Before", IsoDate(command.selection.before));
    return line;
}

void CheckParse(const std::wstring& line) {
    const CliCommand command = ParseCliCommand(line);
    Check((command.action == CliAction::Invalid) == !command.error.empty(),
          "an error without Invalid, or Invalid without an error");
    for (const int date : {command.selection.after, command.selection.before})
        Check(date == 0 || ParseIsoDate(IsoDate(date)) == date, "a date that does not exist");
    for (const std::wstring& id : command.selection.idPatterns)
        Check(!id.empty() && id.find(L',') == std::wstring::npos, "an empty or unsplit id");
    switch (command.action) {
        case CliAction::LegacyRestore: {
            const CommandLineValues values = ParseCommandLine(line);
            Check(!command.source.empty() && command.source == values.source &&
                      !command.destination.empty() && command.destination == values.destination,
                  "the older form reads other values than it always did");
            return;
        }
        case CliAction::Restore:
            Check(!command.source.empty() && !command.destination.empty(),
                  "a restore without a source or a destination");
            break;
        case CliAction::Delete:
            Check(!command.selection.Empty(), "a delete without a selection");
            break;
        case CliAction::List:
            break;
        default:
            return;
    }
    const CliCommand again = ParseCliCommand(Rendered(command));
    Check(again.action == command.action && again.source == command.source &&
              again.destination == command.destination && again.format == command.format &&
              again.selection.idPatterns == command.selection.idPatterns &&
              again.selection.virusPattern == command.selection.virusPattern &&
              again.selection.after == command.selection.after &&
              again.selection.before == command.selection.before,
          "a command written out again parses to another");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    CheckParse(Text(in, 600));
    CheckReports(in);
    return 0;
}
