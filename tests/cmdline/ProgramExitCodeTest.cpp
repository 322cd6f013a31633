#include <gtest/gtest.h>

#include <cstdlib>

#include "restore/ExitCodes.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/doubles/recorder/Recorder.h"

// The real program, run as a user's script would run it, with the recording
// library beside it: the outcome reaches the process exit code and no window
// is ever waited on.
namespace {

class ProgramExitCode : public testing::Test {
protected:
    void SetUp() override {
        m_scratch = ScratchForThisTest();
        m_exe = StageProgram(m_scratch, CRecorder::Directory());
    }
    void TearDown() override { RemoveTree(m_scratch); }

    void Script(const std::string& script) {
        ASSERT_TRUE(WriteFileBytes(m_scratch + L"\\RecorderScript.txt", script));
    }
    std::string Calls() { return ReadFileBytes(m_scratch + L"\\RecorderCalls.txt"); }

    std::wstring m_scratch;
    std::wstring m_exe;
};

}  // namespace

TEST_F(ProgramExitCode, SuccessIsZeroAndTheDestinationReachesTheLibrary) {
    Script(
        "quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11\nobject|handle=111\n"
        "container|handle=12\nobject|handle=121\n");
    const ProgramRun run = RunProgram(m_exe, L"/S=\"C:\\Q\" /D=\"C:\\Out dir\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineDone));
    const std::string calls = Calls();
    const size_t first = calls.find("RestoreContainer(11,C:\\Out dir,0,null,0,0)\n");
    EXPECT_NE(first, std::string::npos) << calls;
    EXPECT_NE(calls.find("RestoreContainer(12,C:\\Out dir,0,null,0,0)\n", first), std::string::npos) << calls;
    EXPECT_NE(calls.find("CloseQuarantine(1)\n"), std::string::npos);
}

TEST_F(ProgramExitCode, EachFailureHasItsOwnCode) {
    Script(
        "quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11|restore=-2\nobject|handle=111\n"
        "container|handle=12\nobject|handle=121\n");
    ProgramRun run = RunProgram(m_exe, L"/S=\"C:\\Q\\\" /D=\"C:\\Out\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineRestoreFailed));

    Script("quarantine|handle=1|path=C:\\Q\\|startenum=5\n");
    run = RunProgram(m_exe, L"/D=\"C:\\Out\" /S=\"C:\\Q\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineNoEnumeration));

    run = RunProgram(m_exe, L"/S=\"C:\\Elsewhere\" /D=\"C:\\Out\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineNoQuarantine));
}

TEST_F(ProgramExitCode, AFileTheLibraryCannotOpenBehindARegistryValueIsAFailure) {
    Script(
        "quarantine|handle=1|path=C:\\Q\\\ncontainer|handle=11|restore=-1\n"
        "object|handle=111|kind=1\nobject|handle=-1|kind=0\n");
    const ProgramRun run = RunProgram(m_exe, L"/S=\"C:\\Q\" /D=\"C:\\Out\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineRestoreFailed));
    EXPECT_NE(Calls().find("RestoreContainer(11,C:\\Out,0,null,0,0)\n"), std::string::npos);
}

// A library that fails to load, or a drive without a medium, must not raise a
// system error box that waits for a click on a machine nobody watches.
TEST_F(ProgramExitCode, WindowlessRunsRaiseNoSystemErrorBoxes) {
    Script("quarantine|handle=1|path=*|errormode=record\n");
    for (const wchar_t* arguments : {L"/S=\"C:\\Q\" /D=\"C:\\Out\"", L"/L /S=\"C:\\Q\""}) {
        ::DeleteFileW((m_scratch + L"\\RecorderCalls.txt").c_str());
        const ProgramRun run = RunProgram(m_exe, arguments);
        ASSERT_TRUE(run.finished) << arguments << ", start error " << run.startError;
        const std::string calls = Calls();
        const size_t at = calls.find("ErrorMode(");
        ASSERT_NE(at, std::string::npos) << calls;
        const unsigned long mode = std::strtoul(calls.c_str() + at + 10, nullptr, 10);
        EXPECT_EQ(mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
                  unsigned(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX))
            << arguments << ": " << calls;
    }
}

TEST(ProgramWithoutLibrary, EndsOnItsOwnWithoutAWindow) {
    const std::wstring scratch = MakeScratchDir(L"no-library");
    const std::wstring exe = StageProgram(scratch, std::wstring());
    const ProgramRun run = RunProgram(exe, L"/S=\"x\" /D=\"y\"");
    EXPECT_TRUE(run.finished) << "still running: a window or a message box waits for a user";
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineNoQuarantine));
    RemoveTree(scratch);
}

TEST(ProgramWithoutLibrary, WithoutBothSwitchesTheDialogWaitsForTheUser) {
    const std::wstring scratch = MakeScratchDir(L"dialog-waits");
    const std::wstring exe = StageProgram(scratch, std::wstring());
    EXPECT_TRUE(ProgramWaitsInAWindow(exe, L"/s=\"x\" /d=\"y\""));
    RemoveTree(scratch);
}
