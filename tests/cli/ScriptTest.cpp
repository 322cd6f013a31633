#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "audit/AuditTrail.h"
#include "cli/CliRun.h"
#include "cli/Report.h"
#include "framework/LongPaths.h"
#include "quarantine/ZEBQtWrapper.h"
#include "restore/CommandLineRestore.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/common/PolicySandbox.h"

// The program as an administrator's script uses it: through cmd, by its bare
// name (which finds Quarantine.com), with its report captured by redirection
// and a pipe, against a real store made by the stand-in library's tool.
namespace {

const wchar_t kUmlautCjk[] = L"Gr\u00fc\u00dfe \u6587\u4ef6.txt";
const char kUmlautCjkUtf8[] =
    "Gr\xc3\xbc\xc3\x9f"
    "e \xe6\x96\x87\xe4\xbb\xb6.txt";
// The SHA-256 of that file's bytes, "gr\u00fc\u00dfe\r\n" in UTF-8.
const char kUmlautCjkSha256[] = "1b417c2312c93096d77fcfa7e19287254df9b514e28c475bac2aa7575e1f49d2";
// The same of "long way\r\n".
const char kLongWaySha256[] = "93c47b086c08e3c7b8bd3cb143efc320eeca8ae458e0e088af40cf6c624c1711";

class Scripts : public testing::Test {
protected:
    void SetUp() override {
        m_scratch = ScratchForThisTest();
        m_app = m_scratch + L"\\app";
        m_quarantine = m_scratch + L"\\quarantine";
        const std::wstring originals = m_scratch + L"\\originals";
        for (const std::wstring& folder : {m_app, m_quarantine, originals})
            ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        StageProgram(m_app, TestBinDir() + L"\\standin");
        ASSERT_TRUE(::CopyFileW((TestBinDir() + L"\\Quarantine.com").c_str(),
                                (m_app + L"\\Quarantine.com").c_str(), FALSE));
        m_umlautId = Quarantine(originals + L"\\" + kUmlautCjk,
                                "gr\xc3\xbc\xc3\x9f"
                                "e\r\n",
                                L"Trojan.Agent");
        m_plainId = Quarantine(originals + L"\\b.txt", "bravo", L"W32.Worm");
        ASSERT_FALSE(m_umlautId.empty());
        ASSERT_FALSE(m_plainId.empty());
    }
    void TearDown() override { RemoveTree(m_scratch); }

    // Quarantines one file; answers the new quarantine file's name.
    std::wstring Quarantine(const std::wstring& path, const std::string& bytes,
                            const std::wstring& virus) {
        const std::vector<std::wstring> before = FilesIn(m_quarantine, L"*.qtc");
        if (!WriteFileBytes(path, bytes)) return std::wstring();
        const ProgramRun tool =
            RunProgram(TestBinDir() + L"\\standin\\ZEBQtTool.exe",
                       L"add \"" + m_quarantine + L"\" \"" + path + L"\" " + virus);
        if (!tool.finished || tool.exitCode != 0) return std::wstring();
        for (const std::wstring& name : FilesIn(m_quarantine, L"*.qtc"))
            if (std::find(before.begin(), before.end(), name) == before.end()) return name;
        return std::wstring();
    }

