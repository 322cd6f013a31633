#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"
#include "tests/cmdline/ProgramRun.h"
#include "tests/gui/GuiDriver.h"

// The installer as a user or an administrator's script runs it: silent
// install into this prefix, the installed program at work, silent uninstall,
// and what is left afterwards, with and without the product's own libraries,
// with the product arriving after us, with the program running, and an
// upgrade by a newer version's installer; and the interactive setup's last
// page.
namespace {

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\HALVREN Quarantine";
const wchar_t kProductKey[] = L"Software\\HALVREN\\ZEBScanP";
const wchar_t kEventSourceKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quarantine";

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file's content compared without printing either side: libraries.
bool HasContent(const std::wstring& path, const std::string& bytes) {
    return ReadFileBytes(path) == bytes;
}

bool KeyExists(const wchar_t* key) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    ::RegCloseKey(hKey);
    return true;
}

// A machine-wide text value; "<absent>" when there is none.
std::wstring MachineText(const wchar_t* key, const wchar_t* value) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return L"<absent>";
    return text;
}

// The event source's message file; "<absent>" when it is not registered.
std::wstring EventMessageFile() {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kEventSourceKey, L"EventMessageFile",
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, text,
                       &size) != ERROR_SUCCESS)
        return L"<absent>";
    return text;
}

// Runs a command line and waits until it and every process it started have
// ended: the uninstaller hands over to a copy of itself in the temporary
// folder and returns at once. The exit code is the first process's; -1 when
// it could not start or did not end within two minutes.
long RunToTheEnd(std::wstring commandLine) {
    CKernelHandle job(::CreateJobObjectW(nullptr, nullptr));
    CKernelHandle port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {job.Get(), port.Get()};
    if (!job || !port ||
        !::SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation,
                                   &association, sizeof association))
        return -1;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                          nullptr, nullptr, &startup, &pi))
        return -1;
    CKernelHandle process(pi.hProcess);
    CKernelHandle thread(pi.hThread);
    ::AssignProcessToJobObject(job.Get(), process.Get());
    ::ResumeThread(thread.Get());
    const DWORD deadline = ::GetTickCount() + 120000;
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const DWORD now = ::GetTickCount();
        if (static_cast<LONG>(deadline - now) <= 0 ||
            !::GetQueuedCompletionStatus(port.Get(), &message, &key, &overlapped, deadline - now)) {
            ::TerminateJobObject(job.Get(), 255);
            return -1;
        }
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) break;
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.Get(), &exitCode);
    return static_cast<long>(exitCode);
}

// Drives an installer's or uninstaller's window until it ends: clicks the
// default button (Install, Uninstall, Finish) whenever it can be clicked, and
// answers a message box that offers Retry by calling beforeRetry and clicking
// Retry. False when it has not ended within a minute.
bool ClickThrough(
    HANDLE process, DWORD processId, const std::function<void()>& beforeRetry = [] {}) {
    struct Search {
        DWORD processId;
        std::vector<HWND> windows;
    } search = {processId, {}};
    const auto click = [](HWND button) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    };
    const DWORD start = ::GetTickCount();
    while (::WaitForSingleObject(process, 50) != WAIT_OBJECT_0) {
        if (::GetTickCount() - start > 60000) return false;
        search.windows.clear();
        ::EnumWindows(
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lParam);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(hWnd, &owner);
                if (owner == s->processId && ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd))
                    s->windows.push_back(hWnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        for (const HWND window : search.windows) {
            if (const HWND retry = ::GetDlgItem(window, IDRETRY)) {
                beforeRetry();
                click(retry);
            } else {
                const HWND next = ::GetDlgItem(window, IDOK);
                if (next && ::IsWindowVisible(next) && ::IsWindowEnabled(next)) click(next);
            }
        }
    }
    return true;
}

