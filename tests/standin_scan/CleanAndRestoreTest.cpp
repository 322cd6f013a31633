#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "quarantine/ZEBQtWrapper.h"
#include "restore/CleanHook.h"
#include "restore/ExitCodes.h"
#include "scanner/ZEBScanPWrapper.h"
#include "standin/zebscanp/Signatures.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/common/TestPaths.h"

namespace {

// A cure that takes as long as the test's own work in the middle of it.
struct SlowCure {
    CZEBScanPWrapper* scanner;
    std::function<void()> meanwhile;
};

int32_t __cdecl CureAfterTheTestsWork(uintptr_t value, uintptr_t context) {
    SlowCure* cure = reinterpret_cast<SlowCure*>(context);
    cure->meanwhile();
    return CleanHook(value, reinterpret_cast<uintptr_t>(cure->scanner));
}

// Both stand-ins together: a file is quarantined, then restored through the
// cleaning hook, which has the scanner cure the library's temporary copy.
class CleanAndRestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scanP.Unload();
        ASSERT_TRUE(m_zebQt.Load(TestBinDir() + L"\\standin"));
        ASSERT_FALSE(m_zebQt.m_bEntryPointMissing);
        m_dir = MakeScratchDir(L"clean-restore");
        m_quarantine = m_dir + L"\\q\\";
        m_files = m_dir + L"\\files";
        ::CreateDirectoryW(m_quarantine.c_str(), nullptr);
        ::CreateDirectoryW(m_files.c_str(), nullptr);
    }
    void TearDown() override {
        m_scanP.Unload();
        m_zebQt.Unload();
        RemoveTree(m_dir);
    }

    // Quarantines a file of these bytes and answers its former path.
    std::wstring Quarantine(const wchar_t* name, const std::string& bytes) {
        const std::wstring path = m_files + L"\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        EXPECT_EQ(m_zebQt.ZEBQtMoveToQuarantine(m_quarantine.c_str(), path.c_str(), L"Test-File"),
                  0);
        EXPECT_FALSE(FileExists(path));
        return path;
    }
    int32_t CleanAndRestoreAll(ZEBQtCleanHook hook = &CleanHook, uintptr_t context = 0) {
        CZEBQtWrapper::QuarantinePtr quarantine = m_zebQt.OpenQuarantine(m_quarantine);
        EXPECT_TRUE(quarantine);
        if (!quarantine) return 99;
        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        EXPECT_TRUE(quarantine->EnumContainers(containers));
        EXPECT_EQ(containers.size(), 1u);
        if (containers.size() != 1) return 99;
        return containers[0]->Restore(
            std::wstring(), 0, hook, context != 0 ? context : reinterpret_cast<uintptr_t>(&m_scanP),
            0);
    }
    std::vector<std::wstring> FilesLeft() {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        CFindHandle find(::FindFirstFileW((m_files + L"\\*").c_str(), &data));
        if (find) {
            do {
                if (data.cFileName[0] != L'.') names.push_back(data.cFileName);
            } while (::FindNextFileW(find.Get(), &data));
        }
        return names;
    }

    CZEBQtWrapper m_zebQt;
    CZEBScanPWrapper m_scanP;
    std::wstring m_dir, m_quarantine, m_files;
};

TEST_F(CleanAndRestoreTest, AnInfectedFileComesBackCured) {
    ASSERT_TRUE(m_scanP.LoadFrom(L"Engine A", L"Engine B", TestBinDir() + L"\\standin"));
    const std::wstring path = Quarantine(L"report.doc", "before-" + CurableSignature() + "-after");
    EXPECT_EQ(CleanAndRestoreAll(), 0);
    EXPECT_EQ(ReadFileBytes(path), "before--after");
}

TEST_F(CleanAndRestoreTest, AnIncurableFileIsNotRestored) {
    ASSERT_TRUE(m_scanP.LoadFrom(L"Engine A", L"Engine B", TestBinDir() + L"\\standin"));
    Quarantine(L"worse.exe", IncurableSignature());
    EXPECT_EQ(CleanAndRestoreAll(), -3);
    EXPECT_TRUE(FilesLeft().empty());
}

TEST_F(CleanAndRestoreTest, WithoutAScannerNothingIsRestoredUncleaned) {
    Quarantine(L"report.doc", CurableSignature());
    EXPECT_EQ(CleanAndRestoreAll(), -3);
    EXPECT_TRUE(FilesLeft().empty());

    // A scanner library without a cure function is no better.
    ASSERT_TRUE(
        m_scanP.LoadFrom(L"Engine A", L"Engine B", TestBinDir() + L"\\doubles\\scan_empty"));
    EXPECT_EQ(CleanAndRestoreAll(), -3);
    EXPECT_TRUE(FilesLeft().empty());
}

TEST_F(CleanAndRestoreTest, ACommandLineRestoreIntoTheFolderDuringASlowCureLeavesItsFileAlone) {
    ASSERT_TRUE(m_scanP.LoadFrom(L"Engine A", L"Engine B", TestBinDir() + L"\\standin"));
    const std::wstring path = Quarantine(L"x.txt", "before-" + CurableSignature() + "-after");
    const std::wstring other = m_dir + L"\\q2", elsewhere = m_dir + L"\\elsewhere",
                       app = m_dir + L"\\app";
    for (const std::wstring& folder : {other, elsewhere, app})
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(elsewhere + L"\\y.txt", "other"));
    ASSERT_EQ(m_zebQt.ZEBQtMoveToQuarantine(other.c_str(), (elsewhere + L"\\y.txt").c_str(),
                                            L"Test-File"),
              0);
    const std::wstring exe = StageProgram(app, TestBinDir() + L"\\standin");

    ProgramRun meanwhile;
    SlowCure cure{&m_scanP, [&] {
                      meanwhile = RunProgram(exe, L"/S=\"" + other + L"\" /D=\"" + m_files + L"\"");
                  }};
    EXPECT_EQ(CleanAndRestoreAll(&CureAfterTheTestsWork, reinterpret_cast<uintptr_t>(&cure)), 0);
    ASSERT_TRUE(meanwhile.finished);
    EXPECT_EQ(meanwhile.exitCode, DWORD(kCommandLineDone));
    EXPECT_EQ(ReadFileBytes(path), "before--after");
    EXPECT_EQ(ReadFileBytes(m_files + L"\\y.txt"), "other");
    EXPECT_EQ(FilesLeft().size(), 2u);
}

}  // namespace
