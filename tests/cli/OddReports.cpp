// Writes a listing and a restore's outcomes made of odd strings, as CSV and
// as JSON, with the program's own writers, into the current folder; and,
// beside them, the UTF-8 the program makes of each string, in hex, so that
// check_odd_reports.py can read the reports with Python's csv and json
// modules and compare every field without trusting either format.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Report.h"

namespace {

// What has broken writers of these formats before, or will confuse a reader:
// delimiters, line ends, control characters, text that is not valid UTF-16,
// a direction override, and cells a spreadsheet reads as formulas.
const std::vector<std::wstring>& OddStrings() {
    static const std::vector<std::wstring> strings = {
        L"",
        L"plain",
        L"\"",
        L"\"quoted\"",
        L"say \"\"twice\"\"",
        L",",
        L"a,b,,c",
        L"line\r\nbreak",
        L"\r",
        L"\n",
        L"bare\rcr and bare\nlf",
        L"\r\n\r\n",
        L"\t",
        L"tab\tinside",
        L" leading and trailing blanks ",
        L"control \x0001\x0002\x001b[31m\x007f\x0085",
        std::wstring(L"nul\0inside", 10),
        L"lone high \xd800 surrogate",
        L"lone low \xdc00 surrogate",
        L"\xdc00\xd800 reversed pair",
        L"pair \xd83d\xde00 ok",
        L"\u202efdp.exe",
        L"\ufeffbyte-order mark first",
        L"\x2028\x2029 separators",
        L"\x00e4\x00f6\x00fc \x00df \x4e2d\x6587 \x0416",
        L"=1+1",
        L"=HYPERLINK(\"http://example.invalid\",\"click\")",
        L"+41 44 000 00 00",
        L"-2+3",
        L"@SUM(A1:A2)",
        L"\t=1+1",
        L"\r=1+1",
        L"C:\\Quarantine\\20240301-080000-de203831.qtc",
        L"\\\\?\\C:\\very\\long",
        L"{\"json\": [1, 2]}",
        L"\\u0000 \\\" \\n",
    };
    return strings;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 0x0f];
    }
    return hex;
}

bool WriteBytes(const wchar_t* name, const std::string& bytes) {
    FILE* file = _wfopen(name, L"wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int wmain() {
    const std::wstring folder = L"C:\\Odd \"folder\",\r\n\xd800\x202e";
    std::vector<QuarantineItem> items;
    std::vector<ItemOutcome> outcomes;
    std::string expected = "folder\t" + Hex(Utf8(folder)) + "\n";
    int n = 0;
    for (const std::wstring& odd : OddStrings()) {
        QuarantineItem item;
        item.id = item.virus = item.fileName = item.folder = item.formerPath = item.time = odd;
        item.formerPaths = {odd, odd};
        item.fileObjects = n;
        item.otherObjects = -n;
        items.push_back(item);
        ItemOutcome outcome;
        outcome.id = outcome.result = outcome.reason = outcome.path = outcome.sha256 = odd;
        outcomes.push_back(outcome);
        expected += Hex(Utf8(odd)) + "\t" + std::to_string(n) + "\t" + std::to_string(-n) + "\n";
        ++n;
    }
    std::vector<const QuarantineItem*> listed;
    for (const QuarantineItem& item : items) listed.push_back(&item);
    RunSummary summary;
    summary.action = CliAction::List;
    summary.matched = summary.succeeded = items.size();

    bool written = WriteBytes(L"expected.txt", expected);
    for (const OutputFormat format : {OutputFormat::Csv, OutputFormat::Json}) {
        const std::wstring extension = format == OutputFormat::Csv ? L".csv" : L".json";
        written = WriteBytes((L"listing" + extension).c_str(),
                             FormatListing(format, folder, listed, summary)) &&
                  written;
        summary.action = CliAction::Restore;
        written = WriteBytes((L"outcomes" + extension).c_str(),
                             FormatOutcomes(format, folder, outcomes, summary)) &&
                  written;
        summary.action = CliAction::List;
    }
    return written ? 0 : 1;
}
