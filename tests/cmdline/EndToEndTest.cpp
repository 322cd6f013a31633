#include <gtest/gtest.h>

#include <vector>

#include "restore/ExitCodes.h"
#include "tests/cmdline/ProgramRun.h"

// The real program and the stand-in quarantine library with a real store made
// by its tool: files go into the quarantine and come back out byte for byte.
namespace {

std::wstring StandinDir() {
    return TestBinDir() + L"\\standin";
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        m_scratch = ScratchForThisTest();
        m_quarantine = m_scratch + L"\\quarantine dir";
        const std::wstring originals = m_scratch + L"\\originals";
        const std::wstring app = m_scratch + L"\\app";
        for (const std::wstring& folder : {m_quarantine, originals, app})
            ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        m_exe = StageProgram(app, StandinDir());
        ASSERT_TRUE(FileExists(app + L"\\ZEBQt.dll")) << "the stand-in library is not built";

        std::string binary;
        for (uint32_t i = 0; i < 300000; ++i) binary += static_cast<char>((i * 7919u) >> 3);
        m_files = {{L"Bericht M\u00e4rz.txt", "Quarterly figures\r\nline two\r\n"},
                   {L"setup tool.exe", binary}};
        for (const auto& file : m_files) {
            const std::wstring path = originals + L"\\" + file.first;
            ASSERT_TRUE(WriteFileBytes(path, file.second));
            ASSERT_TRUE(QuarantineWithTool(m_quarantine, path));
            ASSERT_FALSE(FileExists(path)) << "quarantining removes the original";
        }
        ASSERT_EQ(Containers().size(), 2u);
    }
    void TearDown() override { RemoveTree(m_scratch); }

    std::vector<std::wstring> Containers() const { return FilesIn(m_quarantine, L"*.qtc"); }

    std::wstring NewFolder(const std::wstring& name) const {
        const std::wstring folder = m_scratch + L"\\" + name;
        ::CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }

    ProgramRun Restore(const std::wstring& source, const std::wstring& destination) const {
        return RunProgram(m_exe, L"/S=\"" + source + L"\" /D=\"" + destination + L"\"");
    }

    void ExpectRestoredInto(const std::wstring& folder) const {
        EXPECT_EQ(FilesIn(folder).size(), m_files.size());
        for (const auto& file : m_files)
            EXPECT_EQ(ReadFileBytes(folder + L"\\" + file.first), file.second)
                << folder << L"\\" << file.first;
    }

    std::wstring m_scratch;
    std::wstring m_quarantine;
    std::wstring m_exe;
    std::vector<std::pair<std::wstring, std::string>> m_files;
};

}  // namespace

TEST_F(EndToEnd, RestoresEveryFileIntoTheDestinationWithOrWithoutTrailingBackslash) {
    const std::wstring first = NewFolder(L"out one");
    ProgramRun run = Restore(m_quarantine, first);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineDone));
    ExpectRestoredInto(first);

    const std::wstring second = NewFolder(L"out two");
    run = Restore(m_quarantine + L"\\", second);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineDone));
    ExpectRestoredInto(second);

    EXPECT_EQ(Containers().size(), 2u) << "the quarantine keeps its files";
}

TEST_F(EndToEnd, ExistingFilesAreNotOverwrittenAndTheExitCodeSaysSo) {
    const std::wstring out = NewFolder(L"out");
    const std::wstring occupied = out + L"\\" + m_files[0].first;
    ASSERT_TRUE(WriteFileBytes(occupied, "already here"));
    const ProgramRun run = Restore(m_quarantine, out);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineRestoreFailed));
    EXPECT_EQ(ReadFileBytes(occupied), "already here");
    EXPECT_EQ(ReadFileBytes(out + L"\\" + m_files[1].first), m_files[1].second)
        << "the other file still comes back";
}

TEST_F(EndToEnd, ASingleQuarantineFileAsSourceRestoresNothing) {
    const std::wstring out = NewFolder(L"out");
    const ProgramRun run = Restore(m_quarantine + L"\\" + Containers()[0], out);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineNoQuarantine));
    EXPECT_TRUE(FilesIn(out).empty());
}