    // Runs the lines as a batch file through cmd in the program's folder;
    // after each line its exit code goes to codes.txt, one a line.
    std::vector<int> RunBatch(const std::vector<std::wstring>& lines) {
        std::wstring batch = L"@echo off\r\ncd /d \"" + m_app + L"\"\r\ndel codes.txt 2>nul\r\n";
        for (const std::wstring& line : lines)
            batch += line + L"\r\n>>codes.txt echo %errorlevel%\r\n";
        const std::wstring file = m_app + L"\\run.cmd";
        EXPECT_TRUE(WriteFileBytes(file, std::string(batch.begin(), batch.end())));
        const ProgramRun run =
            RunProgram(L"C:\\windows\\system32\\cmd.exe", L"/c \"" + file + L"\"");
        EXPECT_TRUE(run.finished) << "a window or a prompt waits";
        std::vector<int> codes;
        const std::string text = ReadFileBytes(m_app + L"\\codes.txt");
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find('\n', at);
            codes.push_back(std::atoi(text.substr(at, end - at).c_str()));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        return codes;
    }
    // Runs the commands in this process, their output dropped, with the
    // event log's writer replaced by a recorder: each one's exit code, and
    // the entries they wrote.
    std::vector<AuditEntry> RunRecorded(const std::vector<std::wstring>& lines,
                                        std::vector<int>* pCodes) {
        CZEBQtWrapper library;
        EXPECT_TRUE(library.Load(TestBinDir() + L"\\standin"));
        std::vector<AuditEntry> entries;
        SetAuditSinkForTesting([&entries](const AuditEntry& entry) { entries.push_back(entry); });
        CliStreams quiet;
        quiet.out = quiet.err = [](const std::string&) { return true; };
        for (const std::wstring& line : lines)
            pCodes->push_back(RunCliCommand(ParseCliCommand(line), library, quiet));
        SetAuditSinkForTesting(nullptr);
        return entries;
    }
    // Runs "Quarantine <arguments>" once for each, through one batch, the
    // report of number i going to out<i>.txt and its errors to err<i>.txt;
    // each exit code.
    std::vector<int> RunEach(const std::vector<std::wstring>& arguments) {
        std::vector<std::wstring> lines;
        for (size_t i = 0; i < arguments.size(); ++i)
            lines.push_back(L"Quarantine " + arguments[i] + L" > out" + std::to_wstring(i) +
                            L".txt 2> err" + std::to_wstring(i) + L".txt");
        return RunBatch(lines);
    }
    std::string Numbered(const wchar_t* stream, size_t i) const {
        return ReadFileBytes(m_app + L"\\" + stream + std::to_wstring(i) + L".txt");
    }
    std::string Output(const wchar_t* name) const { return ReadFileBytes(m_app + L"\\" + name); }
    std::wstring Source() const { return L" /S=\"" + m_quarantine + L"\""; }

