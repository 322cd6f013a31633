#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "scanner/ZEBScanPWrapper.h"
#include "tests/common/TestPaths.h"
#include "tests/doubles/scan_record/ScanRecordDouble.h"

namespace {

std::wstring DoubleDir(const wchar_t* name) {
    return TestBinDir() + L"\\doubles\\" + name;
}
std::wstring RecordDll() {
    return DoubleDir(L"scan_record") + L"\\ZEBScanP.dll";
}
std::wstring RecordSDll() {
    return DoubleDir(L"scan_record_s") + L"\\ZEBScanPS.dll";
}

std::wstring CommonFilesFolder() {
    wchar_t buffer[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, SHGFP_TYPE_CURRENT, buffer);
    return buffer;
}

std::wstring LoadedPath() {
    const HMODULE module = CZEBScanPWrapper::State().m_hModule;
    if (module == nullptr) return std::wstring();
    std::vector<wchar_t> path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), n);
}

std::wstring Log() {
    auto log = ProcCast<PFN_ScanDoubleLog>(
        ::GetProcAddress(CZEBScanPWrapper::State().m_hModule, "ScanDoubleLog"));
    return log ? log() : L"<not the recording double>";
}

void SetCureAnswer(int32_t answer) {
    auto set = ProcCast<PFN_ScanDoubleSetCureAnswer>(
        ::GetProcAddress(CZEBScanPWrapper::State().m_hModule, "ScanDoubleSetCureAnswer"));
    ASSERT_NE(set, nullptr);
    set(answer);
}

void ExpectAllNull() {
    const CZEBScanPWrapper::SharedState& state = CZEBScanPWrapper::State();
    EXPECT_EQ(state.m_hModule, nullptr);
    EXPECT_EQ(state.m_pfnScanFile, nullptr);
    EXPECT_EQ(state.m_pfnScanFile2, nullptr);
    EXPECT_EQ(state.m_pfnScanFileWithAction, nullptr);
    EXPECT_EQ(state.m_pfnScanFileWithAction2, nullptr);
    EXPECT_EQ(state.m_pfnScanDirectory, nullptr);
}

class ScanPWrapperTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scanP.Unload();
        ASSERT_EQ(::GetModuleHandleW(L"ZEBScanP.dll"), nullptr) << "a scanner library is left over";
        m_commonFolder = CommonFilesFolder();
        ASSERT_FALSE(m_commonFolder.empty());
        m_commonDll = m_commonFolder + L"\\HALVREN\\ZEBScanP\\ZEBScanP.dll";
        ASSERT_FALSE(FileExists(m_commonDll)) << "the prefix already holds a scanner library";
    }
    void TearDown() override {
        m_scanP.Unload();
        ::SetDllDirectoryW(nullptr);
        if (m_commonPlaced) {
            ::DeleteFileW(m_commonDll.c_str());
            ::RemoveDirectoryW((m_commonFolder + L"\\HALVREN\\ZEBScanP").c_str());
            ::RemoveDirectoryW((m_commonFolder + L"\\HALVREN").c_str());
        }
        if (!m_scratch.empty()) RemoveTree(m_scratch);
    }

    void PlaceCommonCandidate() {
        ::CreateDirectoryW((m_commonFolder + L"\\HALVREN").c_str(), nullptr);
        ::CreateDirectoryW((m_commonFolder + L"\\HALVREN\\ZEBScanP").c_str(), nullptr);
        m_commonPlaced = true;
        ASSERT_TRUE(::CopyFileW(RecordDll().c_str(), m_commonDll.c_str(), FALSE));
    }
    // A directory holding copies of the recording double under the given names.
    std::wstring MakeDirectoryWith(const std::vector<std::wstring>& names) {
        m_scratch = MakeScratchDir(L"scanp");
        for (const std::wstring& name : names) {
            const std::wstring& source = name == L"ZEBScanPS.dll" ? RecordSDll() : RecordDll();
            EXPECT_TRUE(::CopyFileW(source.c_str(), (m_scratch + L"\\" + name).c_str(), FALSE));
        }
        return m_scratch;
    }

    CZEBScanPWrapper m_scanP;
    std::wstring m_commonFolder;
    std::wstring m_commonDll;
    std::wstring m_scratch;
    bool m_commonPlaced = false;
};