// Waits for a process running the given program; answers its id and its
// parent's, or 0 when none appeared within a minute.
DWORD WaitForProcessOf(const std::wstring& exe, DWORD* parentId) {
    const DWORD start = ::GetTickCount();
    do {
        CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
             more = ::Process32NextW(snapshot.Get(), &entry)) {
            CKernelHandle process(
                ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
            wchar_t path[MAX_PATH] = {};
            DWORD size = MAX_PATH;
            if (process && ::QueryFullProcessImageNameW(process.Get(), 0, path, &size) &&
                ::CompareStringOrdinal(path, -1, exe.c_str(), -1, TRUE) == CSTR_EQUAL) {
                *parentId = entry.th32ParentProcessID;
                return entry.th32ProcessID;
            }
        }
        ::Sleep(50);
    } while (::GetTickCount() - start < 60000);
    return 0;
}

class Installer : public testing::Test {
protected:
    void SetUp() override {
        m_setup = TestBinDir() + L"\\..\\dist\\" + QUARANTINE_SETUP_NAME;
        if (!Exists(m_setup))
            GTEST_SKIP() << "no installer was built (makensis missing when the build was "
                            "configured; tools/setup installs it)";
        // The session's desktop window must stand before a setup runs in a
        // job: where the setup's first window made it, its process would
        // belong to the job, which then never ends.
        ::GetDesktopWindow();
        RemoveLeftovers();
        ASSERT_FALSE(Exists(m_productDir)) << "the test prefix must start without the product";
        m_scratch = ScratchForThisTest();
    }
    void TearDown() override {
        RemoveLeftovers();
        if (!m_scratch.empty()) RemoveTree(m_scratch);
    }

