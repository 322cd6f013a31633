#include <gtest/gtest.h>
#include <shlobj.h>

#include "quarantine/ZEBQtWrapper.h"
#include "tests/loader/LoaderTestSupport.h"

namespace {

// Puts a test library where the product installs its own, under the common
// program-files folder, and takes it away again.
class CommonFilesLibrary : public testing::Test {
protected:
    void SetUp() override {
        wchar_t common[MAX_PATH] = {};
        ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr,
                                     SHGFP_TYPE_CURRENT, common),
                  S_OK);
        m_vendor = std::wstring(common) + L"\\HALVREN";
        m_folder = m_vendor + L"\\ZEBScanP";
        ::CreateDirectoryW(m_vendor.c_str(), nullptr);
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        ASSERT_FALSE(FileExists(m_folder + L"\\ZEBQt.dll"))
            << "a library is already installed there";
        ASSERT_TRUE(::CopyFileW((DoubleDir(L"all") + L"\\ZEBQt.dll").c_str(),
                                (m_folder + L"\\ZEBQt.dll").c_str(), TRUE));
    }
    void TearDown() override {
        ::DeleteFileW((m_folder + L"\\ZEBQt.dll").c_str());
        ::RemoveDirectoryW(m_folder.c_str());
        ::RemoveDirectoryW(m_vendor.c_str());
    }

    std::wstring m_vendor;
    std::wstring m_folder;
};

}  // namespace

TEST_F(CommonFilesLibrary, SecondAttemptFindsItWhenTheFirstFindsNothing) {
    const std::wstring empty = MakeScratchDir(L"common-files-empty");
    for (const std::wstring& directory : {std::wstring(), empty, empty + L"\\missing"}) {
        CZEBQtWrapper w;
        ASSERT_TRUE(w.Load(directory)) << directory;
        EXPECT_EQ(ModuleFolderOf(w.m_hModule), Lower(m_folder));
        EXPECT_FALSE(w.m_bEntryPointMissing);
        EXPECT_EQ(w.ZEBQtOpenQuarantine(L"C:\\Q\\"), 77);
    }
    RemoveTree(empty);
}

TEST_F(CommonFilesLibrary, FirstAttemptWins) {
    CZEBQtWrapper w;
    ASSERT_TRUE(w.Load(DoubleDir(L"noexport")));
    EXPECT_EQ(ModuleFolderOf(w.m_hModule), Lower(DoubleDir(L"noexport")));
    EXPECT_TRUE(w.m_bEntryPointMissing);
}
