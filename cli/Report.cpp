#include "cli/Report.h"

#include <windows.h>

#include <algorithm>

#include "cli/ConsoleWidth.h"
#include "cli/JsonWriter.h"
#include "restore/ExitCodes.h"

namespace {

const wchar_t* ActionName(CliAction action) {
    switch (action) {
        case CliAction::Restore:
        case CliAction::LegacyRestore:
            return L"restore";
        case CliAction::Delete:
            return L"delete";
        default:
            return L"list";
    }
}

std::string CsvField(const std::wstring& text) {
    const std::string bytes = Utf8(text);
    if (bytes.find_first_of(",\"\r\n") == std::string::npos) return bytes;
    std::string quoted = "\"";
    for (const char c : bytes) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvRow(const std::vector<std::wstring>& fields) {
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i) row += (i ? "," : "") + CsvField(fields[i]);
    return row + "\r\n";
}

// Where ids named no item, the CSV's last row: the summary line, in a row as
// wide as the others so that every reader takes it.
std::string CsvSummaryRow(const RunSummary& summary, size_t columns) {
    if (summary.unmatchedIds.empty()) return std::string();
    std::vector<std::wstring> row(columns);
    row[0] = SummaryLine(summary);
    return CsvRow(row);
}

// Columns padded to their widest cell as a console shows it, two blanks
// apart; line ends as the platform's own text files have them.
std::string TextTable(const std::vector<std::vector<std::wstring>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], ConsoleCells(row[c]));
    }
    std::wstring text;
    for (const auto& row : rows) {
        std::wstring line;
        for (size_t c = 0; c < row.size(); ++c) {
            // A reason of several lines stays on its record's line.
            std::wstring cell = row[c];
            std::replace(cell.begin(), cell.end(), L'\n', L' ');
            line += cell;
            if (c + 1 < row.size())
                line += std::wstring(widths[c] - ConsoleCells(row[c]) + 2, L' ');
        }
        while (!line.empty() && line.back() == L' ') line.pop_back();
        text += line + L"\r\n";
    }
    return Utf8(text);
}

long long Count(size_t count) { return static_cast<long long>(count); }

void WriteSummary(CJsonWriter& json, const RunSummary& summary) {
    json.BeginObject();
    json.Member("text", SummaryLine(summary));
    json.Member("matched", Count(summary.matched));
    const char* done = summary.action == CliAction::Delete ? "deleted"
                       : summary.action == CliAction::List ? "listed"
                                                           : "restored";
    json.Member(done, Count(summary.succeeded));
    if (summary.action != CliAction::List) {
        json.Member("failed", Count(summary.failed));
        json.Member("skipped", Count(summary.skipped));
        json.Member("auditFailed", Count(summary.auditFailed));
    }
    json.Member("unmatched", Count(summary.unmatchedIds.size()));
    json.Name("unmatchedIds");
    json.BeginArray();
    for (const std::wstring& id : summary.unmatchedIds) json.String(id);
    json.EndArray();
    json.Member("exitCode", summary.exitCode);
    if (!summary.error.empty()) json.Member("error", summary.error);
    json.EndObject();
}

// The report as one JSON object: the action, the folder, one record per
// element (written by writeRecord) and the summary.
template <typename Records, typename WriteRecord>
std::string JsonDocument(const RunSummary& summary, const std::wstring& folder,
                         const Records& records, size_t bytesPerRecord,
                         const WriteRecord& writeRecord) {
    std::string text;
    text.reserve(512 + records.size() * bytesPerRecord);
    CJsonWriter json(&text);
    json.BeginObject();
    json.Member("action", ActionName(summary.action));
    json.Member("folder", folder);
    json.Name("items");
    json.BeginArray();
    for (const auto& record : records) {
        json.BeginObject();
        writeRecord(json, record);
        json.EndObject();
    }
    json.EndArray();
    json.Name("summary");
    WriteSummary(json, summary);
    json.EndObject();
    text += "\r\n";
    return text;
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                          nullptr, nullptr);
    return bytes;
}