TEST_F(EndToEnd, DamagedContainersAloneOrMixedFailWheneverAFileDidNotComeBack) {
    const wchar_t* const kinds[] = {L"truncated", L"payload", L"header",   L"magic",
                                    L"count",     L"empty",   L"trailing", L"object"};
    const std::wstring tool = StandinDir() + L"\\ZEBQtTool.exe";
    for (const wchar_t* kind : kinds) {
        const std::wstring as = L" --as C:\\Damaged\\" + std::wstring(kind) + L".bin";
        const std::wstring alone = NewFolder(std::wstring(L"alone ") + kind);
        for (const std::wstring& folder : {alone, m_quarantine}) {
            const ProgramRun made =
                RunProgram(tool, L"make-odd \"" + folder + L"\" damaged " + kind + as);
            ASSERT_TRUE(made.finished && made.exitCode == 0)
                << kind << ": exit code " << made.exitCode << ", start error " << made.startError;
        }
        const std::wstring out = NewFolder(std::wstring(L"out ") + kind);
        const ProgramRun run = Restore(alone, out);
        ASSERT_TRUE(run.finished);
        const bool back = FileExists(out + L"\\" + kind + L".bin");
        EXPECT_EQ(run.exitCode, DWORD(back ? kCommandLineDone : kCommandLineRestoreFailed))
            << kind;
        const std::wstring name = kind;
        if (name == L"header" || name == L"magic" || name == L"count" || name == L"empty" ||
            name == L"object") {
            EXPECT_FALSE(back) << kind;
        }
    }
    const std::wstring out = NewFolder(L"out mixed");
    const ProgramRun run = Restore(m_quarantine, out);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kCommandLineRestoreFailed));
    for (const auto& file : m_files)
        EXPECT_EQ(ReadFileBytes(out + L"\\" + file.first), file.second) << "good ones come back";
}

TEST_F(EndToEnd, ADamagedFileBehindARegistryValueIsAFailure) {
    // The value alone would be passed over; the file behind it, listed or
    // not, must reach the exit code. "object" and "truncated" leave the file
    // unreadable to the listing, the others to the restore only.
    const wchar_t* const kinds[] = {L"object", L"truncated", L"payload", L"count", L"trailing"};
    const std::wstring tool = StandinDir() + L"\\ZEBQtTool.exe";
    for (const wchar_t* kind : kinds) {
        const std::wstring quarantine = NewFolder(std::wstring(L"behind ") + kind);
        const ProgramRun made = RunProgram(
            tool, L"make-odd \"" + quarantine + L"\" damaged " + kind + L" --behind-registry");
        ASSERT_TRUE(made.finished && made.exitCode == 0) << kind;
        const std::wstring out = NewFolder(std::wstring(L"out behind ") + kind);
        const ProgramRun run = Restore(quarantine, out);
        ASSERT_TRUE(run.finished) << kind;
        EXPECT_EQ(run.exitCode, DWORD(kCommandLineRestoreFailed)) << kind;
        EXPECT_TRUE(FilesIn(out).empty()) << kind;
    }
}

TEST_F(EndToEnd, TwoRestoresIntoOneFolderAtTheSameTimeBothComeBackWhole) {
    const std::wstring bulk = NewFolder(L"bulk quarantine");
    const ProgramRun made =
        RunProgram(StandinDir() + L"\\ZEBQtTool.exe", L"bulk \"" + bulk + L"\" 40 70000");
    ASSERT_TRUE(made.finished && made.exitCode == 0);
    const std::wstring out = NewFolder(L"out");
    CKernelHandle processes[2];
    const std::wstring sources[2] = {bulk, m_quarantine};
    for (int i = 0; i < 2; ++i) {
        processes[i] = StartProgram(m_exe, L"/S=\"" + sources[i] + L"\" /D=\"" + out + L"\"");
        ASSERT_TRUE(processes[i]);
    }
    const HANDLE both[2] = {processes[0].Get(), processes[1].Get()};
    const DWORD ended = ::WaitForMultipleObjects(2, both, TRUE, 60000);
    if (ended == WAIT_TIMEOUT) {
        for (const CKernelHandle& process : processes) ::TerminateProcess(process.Get(), 255);
        ::WaitForMultipleObjects(2, both, TRUE, 10000);
    }
    ASSERT_LT(ended - WAIT_OBJECT_0, 2u) << "a restore did not end";
    for (const CKernelHandle& process : processes) {
        DWORD exitCode = 99;
        ::GetExitCodeProcess(process.Get(), &exitCode);
        EXPECT_EQ(exitCode, DWORD(kCommandLineDone));
    }
    for (const auto& file : m_files)
        EXPECT_EQ(ReadFileBytes(out + L"\\" + file.first), file.second);
    EXPECT_EQ(FilesIn(out).size(), m_files.size() + 40) << "nothing missing, nothing left over";
}
