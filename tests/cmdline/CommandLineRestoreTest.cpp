#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "audit/AuditTrail.h"
#include "cli/CliRun.h"
#include "cli/Report.h"
#include "restore/CommandLineRestore.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/doubles/recorder/Recorder.h"
#include "ui/QuarantineDlg.h"

namespace {

typedef std::vector<std::wstring> Calls;

// The program finds its library by plain name; here the recorder is made
// findable that way and held loaded, so its script and calls outlive the
// dialog that loads and unloads it.
class CommandLineRestore : public testing::Test {
protected:
    void SetUp() override {
        m_recorderModule.Reset(::LoadLibraryW((CRecorder::Directory() + L"\\ZEBQt.dll").c_str()));
        ASSERT_TRUE(m_recorderModule);
        ASSERT_TRUE(::SetDllDirectoryW(CRecorder::Directory().c_str()));
        m_recorder.reset(new CRecorder(m_recorderModule.Get()));
    }
    void TearDown() override { ::SetDllDirectoryW(nullptr); }

    int Run(const std::wstring& script, const std::wstring& source,
            const std::wstring& destination = L"C:\\Out") {
        EXPECT_EQ(m_recorder->Script(script), 0);
        CQuarantineDlg dlg;
        const int exitCode = dlg.RestoreFromCommandLine(source, destination);
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr) << "no window is created";
        return exitCode;
    }

    CModule m_recorderModule;
    std::unique_ptr<CRecorder> m_recorder;
};

const wchar_t kTwoContainersOfThreeFiles[] =
    L"quarantine|handle=1|path=C:\\Q\\\n"
    L"container|handle=11\nobject|handle=111\nobject|handle=112\nobject|handle=113\n"
    L"container|handle=12\nobject|handle=121\nobject|handle=122\nobject|handle=123\n";

}  // namespace

TEST_F(CommandLineRestore, RestoresEachContainerIntoTheDestination) {
    for (const wchar_t* source : {L"C:\\Q", L"C:\\Q\\"}) {
        EXPECT_EQ(Run(kTwoContainersOfThreeFiles, source), kCommandLineDone) << source;
        EXPECT_EQ(m_recorder->Calls(L"OpenQuarantine"), (Calls{L"OpenQuarantine(C:\\Q\\)"}));
        EXPECT_EQ(m_recorder->Calls(L"Restore"),
                  (Calls{L"RestoreContainer(11,C:\\Out,0,null,0,0)",
                         L"RestoreContainer(12,C:\\Out,0,null,0,0)"}));
        // Every handle opened is closed again, and nothing else is asked of
        // the library (no deletion, no export).
        const Calls closes = m_recorder->Calls(L"Close");
        // Each container's objects are looked at only up to its first file.
        EXPECT_EQ(closes.size(), 5u);
        EXPECT_EQ(closes.back(), L"CloseQuarantine(1)");
        for (const std::wstring& call : m_recorder->Calls())
            EXPECT_TRUE(call.find(L"Open") == 0 || call.find(L"Close") == 0 ||
                        call.find(L"Get") == 0 || call.find(L"Restore") == 0 ||
                        call == L"StartEnumContainers(1)")
                << call;
    }
}

TEST_F(CommandLineRestore, EveryContainerIsTriedAndAnyFailureShowsInTheExitCode) {
    for (const wchar_t* failure : {L"-1", L"-2", L"-3", L"7"}) {
        const std::wstring script =
            std::wstring(L"quarantine|handle=1|path=C:\\Q\\\n") + L"container|handle=11|restore=" +
            failure + L"\nobject|handle=111\n" + L"container|handle=12\nobject|handle=121\n";
        EXPECT_EQ(Run(script, L"C:\\Q"), kCommandLineRestoreFailed) << failure;
        EXPECT_EQ(m_recorder->Calls(L"Restore").size(), 2u);
    }
}

TEST_F(CommandLineRestore, OnlyContainersListingNothingButOtherItemsAreLeftAlone) {
    EXPECT_EQ(Run(L"quarantine|handle=1|path=C:\\Q\\\n"
                  L"container|handle=11\nobject|handle=111|kind=1\nobject|handle=112|kind=2\n"
                  L"container|handle=12\nobject|handle=121|kind=1\nobject|handle=122\n",
                  L"C:\\Q\\"),
              kCommandLineDone);
    EXPECT_EQ(m_recorder->Calls(L"Restore"), (Calls{L"RestoreContainer(12,C:\\Out,0,null,0,0)"}));

    // A container that lists no object at all (damaged, or refusing) is tried,
    // and its failure is not success.
    EXPECT_EQ(Run(L"quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11|restore=-1\n"
                  L"container|handle=12\nobject|handle=121\n",
                  L"C:\\Q"),
              kCommandLineRestoreFailed);
    EXPECT_EQ(m_recorder->Calls(L"Restore"), (Calls{L"RestoreContainer(11,C:\\Out,0,null,0,0)",
                                                    L"RestoreContainer(12,C:\\Out,0,null,0,0)"}));
}