std::wstring SummaryLine(const RunSummary& summary) {
    if (!summary.error.empty()) return L"failed: " + summary.error;
    const size_t unmatched = summary.unmatchedIds.size();
    const std::wstring unmet = unmatched == 0
                                   ? std::wstring()
                                   : L"; " + std::to_wstring(unmatched) +
                                         (unmatched == 1 ? L" id" : L" ids") + L" matched no item";
    if (summary.exitCode == kCommandLineNothingMatched)
        return L"no item matched the selection" + unmet;
    const std::wstring n = std::to_wstring(summary.matched);
    const auto items = [](size_t count) { return count == 1 ? L" item" : L" items"; };
    if (summary.action == CliAction::List) return L"listed " + n + items(summary.matched) + unmet;
    std::wstring line = (summary.action == CliAction::Delete ? L"deleted " : L"restored ") +
                        std::to_wstring(summary.succeeded) + L" of " + n + items(summary.matched);
    if (summary.failed != 0) line += L"; " + std::to_wstring(summary.failed) + L" failed";
    if (summary.skipped != 0) line += L"; " + std::to_wstring(summary.skipped) + L" skipped";
    line += unmet;
    if (summary.auditFailed != 0)
        line += L"; " + std::to_wstring(summary.auditFailed) +
                (summary.auditFailed == 1 ? L" audit entry" : L" audit entries") + L" not written";
    return line;
}

std::string FormatListing(OutputFormat format, const std::wstring& folder,
                          const std::vector<const QuarantineItem*>& items,
                          const RunSummary& summary) {
    if (format == OutputFormat::Json) {
        return JsonDocument(summary, folder, items, 480, [](CJsonWriter& json, const QuarantineItem* item) {
            json.Member("id", item->id);
            json.Member("virus", item->virus);
            json.Member("fileName", item->fileName);
            json.Member("folder", item->folder);
            json.Member("formerPath", item->formerPath);
            json.Name("formerPaths");
            json.BeginArray();
            for (const std::wstring& path : item->formerPaths) json.String(path);
            json.EndArray();
            json.Member("time", item->time);
            json.Member("fileObjects", item->fileObjects);
            json.Member("otherObjects", item->otherObjects);
        });
    }
    if (format == OutputFormat::Csv) {
        std::string csv = CsvRow({L"id", L"virus", L"fileName", L"folder", L"formerPath", L"time",
                                  L"fileObjects", L"otherObjects"});
        for (const QuarantineItem* item : items)
            csv += CsvRow({item->id, item->virus, item->fileName, item->folder, item->formerPath,
                           item->time, std::to_wstring(item->fileObjects),
                           std::to_wstring(item->otherObjects)});
        return csv + CsvSummaryRow(summary, 8);
    }
    std::vector<std::vector<std::wstring>> rows;
    if (!items.empty()) rows.push_back({L"Id", L"Virus", L"Time", L"Former path"});
    for (const QuarantineItem* item : items)
        rows.push_back({item->id, item->virus, item->time, item->formerPath});
    return TextTable(rows) + Utf8(SummaryLine(summary)) + "\r\n";
}

std::string FormatOutcomes(OutputFormat format, const std::wstring& folder,
                           const std::vector<ItemOutcome>& outcomes, const RunSummary& summary) {
    if (format == OutputFormat::Json) {
        return JsonDocument(summary, folder, outcomes, 300, [](CJsonWriter& json, const ItemOutcome& outcome) {
            json.Member("id", outcome.id);
            json.Member("result", outcome.result);
            json.Member("reason", outcome.reason);
            json.Member("path", outcome.path);
            json.Member("sha256", outcome.sha256);
        });
    }
    if (format == OutputFormat::Csv) {
        std::string csv = CsvRow({L"id", L"result", L"reason", L"path", L"sha256"});
        for (const ItemOutcome& outcome : outcomes)
            csv += CsvRow({outcome.id, outcome.result, outcome.reason, outcome.path, outcome.sha256});
        return csv + CsvSummaryRow(summary, 5);
    }
    std::vector<std::vector<std::wstring>> rows;
    if (!outcomes.empty()) rows.push_back({L"Id", L"Result", L"File or reason"});
    for (const ItemOutcome& outcome : outcomes)
        rows.push_back({outcome.id, outcome.result,
                        outcome.reason.empty() ? outcome.path : outcome.reason});
    return TextTable(rows) + Utf8(SummaryLine(summary)) + "\r\n";
}