    std::wstring m_scratch, m_app, m_quarantine, m_umlautId, m_plainId;
};

std::wstring Upper(std::wstring text) {
    ::CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string LastLine(const std::string& text) {
    const size_t end = text.find_last_not_of("\r\n");
    const size_t start = text.find_last_of('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace

TEST_F(Scripts, ListInEveryFormatReachesFilesAndPipesWholeWithTheExitCode) {
    const std::vector<int> codes = RunBatch({
        L"Quarantine /L" + Source() + L" > list.txt",
        L"Quarantine /L" + Source() + L" /F=csv > list.csv",
        L"Quarantine /L" + Source() + L" /F=json > list.json",
        L"Quarantine /L" + Source() + L" | find \"listed\" > found.txt",
        L"Quarantine /L" + Source() + L" /I=\"nothing*\" > none.txt",
    });
    EXPECT_EQ(codes, (std::vector<int>{0, 0, 0, 0, kCommandLineNothingMatched}));

    const std::string text = Output(L"list.txt");
    EXPECT_EQ(LastLine(text), "listed 2 items");
    EXPECT_NE(text.find(kUmlautCjkUtf8), std::string::npos);
    EXPECT_NE(Output(L"found.txt").find("listed 2 items"), std::string::npos);
    EXPECT_EQ(LastLine(Output(L"none.txt")), "no item matched the selection");

    const std::string csv = Output(L"list.csv");
    const std::string header =
        "id,virus,fileName,folder,formerPath,time,fileObjects,otherObjects\r\n";
    EXPECT_EQ(csv.compare(0, header.size(), header), 0);
    EXPECT_NE(csv.find("Trojan.Agent," + std::string(kUmlautCjkUtf8) + ","), std::string::npos);

    const nlohmann::json json = nlohmann::json::parse(Output(L"list.json"));
    std::vector<std::string> names;
    for (const auto& item : json["items"]) {
        names.push_back(item["fileName"]);
        EXPECT_EQ(item["fileObjects"], 1);
        EXPECT_EQ(item["otherObjects"], 0);
        EXPECT_FALSE(item["time"].get<std::string>().empty());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{kUmlautCjkUtf8, "b.txt"}));
}

TEST_F(Scripts, RestoreOneItemByIdThenAgainIntoTheSameFolder) {
    const std::wstring out = m_scratch + L"\\out";
    const std::wstring restore =
        L"Quarantine" + Source() + L" /D=\"" + out + L"\" /F=json /I=\"" + m_umlautId + L"\"";
    const std::vector<int> codes =
        RunBatch({restore + L" > first.json", restore + L" > second.json"});
    EXPECT_EQ(codes, (std::vector<int>{0, kCommandLineRestoreFailed}));
    EXPECT_EQ(FilesIn(out), std::vector<std::wstring>{kUmlautCjk});
    EXPECT_EQ(ReadFileBytes(out + L"\\" + kUmlautCjk),
              "gr\xc3\xbc\xc3\x9f"
              "e\r\n");

    const nlohmann::json first = nlohmann::json::parse(Output(L"first.json"));
    ASSERT_EQ(first["items"].size(), 1u);
    EXPECT_EQ(first["items"][0]["result"], "restored");
    EXPECT_EQ(first["items"][0]["path"], Utf8(out + L"\\" + kUmlautCjk));
    EXPECT_EQ(first["items"][0]["sha256"], kUmlautCjkSha256);
    EXPECT_EQ(first["summary"]["text"], "restored 1 of 1 item");
    const nlohmann::json second = nlohmann::json::parse(Output(L"second.json"));
    EXPECT_EQ(second["items"][0]["result"], "failed");
    EXPECT_EQ(
        second["items"][0]["reason"],
        Utf8(L"The target file could not be opened.\nA file named \"" + std::wstring(kUmlautCjk) +
             L"\" is already in this folder; nothing was overwritten:\n" + out));
    EXPECT_EQ(second["summary"]["exitCode"], kCommandLineRestoreFailed);
    EXPECT_EQ(FilesIn(m_quarantine, L"*.qtc").size(), 2u) << "a restore deletes nothing";
}

// A name taken in the destination: the default fails as before, /Conflict=skip
// passes the item over, keep-both keeps the restored file beside the other
// under the next free name, and two keep-both runs at once each get a name of
// their own. Nothing of what was there changes.
TEST_F(Scripts, ATakenNameFailsIsSkippedOrKeptBesideUnderTheNextFreeName) {
    const std::wstring out = m_scratch + L"\\out";
    const std::wstring arguments =
        Source() + L" /D=\"" + out + L"\" /F=json /I=\"" + m_umlautId + L"\"";
    const std::wstring restore = L"Quarantine" + arguments;
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(out + L"\\" + kUmlautCjk, "mine"));
    const std::vector<int> codes =
        RunBatch({restore + L" > fail.json", restore + L" /Conflict=skip > skip.json",
                  restore + L" /Conflict=keep-both > both.json"});
    EXPECT_EQ(codes, (std::vector<int>{kCommandLineRestoreFailed, 0, 0}));

    const std::wstring inTheWay = L"A file named \"" + std::wstring(kUmlautCjk) +
                                  L"\" is already in this folder; nothing was overwritten:\n" + out;
    const nlohmann::json fail = nlohmann::json::parse(Output(L"fail.json"));
    EXPECT_EQ(fail["items"][0]["reason"],
              Utf8(L"The target file could not be opened.\n" + inTheWay));
    const nlohmann::json skip = nlohmann::json::parse(Output(L"skip.json"));
    EXPECT_EQ(skip["items"][0]["result"], "skipped");
    EXPECT_EQ(skip["items"][0]["reason"], Utf8(inTheWay));
    const nlohmann::json both = nlohmann::json::parse(Output(L"both.json"));
    const std::wstring second = L"Gr\u00fc\u00dfe \u6587\u4ef6 (2).txt";
    EXPECT_EQ(both["items"][0]["result"], "restored");
    EXPECT_EQ(both["items"][0]["path"], Utf8(out + L"\\" + second));
    EXPECT_EQ(both["items"][0]["sha256"], kUmlautCjkSha256);

    // Two keep-both runs at once.
    const std::wstring com = m_app + L"\\Quarantine.com";
    CKernelHandle first = StartProgram(com, arguments + L" /Conflict=keep-both");
    CKernelHandle again = StartProgram(com, arguments + L" /Conflict=keep-both");
    ASSERT_TRUE(first && again);
    for (const CKernelHandle* process : {&first, &again}) {
        ASSERT_EQ(::WaitForSingleObject(process->Get(), 60000), WAIT_OBJECT_0);
        DWORD code = 1;
        ::GetExitCodeProcess(process->Get(), &code);
        EXPECT_EQ(code, 0u);
    }
    const std::vector<std::wstring> restored = {second, L"Gr\u00fc\u00dfe \u6587\u4ef6 (3).txt",
                                                L"Gr\u00fc\u00dfe \u6587\u4ef6 (4).txt"};
    std::vector<std::wstring> expected = restored;
    expected.push_back(kUmlautCjk);
    std::vector<std::wstring> entries = FilesIn(out);
    std::sort(entries.begin(), entries.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries, expected);
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(CFindHandle(::FindFirstFileW((out + L"\\~*").c_str(), &data)))
        << "nothing of a restore's own folder is left";
    EXPECT_EQ(ReadFileBytes(out + L"\\" + kUmlautCjk), "mine");
    for (const std::wstring& name : restored)
        EXPECT_EQ(ReadFileBytes(out + L"\\" + name),
                  "gr\xc3\xbc\xc3\x9f"
                  "e\r\n")
            << Utf8(name);
}

TEST_F(Scripts, DeleteTakesOnlyTheSelectedItems) {
    const std::vector<int> codes = RunBatch({
        L"Quarantine /X" + Source() + L" /V=\"w32.*\" > deleted.txt",
        L"Quarantine /X" + Source() + L" /V=\"w32.*\" > again.txt",
    });
    EXPECT_EQ(codes, (std::vector<int>{0, kCommandLineNothingMatched}));
    EXPECT_EQ(LastLine(Output(L"deleted.txt")), "deleted 1 of 1 item");
    EXPECT_EQ(FilesIn(m_quarantine, L"*.qtc"), std::vector<std::wstring>{m_umlautId});
}

TEST_F(Scripts, BadInputEndsWithAMessageAndAnExitCodeAndDoesNothing) {
    const std::wstring aFile = m_app + L"\\ZEBQt.dll";
    const std::wstring noDrive = MissingDrive();
    ASSERT_FALSE(noDrive.empty());
    struct Case {
        std::wstring arguments;
        int code;
    } const cases[] = {
        {L"/L /Q", kCommandLineUsageError},
        {L"/X" + Source(), kCommandLineUsageError},
        {L"/L /After=2023-02-29" + Source(), kCommandLineUsageError},
        {L"/L /S=\"\"", kCommandLineUsageError},
        {L"/L /S=\"" + aFile + L"\"", kCommandLineNoQuarantine},
        {L"/X /S=\"" + aFile + L"\" /I=\"*\"", kCommandLineNoQuarantine},
        {L"Source /D=\"" + aFile + L"\" /F=csv", kCommandLineUsageError},
        // A destination that cannot be made or written is said once, with
        // the system's reason, before any item is tried.
        {L"Source /D=\"" + aFile + L"\\sub\" /F=json", kCommandLineDestinationUnusable},
        {L"Source /D=\"" + noDrive + L"\\out\" /F=text", kCommandLineDestinationUnusable},
        {L"Source /D=\"" + aFile + L"\" /F=json", kCommandLineUsageError},
    };
    std::vector<std::wstring> arguments;
    std::vector<int> expected;
    for (const Case& test : cases) {
        const bool source = test.arguments.compare(0, 6, L"Source") == 0;
        arguments.push_back(source ? Source().substr(1) + test.arguments.substr(6)
                                   : test.arguments);
        expected.push_back(test.code);
    }
    EXPECT_EQ(RunEach(arguments), expected);
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::string error = Numbered(L"err", i);
        EXPECT_EQ(error.compare(0, 12, "Quarantine: "), 0) << i << ": " << error;
    }
    EXPECT_EQ(FilesIn(m_quarantine, L"*.qtc").size(), 2u);
    for (size_t i : {7u, 8u}) {
        const std::string error = Numbered(L"err", i);
        EXPECT_NE(error.find(" could not be created or written: "), std::string::npos) << error;
        EXPECT_EQ(error.find("\r\n"), error.size() - 2) << "one line: " << error;
    }
    EXPECT_EQ(LastLine(Output(L"out8.txt")).compare(0, 18, "failed: the destin"), 0)
        << Output(L"out8.txt");
    // Reports of runs that did nothing still name the folder they were given.
    for (size_t i : {7u, 9u}) {
        const nlohmann::json json = nlohmann::json::parse(Numbered(L"out", i));
        EXPECT_EQ(json["folder"], Utf8(m_quarantine + L"\\")) << i;
        EXPECT_TRUE(json["items"].empty()) << i;
        EXPECT_EQ(json["summary"]["exitCode"], expected[i]) << i;
    }

    // The window program answers the same way and never waits in a window.
    const ProgramRun run = RunProgram(m_app + L"\\Quarantine.exe", L"/L /Q", 20000);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineUsageError));
}