// Only a listing known to be complete lets a container pass for one without
// files; any sign that it stopped short has the container restored, so that a
// file that did not come back reaches the exit code.
TEST_F(CommandLineRestore, AContainerWhoseListingMayHaveStoppedShortIsRestored) {
    struct Case {
        const wchar_t* objects;
        bool restored;
    } const cases[] = {
        // a file the library names but cannot open, after a registry value
        {L"object|handle=111|kind=1\nobject|handle=-1|kind=0\n", true},
        // a refused object with a listed one behind it
        {L"object|handle=111|kind=2\nobject|handle=-1|kind=none\nobject|handle=113|kind=1\n",
         true},
        // a kind that is neither a registry value nor a hosts entry
        {L"object|handle=111|kind=1\nobject|handle=112|kind=3\n", true},
        // complete: registry value and hosts entry, then the end
        {L"object|handle=111|kind=1\nobject|handle=112|kind=2\n", false},
    };
    for (const Case& c : cases) {
        const std::wstring script = std::wstring(L"quarantine|handle=1|path=C:\\Q\\\n") +
                                    L"container|handle=11|restore=-1\n" + c.objects;
        EXPECT_EQ(Run(script, L"C:\\Q"),
                  c.restored ? kCommandLineRestoreFailed : kCommandLineDone)
            << c.objects;
        EXPECT_EQ(m_recorder->Calls(L"Restore").size(), c.restored ? 1u : 0u) << c.objects;
    }
}

TEST_F(CommandLineRestore, AnEmptyQuarantineIsNothingToRestore) {
    EXPECT_EQ(Run(L"quarantine|handle=1|path=C:\\Q\\\n", L"C:\\Q"), kCommandLineDone);
    EXPECT_EQ(m_recorder->Calls(L"Restore"), Calls());
}

TEST_F(CommandLineRestore, NoQuarantineOrNoEnumerationEndsWithItsOwnCode) {
    // A single quarantine file as the source is opened as a folder and so
    // names no quarantine.
    EXPECT_EQ(Run(kTwoContainersOfThreeFiles, L"C:\\Q\\a.qua"), kCommandLineNoQuarantine);
    EXPECT_EQ(m_recorder->Calls(), (Calls{L"OpenQuarantine(C:\\Q\\a.qua\\)"}));

    EXPECT_EQ(Run(L"quarantine|handle=1|path=C:\\Q\\|startenum=5\ncontainer|handle=11\nobject|"
                  L"handle=111\n",
                  L"C:\\Q"),
              kCommandLineNoEnumeration);
    EXPECT_EQ(m_recorder->Calls(L"Restore"), Calls());
    EXPECT_EQ(m_recorder->Calls(L"Close"), (Calls{L"CloseQuarantine(1)"}));
}

// The commands for scripts never report what they could not check or could
// not write as success. The recorder answers every restore with success and
// writes nothing.
TEST_F(CommandLineRestore, ARunSaysWhatItCouldNotCheckOrWrite) {
    const std::wstring out = ScratchForThisTest();
    ASSERT_TRUE(WriteFileBytes(out + L"\\a.txt", "alpha"));
    ASSERT_EQ(m_recorder->Script(L"quarantine|handle=1|path=C:\\Q\\\n"
                                 L"container|handle=11|file=C:\\Q\\a.qtc\nobject|handle=111|orig=C:\\docs\\a.txt\n"
                                 L"container|handle=12|file=C:\\Q\\b.qtc\nobject|handle=121|orig=C:\\docs\\b.txt\n"),
              0);
    struct Case {
        bool outputLost, auditRefused;
        int exitCode;
        const char* error;  // what standard error says, in part
    } const cases[] = {
        {false, false, kCommandLineRestoreFailed, ""},
        {true, false, kCommandLineReportLost, "the report could not be written whole"},
        {false, true, kCommandLineRestoreFailed, "the event log did not take the audit entry for a.qtc"},
    };
    for (const Case& c : cases) {
        std::string report, error;
        CliStreams streams;
        streams.out = [&](const std::string& text) {
            report += text;
            return !c.outputLost;
        };
        streams.err = [&](const std::string& text) {
            error += text;
            return true;
        };
        SetAuditSinkForTesting([&](const AuditEntry&) {
            if (c.auditRefused) throw std::runtime_error("refused");
        });
        CQuarantineDlg dlg;
        const int exitCode = RunCliCommand(
            ParseCliCommand(L"/S=\"C:\\Q\" /D=\"" + out + L"\" /F=json"), dlg.m_ZEBQt, streams);
        SetAuditSinkForTesting(nullptr);
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;

        const nlohmann::json json = nlohmann::json::parse(report);
        ASSERT_EQ(json["items"].size(), 2u);
        EXPECT_EQ(json["items"][0]["result"], "restored");
        EXPECT_EQ(json["items"][0]["sha256"].get<std::string>().size(), 64u);
        EXPECT_EQ(json["items"][1]["result"], "failed");
        EXPECT_EQ(json["items"][1]["path"], Utf8(out + L"\\b.txt"));
        EXPECT_EQ(json["items"][1]["reason"], "Reported as restored, but the restored file could not be read back.");
        EXPECT_EQ(json["summary"]["exitCode"], kCommandLineRestoreFailed);
        EXPECT_EQ(json["summary"]["text"], c.auditRefused ? "restored 1 of 2 items; 1 failed; 2 audit entries not written"
                                                          : "restored 1 of 2 items; 1 failed");
    }
    RemoveTree(out);
}

TEST(CommandLineRestoreWithoutLibrary, EndsWithTheNoQuarantineCode) {
    CQuarantineDlg dlg;
    EXPECT_EQ(dlg.RestoreFromCommandLine(L"C:\\Q", L"C:\\Out"), kCommandLineNoQuarantine);
    EXPECT_EQ(dlg.m_ZEBQt.m_hModule, nullptr);
}