    // Whatever an earlier, interrupted run may have left, so that it cannot
    // mislead this run or the other suites that share the prefix.
    void RemoveLeftovers() {
        RemoveTree(m_installDir);
        ::RemoveDirectoryW(m_installDir.c_str());
        ::RemoveDirectoryW(m_vendorDir.c_str());
        ::DeleteFileW(m_shortcut.c_str());
        RemoveTree(m_productDir);
        ::RemoveDirectoryW(m_productDir.c_str());
        ::RemoveDirectoryW((ShellFolder(CSIDL_PROGRAM_FILES_COMMON) + L"\\HALVREN").c_str());
        RemoveTree(m_quarantineDir);
        ::RemoveDirectoryW(m_quarantineDir.c_str());
        ::RemoveDirectoryW((ShellFolder(CSIDL_COMMON_APPDATA) + L"\\HALVREN").c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    long Install() { return RunToTheEnd(L"\"" + m_setup + L"\" /S"); }
    long InstallUpgrade() {
        return RunToTheEnd(L"\"" + m_upgradeDir + L"\\" + QUARANTINE_UPGRADE_SETUP_NAME + L"\" /S");
    }
    long Uninstall() { return RunToTheEnd(L"\"" + m_installDir + L"\\Uninstall.exe\" /S"); }
    // The exit code of the uninstall itself, which the uninstaller's hand-over
    // to a copy of itself loses: a script that needs it runs such a copy
    // itself, told by _?= where the installation is.
    long UninstallWithExitCode() {
        return RunToTheEnd(L"\"" + UninstallerCopy() + L"\" /S _?=" + m_installDir);
    }
    std::wstring UninstallerCopy() {
        const std::wstring copy = m_scratch + L"\\Uninstall.exe";
        EXPECT_TRUE(::CopyFileW((m_installDir + L"\\Uninstall.exe").c_str(), copy.c_str(), FALSE));
        return copy;
    }

    // A library of the product where the stand-in would go, told apart from
    // the stand-in by the bytes behind its image; answers its content.
    std::string PutProductLibrary(const std::wstring& name) {
        std::string product = ReadFileBytes(TestBinDir() + L"\\standin\\" + name);
        EXPECT_FALSE(product.empty());
        product += "installed by the product";
        ::SHCreateDirectoryExW(nullptr, m_productDir.c_str(), nullptr);
        EXPECT_TRUE(WriteFileBytes(m_productDir + L"\\" + name, product));
        return product;
    }

    // Two files quarantined into the folder by the stand-in library's tool.
    void FillQuarantine(const std::wstring& folder) {
        const std::wstring originals = m_scratch + L"\\originals";
        ::CreateDirectoryW(originals.c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        for (const auto& file : m_files) {
            const std::wstring path = originals + L"\\" + file.first;
            ASSERT_TRUE(WriteFileBytes(path, file.second));
            ASSERT_TRUE(QuarantineWithTool(folder, path));
        }
    }

    // The installed program's windowless restore of the whole quarantine.
    void ExpectInstalledProgramRestores(const std::wstring& quarantine) {
        const std::wstring destination = m_scratch + L"\\restored";
        ::CreateDirectoryW(destination.c_str(), nullptr);
        const ProgramRun run =
            RunProgram(m_installDir + L"\\Quarantine.exe",
                       L"/S=\"" + quarantine + L"\" /D=\"" + destination + L"\"");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        for (const auto& file : m_files)
            EXPECT_EQ(ReadFileBytes(destination + L"\\" + file.first), file.second) << file.first;
    }

    void ExpectProgramInstalled() {
        EXPECT_TRUE(Exists(m_installDir + L"\\Quarantine.exe"));
        EXPECT_TRUE(Exists(m_installDir + L"\\Quarantine.com"));
        EXPECT_EQ(EventMessageFile(), m_installDir + L"\\Quarantine.exe");
        EXPECT_TRUE(Exists(m_installDir + L"\\Uninstall.exe"));
        EXPECT_TRUE(Exists(m_shortcut));
        EXPECT_EQ(MachineText(kUninstallKey, L"DisplayName"), L"Quarantine");
        EXPECT_EQ(MachineText(kUninstallKey, L"DisplayVersion"), QUARANTINE_VERSION);
        EXPECT_EQ(MachineText(kUninstallKey, L"Publisher"), L"HALVREN");
        EXPECT_EQ(MachineText(kUninstallKey, L"QuietUninstallString"),
                  L"\"" + m_installDir + L"\\Uninstall.exe\" /S");
    }

    void ExpectProgramGone() {
        EXPECT_FALSE(Exists(m_installDir));
        EXPECT_FALSE(Exists(m_vendorDir));
        EXPECT_FALSE(Exists(m_shortcut));
        EXPECT_FALSE(KeyExists(kUninstallKey));
        EXPECT_FALSE(KeyExists(kEventSourceKey));
    }

    CSettingsSandbox m_settings;  // QuarantineDef starts absent and is put back
    std::wstring m_setup;
    // The newer version's installer and the stand-ins it carries.
    const std::wstring m_upgradeDir = TestBinDir() + L"\\" + QUARANTINE_UPGRADE_DIR;
    std::wstring m_scratch;
    const std::wstring m_vendorDir = ShellFolder(CSIDL_PROGRAM_FILES) + L"\\HALVREN";
    const std::wstring m_installDir = m_vendorDir + L"\\Quarantine";
    const std::wstring m_shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Quarantine.lnk";
    const std::wstring m_productDir =
        ShellFolder(CSIDL_PROGRAM_FILES_COMMON) + L"\\HALVREN\\ZEBScanP";
    const std::wstring m_quarantineDir =
        ShellFolder(CSIDL_COMMON_APPDATA) + L"\\HALVREN\\Quarantine";
    const std::vector<std::pair<std::wstring, std::string>> m_files = {
        {L"Bericht M\u00e4rz.txt", "Quarterly figures\r\n"},
        {L"setup tool.exe", std::string("MZ\x90\0tool", 8)}};
};

}  // namespace

TEST_F(Installer, WithoutTheProductInstallsStandinsAndAnEmptyQuarantineAndTakesThemAway) {
    ASSERT_EQ(Install(), 0);
    ExpectProgramInstalled();
    EXPECT_TRUE(Exists(m_productDir + L"\\ZEBQt.dll"));
    EXPECT_TRUE(Exists(m_productDir + L"\\ZEBScanP.dll"));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), m_quarantineDir + L"\\");
    EXPECT_TRUE(Exists(m_quarantineDir));
    EXPECT_TRUE(FilesIn(m_quarantineDir).empty());
    // Installing over an installation keeps track of what the first one added.
    ASSERT_EQ(Install(), 0);

    ASSERT_EQ(Uninstall(), 0);
    ExpectProgramGone();
    EXPECT_FALSE(Exists(m_productDir));
    EXPECT_FALSE(Exists(m_quarantineDir));
    EXPECT_FALSE(Exists(ShellFolder(CSIDL_COMMON_APPDATA) + L"\\HALVREN"));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), L"<absent>");
}