// A script learns whether its selection was met whole: blanks typed into a
// list are no part of an id, an id that names no item is said and counted
// (the items that matched are still done), and every report names whole
// paths, however the folders were typed.
TEST_F(Scripts, ASelectionIsTakenToTheLetterAndReportedWithWholePaths) {
    const std::wstring source = L" /S=..\\quarantine";
    const std::vector<int> codes = RunBatch({
        L"Quarantine /L" + source + L" /I=\"" + m_umlautId + L", " + m_plainId +
            L"\" /F=json > both.json 2> both.txt",
        L"Quarantine" + source + L" /D=rel\\out \"/I=" + m_plainId +
            L" ,nosuch.qtc\" /F=json > part.json 2> part.txt",
        L"Quarantine" + source + L" /D=rel\\out /I=\"" + m_plainId +
            L",nosuch.qtc\" /F=csv > again.csv",
        L"Quarantine /X" + source + L" /I=\"nosuch.qtc, " + m_umlautId + L"\" > deleted.txt",
        L"Quarantine /L" + source + L" /I=\"nosuch.qtc\" > none.txt 2> none.err",
    });
    EXPECT_EQ(codes,
              (std::vector<int>{0, kCommandLineSelectionIncomplete, kCommandLineRestoreFailed,
                                kCommandLineSelectionIncomplete, kCommandLineNothingMatched}));

    const nlohmann::json both = nlohmann::json::parse(Output(L"both.json"));
    EXPECT_EQ(both["folder"], Utf8(m_quarantine + L"\\"));
    EXPECT_EQ(both["items"].size(), 2u);
    EXPECT_EQ(both["summary"]["unmatched"], 0);
    EXPECT_EQ(Output(L"both.txt"), "");

    const nlohmann::json part = nlohmann::json::parse(Output(L"part.json"));
    EXPECT_EQ(part["folder"], Utf8(m_quarantine + L"\\"));
    ASSERT_EQ(part["items"].size(), 1u);
    EXPECT_EQ(part["items"][0]["result"], "restored");
    EXPECT_EQ(part["items"][0]["path"], Utf8(m_app + L"\\rel\\out\\b.txt"));
    EXPECT_EQ(part["summary"]["text"], "restored 1 of 1 item; 1 id matched no item");
    EXPECT_EQ(part["summary"]["unmatched"], 1);
    EXPECT_EQ(part["summary"]["unmatchedIds"], nlohmann::json::array({"nosuch.qtc"}));
    EXPECT_EQ(part["summary"]["exitCode"], kCommandLineSelectionIncomplete);
    EXPECT_EQ(Output(L"part.txt"), "Quarantine: no item has the id nosuch.qtc\r\n");

    // A matched item that failed outweighs an id that matched nothing.
    EXPECT_EQ(LastLine(Output(L"again.csv")),
              "restored 0 of 1 item; 1 failed; 1 id matched no item,,,,");
    EXPECT_EQ(LastLine(Output(L"deleted.txt")), "deleted 1 of 1 item; 1 id matched no item");
    EXPECT_EQ(FilesIn(m_quarantine, L"*.qtc"), std::vector<std::wstring>{m_plainId});
    EXPECT_EQ(LastLine(Output(L"none.txt")), "no item matched the selection; 1 id matched no item");
    EXPECT_EQ(Output(L"none.err"), "Quarantine: no item has the id nosuch.qtc\r\n");
}

