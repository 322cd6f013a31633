#include <gtest/gtest.h>

#include "quarantine/ZEBQtWrapper.h"
#include "tests/loader/DebuggeeRun.h"
#include "tests/loader/LoaderProbe.h"
#include "tests/loader/LoaderTestSupport.h"

namespace {

// Every "open" of a wrapper that has nothing bound answers -1, and the other
// calls the system makes answer 5.
void ExpectAllStubbed(CZEBQtWrapper& w) {
    int32_t kind = 0;
    wchar_t buffer[8] = {};
    SYSTEMTIME time = {};
    uint32_t info = 0;
    EXPECT_EQ(w.ZEBQtOpenQuarantine(L"C:\\Q\\"), -1);
    EXPECT_EQ(w.ZEBQtCreateNewContainer(1, L"v"), -1);
    EXPECT_EQ(w.ZEBQtOpenContainer(1, 0), -1);
    EXPECT_EQ(w.ZEBQtOpenContainerByName(L"C:\\Q\\a"), -1);
    EXPECT_EQ(w.ZEBQtOpenObject(1, 0, &kind), -1);
    EXPECT_EQ(w.ZEBQtGetQuarantineProperties(1, buffer, 8), 5);
    EXPECT_EQ(w.ZEBQtGetContainerProperties(1, buffer, 8, buffer, 8, &time, &info, &info), 5);
    EXPECT_EQ(w.ZEBQtStartEnumContainers(1), 5);
    EXPECT_EQ(w.ZEBQtRestoreContainer(1, L"", 0, nullptr, 0, 0), 5);
    EXPECT_EQ(w.ZEBQtExport(1, L"x"), 5);
    EXPECT_EQ(w.ZEBQtGetContainerCount(1), 0);
    EXPECT_EQ(w.ZEBQtGetNextQFile(1, buffer, 8), 1);
}

std::wstring ProbeCommand(const std::wstring& directory, const wchar_t* extra = L"") {
    return L"\"" + TestBinDir() + L"\\loader_probe.exe\" \"" + directory + L"\" " + extra;
}

}  // namespace

TEST(Loader, ConstructedAndUnloadedWrappersAnswerWithStubs) {
    CZEBQtWrapper w;
    EXPECT_EQ(w.m_hModule, nullptr);
    EXPECT_FALSE(w.m_bEntryPointMissing);
    ExpectAllStubbed(w);
    w.Unload();
    w.Unload();
    EXPECT_EQ(w.m_hModule, nullptr);

    ASSERT_TRUE(w.Load(DoubleDir(L"noexport")));
    const std::wstring file = DoubleDir(L"noexport") + L"\\ZEBQt.dll";
    EXPECT_NE(::GetModuleHandleW(file.c_str()), nullptr);
    w.Unload();
    EXPECT_EQ(w.m_hModule, nullptr);
    EXPECT_FALSE(w.m_bEntryPointMissing);
    EXPECT_EQ(::GetModuleHandleW(file.c_str()), nullptr) << "the library stayed loaded";
    ExpectAllStubbed(w);
    w.Unload();
    ExpectAllStubbed(w);
}

TEST(Loader, BindsEveryEntryPointOfACompleteLibrary) {
    CZEBQtWrapper w;
    ASSERT_TRUE(w.Load(DoubleDir(L"all")));
    EXPECT_NE(w.m_hModule, nullptr);
    EXPECT_FALSE(w.m_bEntryPointMissing);
    int32_t kind = 0;
    EXPECT_EQ(w.ZEBQtOpenQuarantine(L"C:\\Q\\"), 77);
    EXPECT_EQ(w.ZEBQtOpenObject(1, 0, &kind), 77);
    EXPECT_EQ(w.ZEBQtExport(1, L"x"), 77);
    EXPECT_EQ(w.ZEBQtGetQFileInfo(L"x", nullptr, 0, nullptr), 77);
}

TEST(Loader, SecondLoadKeepsTheFirstLibraryAndItsBindings) {
    CZEBQtWrapper w;
    ASSERT_TRUE(w.Load(DoubleDir(L"all")));
    const HMODULE first = w.m_hModule;
    EXPECT_TRUE(w.Load(DoubleDir(L"noexport")));
    EXPECT_EQ(w.m_hModule, first);
    EXPECT_FALSE(w.m_bEntryPointMissing);
    EXPECT_EQ(w.ZEBQtExport(1, L"x"), 77);
    EXPECT_EQ(::GetModuleHandleW((DoubleDir(L"noexport") + L"\\ZEBQt.dll").c_str()), nullptr);

    CZEBQtWrapper gaps;
    ASSERT_TRUE(gaps.Load(DoubleDir(L"noexport")));
    EXPECT_TRUE(gaps.Load(DoubleDir(L"all")));
    EXPECT_TRUE(gaps.m_bEntryPointMissing) << "a second Load must not rebind";
    EXPECT_EQ(gaps.ZEBQtExport(1, L"x"), 5);
}