TEST_F(Installer, InstalledProgramRestoresAndAQuarantineThatHoldsFilesStays) {
    ASSERT_EQ(Install(), 0);
    FillQuarantine(m_quarantineDir);
    ExpectInstalledProgramRestores(m_quarantineDir);

    ASSERT_EQ(Uninstall(), 0);
    ExpectProgramGone();
    EXPECT_FALSE(Exists(m_productDir));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), L"<absent>");
    EXPECT_EQ(FilesIn(m_quarantineDir).size(), m_files.size());
}

TEST_F(Installer, TheProductsLibrariesAndSettingsAreNeitherReplacedNorRemoved) {
    // The product's quarantine library, and its own quarantine folder.
    const std::string product = PutProductLibrary(L"ZEBQt.dll");
    const std::wstring productQuarantine = m_scratch + L"\\product quarantine";
    FillQuarantine(productQuarantine);
    m_settings.SetQuarantineDef(productQuarantine + L"\\");

    ASSERT_EQ(Install(), 0);
    ExpectProgramInstalled();
    EXPECT_TRUE(HasContent(m_productDir + L"\\ZEBQt.dll", product));
    EXPECT_FALSE(Exists(m_productDir + L"\\ZEBScanP.dll"));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), productQuarantine + L"\\");
    EXPECT_FALSE(Exists(m_quarantineDir));
    ExpectInstalledProgramRestores(productQuarantine);

    ASSERT_EQ(Uninstall(), 0);
    ExpectProgramGone();
    EXPECT_TRUE(HasContent(m_productDir + L"\\ZEBQt.dll", product));
    EXPECT_EQ(FilesIn(m_productDir).size(), 1u);
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), productQuarantine + L"\\");
}

// The product installed after us, putting its own libraries where our
// stand-ins are: the libraries it brings, each case on its own.
class ProductAfterUs : public Installer,
                       public testing::WithParamInterface<std::vector<std::wstring>> {};

TEST_P(ProductAfterUs, KeepsItsLibrariesAndQuarantineDefThroughOurSetupAndUninstall) {
    ASSERT_EQ(Install(), 0);
    std::map<std::wstring, std::string> product;
    for (const auto& name : GetParam()) product[name] = PutProductLibrary(name);
    // The product adopts the default quarantine folder it found.
    const std::wstring quarantineDef = MachineText(kProductKey, L"QuarantineDef");
    ASSERT_EQ(quarantineDef, m_quarantineDir + L"\\");

    ASSERT_EQ(Install(), 0);
    for (const auto& library : product)
        EXPECT_TRUE(HasContent(m_productDir + L"\\" + library.first, library.second))
            << library.first;

    ASSERT_EQ(Uninstall(), 0);
    ExpectProgramGone();
    for (const auto& library : product)
        EXPECT_TRUE(HasContent(m_productDir + L"\\" + library.first, library.second))
            << library.first;
    // A stand-in the product did not replace was still ours, and went.
    EXPECT_EQ(FilesIn(m_productDir).size(), product.size());
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), quarantineDef);
    EXPECT_TRUE(Exists(m_quarantineDir));
}

INSTANTIATE_TEST_SUITE_P(Installer, ProductAfterUs,
                         testing::Values(std::vector<std::wstring>{L"ZEBQt.dll", L"ZEBScanP.dll"},
                                         std::vector<std::wstring>{L"ZEBQt.dll"},
                                         std::vector<std::wstring>{L"ZEBScanP.dll"}));

