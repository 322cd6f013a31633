#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "quarantine/ZEBQtWrapper.h"
#include "restore/CleanHook.h"
#include "scanner/ZEBScanPWrapper.h"
#include "standin/zebscanp/Signatures.h"
#include "tests/common/TestPaths.h"

namespace {

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
    int32_t CleanAndRestoreAll() {
        CZEBQtWrapper::QuarantinePtr quarantine = m_zebQt.OpenQuarantine(m_quarantine);
        EXPECT_TRUE(quarantine);
        if (!quarantine) return 99;
        std::vector<CZEBQtWrapper::ContainerPtr> containers;
        EXPECT_TRUE(quarantine->EnumContainers(containers));
        EXPECT_EQ(containers.size(), 1u);
        if (containers.size() != 1) return 99;
        return containers[0]->Restore(std::wstring(), 0, &CleanHook,
                                      reinterpret_cast<uintptr_t>(&m_scanP), 0);
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

}  // namespace
