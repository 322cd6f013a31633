#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

namespace {

// Runs a copy of the program with a command line that makes it load the
// quarantine library by its plain name and end without a window, in a chosen
// current directory and with a chosen PATH; answers the marker library's
// record of where it was loaded from (empty when it was not loaded).
class LibraryPlantingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = MakeScratchDir(L"planting");
        m_app = m_root + L"\\app";
        m_cwd = m_root + L"\\cwd";
        m_onPath = m_root + L"\\onpath";
        for (const std::wstring& dir : {m_app, m_cwd, m_onPath, m_root + L"\\q", m_root + L"\\out"})
            ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
        ASSERT_TRUE(::CopyFileW((TestBinDir() + L"\\Quarantine.exe").c_str(),
                                (m_app + L"\\Quarantine.exe").c_str(), FALSE));
        m_marker = m_root + L"\\loaded.txt";
    }
    void TearDown() override { RemoveTree(m_root); }

    void Plant(const std::wstring& dir) {
        ASSERT_TRUE(::CopyFileW((TestBinDir() + L"\\doubles\\plant_marker\\ZEBQt.dll").c_str(),
                                (dir + L"\\ZEBQt.dll").c_str(), FALSE));
    }

    std::wstring RunProgram(const std::wstring& extraPath = std::wstring()) {
        ::DeleteFileW(m_marker.c_str());
        const std::wstring oldPath = Environment(L"PATH");
        if (!extraPath.empty())
            ::SetEnvironmentVariableW(L"PATH", (extraPath + L";" + oldPath).c_str());
        ::SetEnvironmentVariableW(L"QUARANTINE_PLANT_MARKER", m_marker.c_str());

        std::wstring commandLine = L"\"" + m_app + L"\\Quarantine.exe\" /S=\"" + m_root +
                                   L"\\q\" /D=\"" + m_root + L"\\out\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        const BOOL started = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                              nullptr, m_cwd.c_str(), &startup, &info);
        ::SetEnvironmentVariableW(L"QUARANTINE_PLANT_MARKER", nullptr);
        ::SetEnvironmentVariableW(L"PATH", oldPath.c_str());
        EXPECT_TRUE(started);
        if (!started) return L"<not started>";
        CKernelHandle process(info.hProcess);
        CKernelHandle thread(info.hThread);
        if (::WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.Get(), 1);
            ADD_FAILURE() << "the program did not end";
        }
        const std::string bytes = ReadFileBytes(m_marker);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                            bytes.size() / sizeof(wchar_t));
    }

    static std::wstring Environment(const wchar_t* name) {
        std::wstring value(32768, L'\0');
        value.resize(::GetEnvironmentVariableW(name, &value[0], static_cast<DWORD>(value.size())));
        return value;
    }

    std::wstring m_root, m_app, m_cwd, m_onPath, m_marker;
};

TEST_F(LibraryPlantingTest, ALibraryInTheCurrentDirectoryIsNotLoaded) {
    Plant(m_cwd);
    EXPECT_EQ(RunProgram(), L"");
}

TEST_F(LibraryPlantingTest, TheOtherPlacesOfTheSearchStay) {
    Plant(m_cwd);
    Plant(m_onPath);
    EXPECT_EQ(RunProgram(m_onPath), m_onPath + L"\\ZEBQt.dll\n");
    Plant(m_app);
    EXPECT_EQ(RunProgram(m_onPath), m_app + L"\\ZEBQt.dll\n");
}

}  // namespace