TEST_F(Installer, WhileTheProgramRunsNeitherUpgradeNorUninstallChangesAnything) {
    ASSERT_EQ(Install(), 0);
    const std::string qt = ReadFileBytes(m_productDir + L"\\ZEBQt.dll");
    const std::string scanP = ReadFileBytes(m_productDir + L"\\ZEBScanP.dll");
    const auto expectUnchanged = [&] {
        ExpectProgramInstalled();
        EXPECT_TRUE(HasContent(m_productDir + L"\\ZEBQt.dll", qt));
        EXPECT_TRUE(HasContent(m_productDir + L"\\ZEBScanP.dll", scanP));
        EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), m_quarantineDir + L"\\");
        EXPECT_TRUE(Exists(m_quarantineDir));
    };
    // The installed program, then a copy elsewhere that loads our stand-ins
    // from the product's folder.
    const std::wstring programs[] = {m_installDir + L"\\Quarantine.exe",
                                     StageProgram(m_scratch, L"")};
    for (const auto& exe : programs) {
        SCOPED_TRACE(exe);
        DWORD processId = 0;
        const CKernelHandle program = StartProgram(exe, L"", &processId);
        ASSERT_TRUE(program);
        ASSERT_TRUE(WaitForProgramWindow(program.Get(), processId));
        EXPECT_EQ(InstallUpgrade(), 2);
        expectUnchanged();
        EXPECT_EQ(UninstallWithExitCode(), 2);
        expectUnchanged();
        ::TerminateProcess(program.Get(), 0);
        ::WaitForSingleObject(program.Get(), 10000);
    }

    ASSERT_EQ(UninstallWithExitCode(), 0);
    ExpectProgramGone();
    EXPECT_FALSE(Exists(m_productDir));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), L"<absent>");
}

TEST_F(Installer, AnUpgradeKeepsTheSettingsAndOwnsTheNewerStandins) {
    ASSERT_EQ(Install(), 0);
    m_settings.SetPath(L"C:\\Users\\Public\\Quarantine\\");
    m_settings.SetDestPath(L"C:\\Users\\Public\\Restored\\");
    FillQuarantine(m_quarantineDir);

    ASSERT_EQ(InstallUpgrade(), 0);
    EXPECT_EQ(MachineText(kUninstallKey, L"DisplayVersion"), QUARANTINE_UPGRADE_VERSION);
    const std::wstring newerStandins = m_upgradeDir + L"\\upgrade-bin\\standin";
    const std::string newerScanP = ReadFileBytes(newerStandins + L"\\ZEBScanP.dll");
    EXPECT_TRUE(
        HasContent(m_productDir + L"\\ZEBQt.dll", ReadFileBytes(newerStandins + L"\\ZEBQt.dll")));
    EXPECT_TRUE(HasContent(m_productDir + L"\\ZEBScanP.dll", newerScanP));
    EXPECT_FALSE(HasContent(TestBinDir() + L"\\standin\\ZEBScanP.dll", newerScanP));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), m_quarantineDir + L"\\");
    EXPECT_EQ(m_settings.Path(), L"C:\\Users\\Public\\Quarantine\\");
    EXPECT_EQ(m_settings.DestPath(), L"C:\\Users\\Public\\Restored\\");
    ExpectInstalledProgramRestores(m_quarantineDir);

    // The product then replaces the quarantine library only: the uninstall
    // tells it from the newer stand-in beside it.
    const std::string product = PutProductLibrary(L"ZEBQt.dll");
    ASSERT_EQ(Uninstall(), 0);
    ExpectProgramGone();
    EXPECT_TRUE(HasContent(m_productDir + L"\\ZEBQt.dll", product));
    EXPECT_FALSE(Exists(m_productDir + L"\\ZEBScanP.dll"));
    EXPECT_EQ(MachineText(kProductKey, L"QuarantineDef"), m_quarantineDir + L"\\");
    EXPECT_EQ(FilesIn(m_quarantineDir).size(), m_files.size());
    EXPECT_EQ(m_settings.Path(), L"C:\\Users\\Public\\Quarantine\\");
}

TEST_F(Installer, TheFinishPageStartsTheProgramThroughTheShellNotAsTheSetupsChild) {
    // The setup runs elevated; a program it started itself would inherit that.
    DWORD setupId = 0;
    const CKernelHandle setup = StartProgram(m_setup, L"", &setupId);
    ASSERT_TRUE(setup);
    ASSERT_TRUE(ClickThrough(setup.Get(), setupId));
    ExpectProgramInstalled();

    DWORD parentId = 0;
    const DWORD programId = WaitForProcessOf(m_installDir + L"\\Quarantine.exe", &parentId);
    ASSERT_NE(programId, 0u) << "Run Quarantine started nothing";
    CKernelHandle program(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, programId));
    EXPECT_NE(parentId, setupId);
    // Ended once it is up, not while it starts.
    EXPECT_TRUE(WaitForProgramWindow(program.Get(), programId));
    ::TerminateProcess(program.Get(), 0);
    ::WaitForSingleObject(program.Get(), 10000);

    ASSERT_EQ(Uninstall(), 0);
    ExpectProgramGone();
}