// However cmd or PowerShell passed the quotes on, a line does what it says:
// a quoted selection is still a selection, PowerShell's /S=folder /D=folder
// is still the restore, and a console line that cannot be read is a usage
// error rather than a window that nobody sees.
TEST_F(Scripts, QuotingNeverDecidesWhatALineDoes) {
    const std::wstring one = m_scratch + L"\\one", all = m_scratch + L"\\all of them";
    const std::vector<int> codes = RunBatch({
        L"Quarantine" + Source() + L" /D=\"" + one + L"\" \"/I=" + m_plainId + L"\" > one.txt",
        L"Quarantine /S=" + m_quarantine + L" \"/D=" + all + L"\"",
        L"Quarantine /S=" + m_quarantine + L" 2> alone.txt",
        L"Quarantine \"" + m_quarantine + L"\" 2> stray.txt",
    });
    EXPECT_EQ(codes, (std::vector<int>{0, 0, kCommandLineUsageError, kCommandLineUsageError}));
    EXPECT_EQ(FilesIn(one), std::vector<std::wstring>{L"b.txt"});
    EXPECT_EQ(LastLine(Output(L"one.txt")), "restored 1 of 1 item");
    EXPECT_EQ(FilesIn(all).size(), 2u);
    EXPECT_EQ(Output(L"alone.txt").compare(0, 12, "Quarantine: "), 0);
    EXPECT_EQ(Output(L"stray.txt").compare(0, 12, "Quarantine: "), 0);

    // Alone, without the window program or a library, the console program
    // says which is missing, each with its own code.
    const std::wstring lonely = m_scratch + L"\\lonely";
    ASSERT_TRUE(::CreateDirectoryW(lonely.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW((m_app + L"\\Quarantine.com").c_str(),
                            (lonely + L"\\Quarantine.com").c_str(), FALSE));
    const std::wstring batch = L"@echo off\r\ncd /d \"" + lonely +
                               L"\"\r\nQuarantine.com 2> window.txt\r\n"
                               L">codes.txt echo %errorlevel%\r\nQuarantine.com /L" +
                               Source() + L" 2> library.txt\r\n>>codes.txt echo %errorlevel%\r\n";
    ASSERT_TRUE(WriteFileBytes(lonely + L"\\run.cmd", std::string(batch.begin(), batch.end())));
    EXPECT_TRUE(
        RunProgram(L"C:\\windows\\system32\\cmd.exe", L"/c \"" + lonely + L"\\run.cmd\"").finished);
    EXPECT_EQ(ReadFileBytes(lonely + L"\\codes.txt"), "7\r\n1\r\n");
    EXPECT_NE(ReadFileBytes(lonely + L"\\window.txt").find("Quarantine.exe could not be started"),
              std::string::npos);
    EXPECT_NE(ReadFileBytes(lonely + L"\\library.txt").find("ZEBQt.dll is missing"),
              std::string::npos);
}

// A former path and a destination of 300 characters each, past what a plain
// path may be: the listing, the restore with its hash, the file in the way
// of a second restore and both audit entries name them whole.
TEST_F(Scripts, PathsOf300CharactersAreNamedWholeFromListingToAudit) {
    const std::wstring name = L"long former path.txt";
    const auto deepFolder = [](const std::wstring& base, size_t length) {
        return base + L"\\" + std::wstring(150, L'f') + L"\\" +
               std::wstring(length - base.size() - 152, L'g');
    };
    const std::wstring home = deepFolder(m_scratch + L"\\originals", 300 - 1 - name.size());
    const std::wstring former = home + L"\\" + name, out = deepFolder(m_scratch, 300);
    ASSERT_EQ(former.size(), 300u);
    ASSERT_EQ(out.size(), 300u);
    for (const std::wstring& folder : {home, out}) {
        ::CreateDirectoryW(ExtendedLengthPath(folder.substr(0, folder.rfind(L'\\'))).c_str(),
                           nullptr);
        ASSERT_TRUE(::CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr));
    }
    ASSERT_TRUE(WriteFileBytes(ExtendedLengthPath(former), "long way\r\n"));
    const std::vector<std::wstring> before = FilesIn(m_quarantine, L"*.qtc");
    const ProgramRun tool =
        RunProgram(TestBinDir() + L"\\standin\\ZEBQtTool.exe",
                   L"add \"" + m_quarantine + L"\" \"" + former + L"\" Virus.Long");
    ASSERT_TRUE(tool.finished && tool.exitCode == 0);
    std::wstring id;
    for (const std::wstring& file : FilesIn(m_quarantine, L"*.qtc"))
        if (std::find(before.begin(), before.end(), file) == before.end()) id = file;
    ASSERT_FALSE(id.empty());

    EXPECT_EQ(RunBatch({L"Quarantine /L" + Source() + L" /F=json /I=\"" + id + L"\" > long.json"}),
              std::vector<int>{0});
    const nlohmann::json listed = nlohmann::json::parse(Output(L"long.json"));
    ASSERT_EQ(listed["items"].size(), 1u);
    EXPECT_EQ(listed["items"][0]["formerPath"], Utf8(former));
    EXPECT_EQ(listed["items"][0]["folder"], Utf8(home));
    EXPECT_EQ(listed["items"][0]["fileName"], Utf8(name));

    CZEBQtWrapper library;
    ASSERT_TRUE(library.Load(TestBinDir() + L"\\standin"));
    std::vector<AuditEntry> entries;
    SetAuditSinkForTesting([&entries](const AuditEntry& entry) { entries.push_back(entry); });
    std::string report;
    CliStreams streams;
    streams.out = [&report](const std::string& text) {
        report += text;
        return true;
    };
    streams.err = [](const std::string&) { return true; };
    const CliCommand restore = ParseCliCommand(L"/S=\"" + m_quarantine + L"\" /D=\"" + out +
                                               L"\" /F=json /I=\"" + id + L"\"");
    const int first = RunCliCommand(restore, library, streams);
    const nlohmann::json restored = nlohmann::json::parse(report);
    report.clear();
    const int second = RunCliCommand(restore, library, streams);
    SetAuditSinkForTesting(nullptr);
    const nlohmann::json refused = nlohmann::json::parse(report);

    EXPECT_EQ(first, 0);
    EXPECT_EQ(ReadFileBytes(ExtendedLengthPath(out + L"\\" + name)), "long way\r\n");
    ASSERT_EQ(restored["items"].size(), 1u);
    EXPECT_EQ(restored["items"][0]["path"], Utf8(out + L"\\" + name));
    EXPECT_EQ(restored["items"][0]["sha256"], kLongWaySha256);
    EXPECT_EQ(second, kCommandLineRestoreFailed);
    ASSERT_EQ(refused["items"].size(), 1u);
    EXPECT_EQ(refused["items"][0]["reason"],
              Utf8(L"The target file could not be opened.\nA file named \"" + name +
                   L"\" is already in this folder; nothing was overwritten:\n" + out));

    AuditEntry back;
    back.operation = AuditOperation::CommandLineRestore;
    back.success = true;
    back.itemId = id;
    back.virus = L"Virus.Long";
    back.formerPath = former;
    back.destination = out + L"\\" + name;
    back.result = L"restored";
    back.sha256 = std::wstring(kLongWaySha256, kLongWaySha256 + 64);
    AuditEntry inTheWay = back;
    inTheWay.success = false;
    inTheWay.destination = out;
    inTheWay.result = L"The target file could not be opened.";
    inTheWay.sha256.clear();
    EXPECT_EQ(entries, (std::vector<AuditEntry>{back, inTheWay}));
}

