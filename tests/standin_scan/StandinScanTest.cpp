#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Handles.h"
#include "scanner/ZEBScanPWrapper.h"
#include "standin/zebscanp/Signatures.h"
#include "tests/common/TestPaths.h"

namespace {

std::wstring StandinDir() {
    return TestBinDir() + L"\\standin";
}

uintptr_t ValueOf(const std::wstring& path) {
    return reinterpret_cast<uintptr_t>(path.c_str());
}

class StandinScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_library.Reset(::LoadLibraryW((StandinDir() + L"\\ZEBScanP.dll").c_str()));
        ASSERT_TRUE(m_library);
        m_cure = Bind<PFN_ZEBScanPCureFile>("ZEBScanPCureFile");
        m_scanFile = Bind<PFN_ZEBScanPScanFile>("ZEBScanPScanFile");
        m_scanFile2 = Bind<PFN_ZEBScanPScanFile2>("ZEBScanPScanFile2");
        m_scanWithAction = Bind<PFN_ZEBScanPScanFileWithAction>("ZEBScanPScanFileWithAction");
        m_scanWithAction2 = Bind<PFN_ZEBScanPScanFileWithAction2>("ZEBScanPScanFileWithAction2");
        m_scanDirectory = Bind<PFN_ZEBScanPScanDirectory>("ZEBScanPScanDirectory");
        m_setEngineName = Bind<PFN_ZEBScanPSetEngineName>("ZEBScanPSetEngineName");
        m_dir = MakeScratchDir(L"standin-scan");
    }
    void TearDown() override { RemoveTree(m_dir); }

    template <typename Fn>
    Fn Bind(const char* name) {
        Fn fn = ProcCast<Fn>(::GetProcAddress(m_library.Get(), name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    std::wstring Write(const wchar_t* name, const std::string& bytes) {
        const std::wstring path = m_dir + L"\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }

    CModule m_library;
    std::wstring m_dir;
    PFN_ZEBScanPCureFile m_cure = nullptr;
    PFN_ZEBScanPScanFile m_scanFile = nullptr;
    PFN_ZEBScanPScanFile2 m_scanFile2 = nullptr;
    PFN_ZEBScanPScanFileWithAction m_scanWithAction = nullptr;
    PFN_ZEBScanPScanFileWithAction2 m_scanWithAction2 = nullptr;
    PFN_ZEBScanPScanDirectory m_scanDirectory = nullptr;
    PFN_ZEBScanPSetEngineName m_setEngineName = nullptr;
};

TEST_F(StandinScanTest, CureRemovesTheTestTextAndKeepsEveryOtherByte) {
    std::string head("MZ\x00\x01", 4);
    std::string tail(70000, '\0');
    for (size_t i = 0; i < tail.size(); ++i) tail[i] = static_cast<char>(i * 7);
    const std::wstring path = Write(L"infected.bin", head + CurableSignature() + tail);
    EXPECT_EQ(m_cure(ValueOf(path), 2, 0), 0);
    EXPECT_EQ(ReadFileBytes(path), head + tail);
    EXPECT_EQ(m_scanFile(path.c_str()), 0);
    // Curing a clean file again changes nothing.
    EXPECT_EQ(m_cure(ValueOf(path), 2, 0), 0);
    EXPECT_EQ(ReadFileBytes(path), head + tail);
}

TEST_F(StandinScanTest, CureFailsAndLeavesTheFileWhenItCannot) {
    const std::string incurable = "x" + CurableSignature() + IncurableSignature();
    const std::wstring incurablePath = Write(L"incurable.bin", incurable);
    EXPECT_NE(m_cure(ValueOf(incurablePath), 2, 0), 0);
    EXPECT_EQ(ReadFileBytes(incurablePath), incurable);
    // Cured in memory, the test text's removal joins the incurable signature.
    const std::string joined =
        IncurableSignature().substr(0, 10) + CurableSignature() + IncurableSignature().substr(10);
    const std::wstring joinedPath = Write(L"joined.bin", joined);
    EXPECT_EQ(m_cure(ValueOf(joinedPath), 2, 0), 1);
    EXPECT_EQ(ReadFileBytes(joinedPath), joined);

    const std::string curable = "y" + CurableSignature();
    const std::wstring readOnly = Write(L"readonly.bin", curable);
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // Where the file system lets the owner write anyway (a superuser under
    // Wine), the cure simply succeeds.
    if (!CFileHandle(::CreateFileW(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr))) {
        EXPECT_NE(m_cure(ValueOf(readOnly), 2, 0), 0);
        EXPECT_EQ(ReadFileBytes(readOnly), curable);
    }

    const std::wstring locked = Write(L"locked.bin", curable);
    {
        CFileHandle hold(
            ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(hold);
        EXPECT_NE(m_cure(ValueOf(locked), 2, 0), 0);
    }
    EXPECT_EQ(ReadFileBytes(locked), curable);

    EXPECT_NE(m_cure(ValueOf(m_dir + L"\\missing.bin"), 2, 0), 0);
    EXPECT_NE(m_cure(ValueOf(m_dir), 2, 0), 0);
    EXPECT_NE(m_cure(0, 2, 0), 0);
    const std::wstring other = Write(L"other-mode.bin", curable);
    EXPECT_NE(m_cure(ValueOf(other), 1, 0), 0);
    EXPECT_EQ(ReadFileBytes(other), curable);
}

TEST_F(StandinScanTest, ScanEntryPointsReportWhatAFileHolds) {
    const std::wstring clean = Write(L"clean.txt", "hello");
    const std::wstring curable = Write(L"curable.txt", CurableSignature());
    const std::wstring incurable = Write(L"incurable.txt", IncurableSignature());
    EXPECT_EQ(m_scanFile(clean.c_str()), 0);
    EXPECT_EQ(m_scanFile(curable.c_str()), 1);
    EXPECT_EQ(m_scanFile(incurable.c_str()), 2);
    EXPECT_EQ(m_scanFile((m_dir + L"\\missing").c_str()), -1);
    EXPECT_EQ(m_scanFile(nullptr), -1);

    wchar_t virus[64] = L"junk";
    EXPECT_EQ(m_scanFile2(curable.c_str(), virus, 64), 1);
    EXPECT_STREQ(virus, L"Test-File.Standard");
    EXPECT_EQ(m_scanFile2(clean.c_str(), virus, 64), 0);
    EXPECT_STREQ(virus, L"");
    wchar_t small[6] = {L'#', L'#', L'#', L'#', L'#', L'#'};
    EXPECT_EQ(m_scanFile2(incurable.c_str(), small, 5), 2);
    EXPECT_STREQ(small, L"Test");
    EXPECT_EQ(small[5], L'#');

    // Reporting only leaves the file; action 2 cures it.
    EXPECT_EQ(m_scanWithAction(curable.c_str(), 0), 1);
    EXPECT_EQ(ReadFileBytes(curable), CurableSignature());
    EXPECT_EQ(m_scanWithAction2(curable.c_str(), 2, virus, 64), 0);
    EXPECT_EQ(ReadFileBytes(curable), "");
    EXPECT_EQ(m_scanWithAction(incurable.c_str(), 2), 2);
    EXPECT_EQ(ReadFileBytes(incurable), IncurableSignature());
}

TEST_F(StandinScanTest, ScanDirectoryCountsInfectedFiles) {
    Write(L"a.txt", CurableSignature());
    Write(L"b.txt", "clean");
    ::CreateDirectoryW((m_dir + L"\\sub").c_str(), nullptr);
    Write(L"sub\\c.txt", IncurableSignature());
    EXPECT_EQ(m_scanDirectory(m_dir.c_str(), 0), 1);
    EXPECT_EQ(m_scanDirectory(m_dir.c_str(), 1), 2);
    EXPECT_EQ(m_scanDirectory((m_dir + L"\\missing").c_str(), 1), -1);
    EXPECT_EQ(m_scanDirectory(nullptr, 1), -1);
}

TEST_F(StandinScanTest, EngineNamesAreAcceptedForTwoEngines) {
    wchar_t name[] = L"Engine A";
    EXPECT_EQ(m_setEngineName(0, name), 0);
    EXPECT_EQ(m_setEngineName(1, name), 0);
    EXPECT_NE(m_setEngineName(2, name), 0);
    EXPECT_NE(m_setEngineName(0, nullptr), 0);
}

TEST_F(StandinScanTest, TheBindingCuresThroughTheStandin) {
    CZEBScanPWrapper scanP;
    scanP.Unload();
    ASSERT_TRUE(scanP.LoadFrom(L"Engine A", L"Engine B", StandinDir()));
    const std::wstring curable = Write(L"via-binding.bin", "ab" + CurableSignature() + "cd");
    const std::wstring incurable = Write(L"via-binding-bad.bin", IncurableSignature());
    EXPECT_EQ(scanP.Cure(ValueOf(curable)), 0);
    EXPECT_EQ(ReadFileBytes(curable), "abcd");
    EXPECT_NE(scanP.Cure(ValueOf(incurable)), 0);
    EXPECT_NE(CZEBScanPWrapper::State().m_pfnScanDirectory, nullptr);
    scanP.Unload();
}

}  // namespace