TEST_F(Installer, AnInteractiveUninstallAsksToCloseTheProgramAndGoesOnOnceItIsClosed) {
    ASSERT_EQ(Install(), 0);
    DWORD programId = 0;
    const CKernelHandle program = StartProgram(m_installDir + L"\\Quarantine.exe", L"", &programId);
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitForProgramWindow(program.Get(), programId));

    DWORD uninstallId = 0;
    const CKernelHandle uninstall =
        StartProgram(UninstallerCopy(), L"_?=" + m_installDir, &uninstallId);
    ASSERT_TRUE(uninstall);
    bool asked = false;
    ASSERT_TRUE(ClickThrough(uninstall.Get(), uninstallId, [&] {
        if (!asked) {
            ExpectProgramInstalled();
            ::TerminateProcess(program.Get(), 0);
            ::WaitForSingleObject(program.Get(), 10000);
        }
        asked = true;
    }));
    EXPECT_TRUE(asked);
    ExpectProgramGone();
    EXPECT_FALSE(Exists(m_productDir));
}

namespace {

const wchar_t kUninstallRoot[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The Windows Installer package as an administrator deploys it: msiexec,
// silent, with a log.
class MsiPackage : public testing::Test {
protected:
    void SetUp() override {
        m_msi = TestBinDir() + L"\\" + QUARANTINE_MSI;
        m_upgrade = TestBinDir() + L"\\" + QUARANTINE_MSI_UPGRADE;
        if (std::wstring(QUARANTINE_MSI).empty() || !Exists(m_msi))
            GTEST_SKIP() << "no MSI was built (wixl missing when the build was configured; "
                            "tools/setup installs it)";
        ::GetDesktopWindow();
        m_scratch = ScratchForThisTest();
        RemoveTree(m_installDir);
    }
    void TearDown() override {
        if (!m_scratch.empty()) RemoveTree(m_scratch);
    }

    long Msiexec(const std::wstring& arguments) {
        return RunToTheEnd(L"msiexec " + arguments + L" /qn /l*v \"" + m_scratch + L"\\msiexec-" +
                           std::to_wstring(++m_runs) + L".log\"");
    }

    // The versions under installed programs named "Quarantine" by a package.
    static std::vector<std::wstring> InstalledVersions() {
        std::vector<std::wstring> versions;
        HKEY hRoot = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ, &hRoot) !=
            ERROR_SUCCESS)
            return versions;
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (::RegEnumKeyExW(hRoot, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            const std::wstring key = std::wstring(kUninstallRoot) + L"\\" + name;
            if (name[0] == L'{' && MachineText(key.c_str(), L"DisplayName") == L"Quarantine") {
                EXPECT_EQ(MachineText(key.c_str(), L"Publisher"), L"HALVREN");
                versions.push_back(MachineText(key.c_str(), L"DisplayVersion"));
            }
        }
        ::RegCloseKey(hRoot);
        return versions;
    }

    std::wstring m_msi, m_upgrade, m_scratch;
    int m_runs = 0;
    const std::wstring m_vendorDir = ShellFolder(CSIDL_PROGRAM_FILES) + L"\\HALVREN";
    const std::wstring m_installDir = m_vendorDir + L"\\Quarantine";
    const std::wstring m_shortcut = ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Quarantine.lnk";
    const std::wstring m_productDir =
        ShellFolder(CSIDL_PROGRAM_FILES_COMMON) + L"\\HALVREN\\ZEBScanP";
    // Wine's Windows Installer puts a per-machine package's shortcut in the
    // user's Start menu; Windows puts it in the common one.
    const std::wstring m_userShortcut = ShellFolder(CSIDL_PROGRAMS) + L"\\Quarantine.lnk";
};

}  // namespace