// The same commands in this process, with the event log's writer replaced by a
// recorder: one entry per item, with what the report says.
TEST_F(Scripts, EveryItemARunRestoresOrDeletesLeavesOneAuditEntry) {
    const std::wstring out = m_scratch + L"\\out";
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(out + L"\\b.txt", "in the way"));
    std::vector<int> codes;
    const std::vector<AuditEntry> entries =
        RunRecorded({L"/S=\"" + m_quarantine + L"\" /D=\"" + out + L"\" /F=csv",
                     L"/X /S=\"" + m_quarantine + L"\" /I=\"" + m_plainId + L"\""},
                    &codes);
    EXPECT_EQ(codes, (std::vector<int>{kCommandLineRestoreFailed, 0}));

    AuditEntry umlaut;
    umlaut.operation = AuditOperation::CommandLineRestore;
    umlaut.success = true;
    umlaut.itemId = m_umlautId;
    umlaut.virus = L"Trojan.Agent";
    umlaut.formerPath = m_scratch + L"\\originals\\" + kUmlautCjk;
    umlaut.destination = out + L"\\" + kUmlautCjk;
    umlaut.result = L"restored";
    umlaut.sha256 = std::wstring(kUmlautCjkSha256, kUmlautCjkSha256 + 64);
    AuditEntry blocked;
    blocked.operation = AuditOperation::CommandLineRestore;
    blocked.itemId = m_plainId;
    blocked.virus = L"W32.Worm";
    blocked.formerPath = m_scratch + L"\\originals\\b.txt";
    blocked.destination = out;
    blocked.result = L"The target file could not be opened.";
    AuditEntry gone = blocked;
    gone.operation = AuditOperation::CommandLineDelete;
    gone.success = true;
    gone.destination.clear();
    gone.result = L"deleted";
    ASSERT_EQ(entries.size(), 3u);
    const bool umlautFirst = entries[0].itemId == m_umlautId;
    EXPECT_EQ(entries[umlautFirst ? 0 : 1], umlaut);
    EXPECT_EQ(entries[umlautFirst ? 1 : 0], blocked);
    EXPECT_EQ(entries[2], gone);
}