TEST_F(ScanPWrapperTest, NothingToLoadLeavesTheStateEmptyAndCureFails) {
    EXPECT_FALSE(m_scanP.Load(L"Engine A", L"Engine B"));
    EXPECT_FALSE(m_scanP.LoadFrom(L"Engine A", L"Engine B", MakeDirectoryWith({})));
    ExpectAllNull();
    EXPECT_FALSE(CZEBScanPWrapper::IsLoaded());
    m_scanP.Unload();
    ExpectAllNull();
    // Without a cure function nothing was cleaned, and success must not be claimed.
    EXPECT_EQ(m_scanP.Cure(0), CZEBScanPWrapper::kNoCureFunction);
    EXPECT_NE(m_scanP.Cure(reinterpret_cast<uintptr_t>(L"C:\\x.tmp")), 0);
}

TEST_F(ScanPWrapperTest, WithoutDirectoryTheCommonFolderComesBeforeTheSystemSearch) {
    // The system search finds the recording double in its build folder.
    ASSERT_TRUE(::SetDllDirectoryW(DoubleDir(L"scan_record").c_str()));
    PlaceCommonCandidate();
    ASSERT_TRUE(m_scanP.Load(L"Engine A", L"Engine B"));
    EXPECT_EQ(LoadedPath(), m_commonDll);
    m_scanP.Unload();

    ASSERT_TRUE(::DeleteFileW(m_commonDll.c_str()));
    ASSERT_TRUE(m_scanP.Load(L"Engine A", L"Engine B"));
    EXPECT_EQ(LoadedPath(), RecordDll());
}

TEST_F(ScanPWrapperTest, DirectoryCandidatesComeFirstInTheirOrder) {
    PlaceCommonCandidate();
    const std::wstring dir = MakeDirectoryWith({L"ZEBScanP.dll", L"ZEBScanPS.dll"});
    ASSERT_TRUE(m_scanP.LoadFrom(L"a", L"b", dir));
    EXPECT_EQ(LoadedPath(), dir + L"\\ZEBScanP.dll");
    m_scanP.Unload();

    ASSERT_TRUE(::DeleteFileW((dir + L"\\ZEBScanP.dll").c_str()));
    ASSERT_TRUE(m_scanP.LoadFrom(L"a", L"b", dir));
    EXPECT_EQ(LoadedPath(), dir + L"\\ZEBScanPS.dll");
    m_scanP.Unload();

    ASSERT_TRUE(::DeleteFileW((dir + L"\\ZEBScanPS.dll").c_str()));
    ASSERT_TRUE(m_scanP.LoadFrom(L"a", L"b", dir));
    EXPECT_EQ(LoadedPath(), m_commonDll);
}

TEST_F(ScanPWrapperTest, SecondLoadNeitherSearchesNorNamesAgain) {
    PlaceCommonCandidate();
    ASSERT_TRUE(m_scanP.Load(L"Engine A", L"Engine B"));
    const HMODULE first = CZEBScanPWrapper::State().m_hModule;
    const std::wstring named = Log();
    EXPECT_EQ(named, L"engine(0,Engine A)engine(1,Engine B)");

    // Another instance shares the state.
    CZEBScanPWrapper other;
    ASSERT_TRUE(other.Load(L"Other A", L"Other B"));
    EXPECT_EQ(CZEBScanPWrapper::State().m_hModule, first);
    EXPECT_EQ(Log(), named);

    // One release frees it: the second Load took no reference of its own.
    m_scanP.Unload();
    EXPECT_EQ(::GetModuleHandleW(m_commonDll.c_str()), nullptr);
}

TEST_F(ScanPWrapperTest, LoadFromWhileLoadedRenamesOnTheSameLibrary) {
    PlaceCommonCandidate();
    ASSERT_TRUE(m_scanP.Load(L"Engine A", L"Engine B"));
    const HMODULE first = CZEBScanPWrapper::State().m_hModule;
    ASSERT_TRUE(m_scanP.LoadFrom(L"C", L"D", MakeDirectoryWith({L"ZEBScanP.dll"})));
    EXPECT_EQ(CZEBScanPWrapper::State().m_hModule, first);
    EXPECT_EQ(Log(), L"engine(0,Engine A)engine(1,Engine B)engine(0,C)engine(1,D)");
    EXPECT_NE(CZEBScanPWrapper::State().m_pfnScanDirectory, nullptr);
    m_scanP.Unload();
    EXPECT_EQ(::GetModuleHandleW(m_commonDll.c_str()), nullptr);
}