// Install, upgrade in place to the next version, an older version refused,
// and removal: nothing of ours is left, and a library of the product planted
// before is untouched.
TEST_F(MsiPackage, InstallsUpgradesInPlaceRefusesAnOlderVersionAndLeavesTheProductAlone) {
    ::SHCreateDirectoryExW(nullptr, m_productDir.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(m_productDir + L"\\ZEBQt.dll", "the product's own library"));

    ASSERT_EQ(Msiexec(L"/i \"" + m_msi + L"\""), 0);
    for (const wchar_t* name : {L"Quarantine.exe", L"Quarantine.com", L"README.txt"})
        EXPECT_TRUE(Exists(m_installDir + L"\\" + name)) << name;
    EXPECT_EQ(ReadFileBytes(m_installDir + L"\\Quarantine.exe"),
              ReadFileBytes(TestBinDir() + L"\\Quarantine.exe"));
    EXPECT_TRUE(Exists(m_shortcut) || Exists(m_userShortcut));
    EXPECT_EQ(EventMessageFile(), m_installDir + L"\\Quarantine.exe");
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{QUARANTINE_VERSION});

    ASSERT_EQ(Msiexec(L"/i \"" + m_upgrade + L"\""), 0);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{QUARANTINE_MSI_UPGRADE_VERSION});
    EXPECT_TRUE(Exists(m_installDir + L"\\Quarantine.exe"));

    EXPECT_NE(Msiexec(L"/i \"" + m_msi + L"\""), 0) << "an older version over a newer one";
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{QUARANTINE_MSI_UPGRADE_VERSION});

    ASSERT_EQ(Msiexec(L"/x \"" + m_upgrade + L"\""), 0);
    EXPECT_TRUE(InstalledVersions().empty());
    EXPECT_FALSE(Exists(m_installDir));
    // The package removes the vendor's folder (RemoveFolder); Wine's
    // Windows Installer leaves it, empty.
    EXPECT_TRUE(!Exists(m_vendorDir) || FilesIn(m_vendorDir).empty());
    ::RemoveDirectoryW(m_vendorDir.c_str());
    EXPECT_FALSE(Exists(m_shortcut));
    EXPECT_FALSE(Exists(m_userShortcut));
    EXPECT_FALSE(KeyExists(kEventSourceKey));
    EXPECT_EQ(ReadFileBytes(m_productDir + L"\\ZEBQt.dll"), "the product's own library");
    RemoveTree(m_productDir);
    ::RemoveDirectoryW(m_productDir.c_str());
    ::RemoveDirectoryW((ShellFolder(CSIDL_PROGRAM_FILES_COMMON) + L"\\HALVREN").c_str());
}

// Where the setup program's install is there, the package says so and ends
// before it changes anything: one program under installed programs, not two.
TEST_F(MsiPackage, EndsWithoutChangesWhereTheSetupProgramInstalledIt) {
    const std::wstring setup = TestBinDir() + L"\\..\\dist\\" + QUARANTINE_SETUP_NAME;
    if (!Exists(setup)) GTEST_SKIP() << "no setup program was built";
    CSettingsSandbox settings;
    ASSERT_EQ(RunToTheEnd(L"\"" + setup + L"\" /S"), 0);
    const std::string installed = ReadFileBytes(m_installDir + L"\\Quarantine.exe");

    EXPECT_NE(Msiexec(L"/i \"" + m_msi + L"\""), 0);
    EXPECT_TRUE(InstalledVersions().empty());
    EXPECT_EQ(ReadFileBytes(m_installDir + L"\\Quarantine.exe"), installed);
    EXPECT_TRUE(KeyExists(kUninstallKey));

    const std::wstring uninstaller = m_scratch + L"\\Uninstall.exe";
    ASSERT_TRUE(
        ::CopyFileW((m_installDir + L"\\Uninstall.exe").c_str(), uninstaller.c_str(), FALSE));
    EXPECT_EQ(RunToTheEnd(L"\"" + uninstaller + L"\" /S _?=" + m_installDir), 0);
    RemoveTree(m_installDir);
    ::RemoveDirectoryW(m_installDir.c_str());
    ::RemoveDirectoryW(m_vendorDir.c_str());
}