// What the organisation's policy forbids ends with its own exit code and one
// line on standard error, does nothing, and leaves one audit entry per
// attempt; what it allows runs, on the folder it sets.
TEST_F(Scripts, WhatThePolicyForbidsEndsWithItsCodeALineAndAnAuditEntry) {
    CPolicySandbox policies;
    policies.SetSwitch(HKEY_LOCAL_MACHINE, PolicyId::DisallowRestore, 1);
    policies.SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowDelete, 1);
    policies.SetFolder(HKEY_LOCAL_MACHINE, PolicyId::QuarantineFolder, m_quarantine);
    const std::wstring out = m_scratch + L"\\out";
    const std::wstring other = m_scratch + L"\\originals";
    // What standard error says for each refusal; the last two are allowed.
    const std::vector<std::wstring> arguments = {
        Source().substr(1) + L" /D=\"" + out + L"\" /F=json",
        Source().substr(1) + L" /D=\"" + out + L"\"",  // the older form, /S and /D alone
        L"/X" + Source() + L" /I=\"" + m_plainId + L"\"",
        L"/L /S=\"" + other + L"\"",
        L"/L",
        L"/L /S=" + Upper(m_quarantine) + L"\\",  // the same folder, however typed
    };
    const char* const lines[] = {
        "Quarantine: the organisation's policy does not allow restoring quarantined files "
        "(DisallowRestore); nothing was done\r\n",
        "(DisallowRestore)", "(DisallowDelete); nothing was done", "(QuarantineFolder), not "};
    const int refused = kCommandLineRefusedByPolicy;
    EXPECT_EQ(RunEach(arguments), (std::vector<int>{refused, refused, refused, refused, 0, 0}));
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NE(Numbered(L"err", i).find(lines[i]), std::string::npos) << Numbered(L"err", i);
    for (size_t i : {4u, 5u}) EXPECT_EQ(LastLine(Numbered(L"out", i)), "listed 2 items") << i;
    EXPECT_EQ(nlohmann::json::parse(Numbered(L"out", 0))["summary"]["exitCode"], refused);
    EXPECT_EQ(FilesIn(m_quarantine, L"*.qtc").size(), 2u);
    EXPECT_FALSE(FileExists(out));

    // The same refusals in this process: one entry each, naming the command,
    // the policy, the ids asked for and the destination.
    std::vector<int> codes;
    const std::vector<AuditEntry> entries =
        RunRecorded({arguments[0], arguments[2], arguments[3]}, &codes);
    EXPECT_EQ(codes, std::vector<int>(3, kCommandLineRefusedByPolicy));
    const auto refusal = [](AuditOperation operation, const std::wstring& id,
                            const std::wstring& destination, const std::wstring& result) {
        AuditEntry entry;
        entry.operation = operation;
        entry.refused = true;
        entry.itemId = id;
        entry.destination = destination;
        entry.result = result;
        return entry;
    };
    EXPECT_EQ(entries,
              (std::vector<AuditEntry>{
                  refusal(AuditOperation::CommandLineRestore, L"", out,
                          L"Command-line restore refused: the organisation's policy does not "
                          L"allow restoring quarantined files (DisallowRestore)"),
                  refusal(AuditOperation::CommandLineDelete, m_plainId, L"",
                          L"Command-line delete refused: the organisation's policy does not "
                          L"allow deleting quarantine files (DisallowDelete)"),
                  refusal(AuditOperation::CommandLineList, L"", L"",
                          L"Command-line list refused: the organisation's policy sets the "
                          L"quarantine folder to " +
                              m_quarantine + L" (QuarantineFolder), not " + other)}));
}