TEST_F(ScanPWrapperTest, EveryEntryPointGetsItsSlot) {
    ASSERT_TRUE(m_scanP.LoadFrom(L"a", L"b", DoubleDir(L"scan_record")));
    const CZEBScanPWrapper::SharedState& state = CZEBScanPWrapper::State();
    const HMODULE module = state.m_hModule;
    EXPECT_EQ(state.m_pfnScanFile,
              ProcCast<PFN_ZEBScanPScanFile>(::GetProcAddress(module, "ZEBScanPScanFile")));
    EXPECT_EQ(state.m_pfnScanFile2,
              ProcCast<PFN_ZEBScanPScanFile2>(::GetProcAddress(module, "ZEBScanPScanFile2")));
    EXPECT_EQ(state.m_pfnScanFileWithAction,
              ProcCast<PFN_ZEBScanPScanFileWithAction>(
                  ::GetProcAddress(module, "ZEBScanPScanFileWithAction")));
    EXPECT_EQ(state.m_pfnScanFileWithAction2,
              ProcCast<PFN_ZEBScanPScanFileWithAction2>(
                  ::GetProcAddress(module, "ZEBScanPScanFileWithAction2")));
    EXPECT_EQ(state.m_pfnScanDirectory, ProcCast<PFN_ZEBScanPScanDirectory>(
                                            ::GetProcAddress(module, "ZEBScanPScanDirectory")));
    EXPECT_NE(state.m_pfnScanFile, nullptr);
    m_scanP.Unload();
    ExpectAllNull();
}

TEST_F(ScanPWrapperTest, LibraryWithoutEntryPointsLoadsWithEmptySlots) {
    ASSERT_TRUE(m_scanP.LoadFrom(L"Engine A", L"Engine B", DoubleDir(L"scan_empty")));
    const CZEBScanPWrapper::SharedState& state = CZEBScanPWrapper::State();
    EXPECT_NE(state.m_hModule, nullptr);
    EXPECT_TRUE(CZEBScanPWrapper::IsLoaded());
    EXPECT_EQ(state.m_pfnScanFile, nullptr);
    EXPECT_EQ(state.m_pfnScanFile2, nullptr);
    EXPECT_EQ(state.m_pfnScanFileWithAction, nullptr);
    EXPECT_EQ(state.m_pfnScanFileWithAction2, nullptr);
    EXPECT_EQ(state.m_pfnScanDirectory, nullptr);
    EXPECT_EQ(m_scanP.Cure(reinterpret_cast<uintptr_t>(L"C:\\x.tmp")),
              CZEBScanPWrapper::kNoCureFunction);
}

TEST_F(ScanPWrapperTest, EngineNamesArriveAsGivenOnCopies) {
    const std::wstring first = L"Engine A";
    const std::wstring empty;
    ASSERT_TRUE(m_scanP.LoadFrom(first, empty, DoubleDir(L"scan_record")));
    EXPECT_EQ(Log(), L"engine(0,Engine A)engine(1,)");
    // The double scribbles over what it was given.
    EXPECT_EQ(first, L"Engine A");
    m_scanP.Unload();

    const std::wstring german = L"Pr\u00fcfkern \u6f22\u5b57";
    const std::wstring longName(5000, L'n');
    ASSERT_TRUE(m_scanP.LoadFrom(german, longName, DoubleDir(L"scan_record")));
    EXPECT_EQ(Log(), L"engine(0," + german + L")engine(1," + longName + L")");
}

TEST_F(ScanPWrapperTest, UnloadTwiceFreesOnce) {
    // The test's own reference keeps the module alive only if the binding
    // released exactly one.
    CModule own(::LoadLibraryW(RecordDll().c_str()));
    ASSERT_TRUE(own);
    ASSERT_TRUE(m_scanP.LoadFrom(L"a", L"b", DoubleDir(L"scan_record")));
    EXPECT_EQ(CZEBScanPWrapper::State().m_hModule, own.Get());
    m_scanP.Unload();
    m_scanP.Unload();
    ExpectAllNull();
    EXPECT_EQ(::GetModuleHandleW(RecordDll().c_str()), own.Get());
    own.Reset();
    EXPECT_EQ(::GetModuleHandleW(RecordDll().c_str()), nullptr);
}

TEST_F(ScanPWrapperTest, CurePassesItsArgumentsAndTheAnswerThrough) {
    ASSERT_TRUE(m_scanP.LoadFrom(L"a", L"b", DoubleDir(L"scan_record")));
    const uintptr_t value = static_cast<uintptr_t>(0xFEDCBA9876543210ull);
    wchar_t expected[64];
    swprintf(expected, 64, L"cure(%llx,2,0)", static_cast<unsigned long long>(value));
    for (int32_t answer : {0, -3, 7, INT32_MIN, INT32_MAX}) {
        SetCureAnswer(answer);
        const std::wstring before = Log();
        EXPECT_EQ(m_scanP.Cure(value), answer);
        EXPECT_EQ(Log(), before + expected);
    }
}

}  // namespace