TEST(Loader, MissingEntryPointsGetStubsAndTheRestStillBind) {
    CZEBQtWrapper w;
    ASSERT_TRUE(w.Load(DoubleDir(L"noexport")));
    EXPECT_TRUE(w.m_bEntryPointMissing);
    EXPECT_EQ(w.ZEBQtExport(1, L"x"), 5);
    EXPECT_EQ(w.ZEBQtMoveToQuarantine(L"a", L"b", L"c"), 77);
    EXPECT_EQ(w.ZEBQtGetNextQFile(1, nullptr, 0), 77);
    w.Unload();

    ASSERT_TRUE(w.Load(DoubleDir(L"gaps")));
    EXPECT_TRUE(w.m_bEntryPointMissing);
    EXPECT_EQ(w.ZEBQtOpenQuarantine(L"C:\\Q\\"), -1);
    EXPECT_EQ(w.ZEBQtGetContainerCount(1), 0);
    EXPECT_EQ(w.ZEBQtRestoreContainer(1, L"", 0, nullptr, 0, 0), 5);
    EXPECT_EQ(w.ZEBQtGetQFileInfo(L"x", nullptr, 0, nullptr), 5);
    EXPECT_EQ(w.ZEBQtCloseQuarantine(1), 77);
    EXPECT_EQ(w.ZEBQtOpenContainer(1, 0), 77);
    EXPECT_EQ(w.ZEBQtGetQFileCount(1), 77);
}

TEST(Loader, DirectoryWithOrWithoutTrailingSeparator) {
    for (const std::wstring& directory : {DoubleDir(L"all"), DoubleDir(L"all") + L"\\"}) {
        CZEBQtWrapper w;
        ASSERT_TRUE(w.Load(directory)) << directory;
        EXPECT_EQ(ModuleFolderOf(w.m_hModule), Lower(DoubleDir(L"all")));
        EXPECT_FALSE(w.m_bEntryPointMissing);
    }
}

TEST(Loader, CandidatesNeverLeadToTheRootOfTheCurrentDrive) {
    typedef std::vector<std::wstring> Paths;
    const struct {
        const wchar_t* directory;
        const wchar_t* commonFiles;
        Paths expected;
    } rows[] = {
        {L"", L"C:\\CF", {L"ZEBQt.dll", L"C:\\CF\\HALVREN\\ZEBScanP\\ZEBQt.dll"}},
        {L"D:\\x", L"C:\\CF", {L"D:\\x\\ZEBQt.dll", L"C:\\CF\\HALVREN\\ZEBScanP\\ZEBQt.dll"}},
        // No common program files folder: no "\\HALVREN\\..." on whatever drive is current.
        {L"", L"", {L"ZEBQt.dll"}},
        {L"D:\\x", L"", {L"D:\\x\\ZEBQt.dll"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ZEBQtLibraryCandidates(row.directory, row.commonFiles), row.expected)
            << row.directory << L" | " << row.commonFiles;
}

TEST(Loader, NothingToLoadLeavesTheWrapperUnbound) {
    const std::wstring empty = MakeScratchDir(L"loader-empty");
    CZEBQtWrapper w;
    EXPECT_FALSE(w.Load(empty));
    EXPECT_EQ(w.m_hModule, nullptr);
    EXPECT_FALSE(w.m_bEntryPointMissing);
    ExpectAllStubbed(w);
    // The program's own folder holds no library either.
    EXPECT_FALSE(w.Load(std::wstring()));
    RemoveTree(empty);
}

TEST(LoaderDebugOutput, EachMissingEntryPointIsReportedAsTwoTexts) {
    const DebuggeeRun run = RunAsDebuggee(ProbeCommand(DoubleDir(L"noexport")));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kProbeLoaded | kProbeEntryPointMissing | kProbeExportStubbed));
    EXPECT_EQ(run.debugOutput,
              (std::vector<std::string>{"GetProcAddress(ZEBQt) FAILED for ZEBQtExport", "\n"}));
}

TEST(LoaderDebugOutput, GapsAreReportedInTableOrderAndOnlyOnce) {
    const DebuggeeRun run = RunAsDebuggee(ProbeCommand(DoubleDir(L"gaps"), L"twice"));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kProbeLoaded | kProbeEntryPointMissing));
    EXPECT_EQ(run.debugOutput, (std::vector<std::string>{
                                   "GetProcAddress(ZEBQt) FAILED for ZEBQtOpenQuarantine", "\n",
                                   "GetProcAddress(ZEBQt) FAILED for ZEBQtGetContainerCount", "\n",
                                   "GetProcAddress(ZEBQt) FAILED for ZEBQtRestoreContainer", "\n",
                                   "GetProcAddress(ZEBQt) FAILED for ZEBQtGetQFileInfo", "\n"}));
}

TEST(LoaderDebugOutput, CompleteOrAbsentLibrarySaysNothing) {
    DebuggeeRun run = RunAsDebuggee(ProbeCommand(DoubleDir(L"all")));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kProbeLoaded));
    EXPECT_TRUE(run.debugOutput.empty());

    const std::wstring empty = MakeScratchDir(L"loader-quiet");
    run = RunAsDebuggee(ProbeCommand(empty));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, DWORD(kProbeExportStubbed));
    EXPECT_TRUE(run.debugOutput.empty());
    RemoveTree(empty);
}
