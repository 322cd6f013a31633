#include "tests/common/TestPaths.h"
#include "tests/standin_qt/LibraryFixture.h"

namespace {

// Runs the tool with the arguments and returns its exit code and output.
int RunTool(const std::wstring& arguments, std::string* output = nullptr) {
    const std::wstring tool = TestBinDir() + L"\\standin\\ZEBQtTool.exe";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    CFileHandle reader(readEnd);
    CKernelHandle writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring commandLine = L"\"" + tool + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(tool.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process))
        return -1;
    writer.Reset();
    CKernelHandle processHandle(process.hProcess), thread(process.hThread);
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    if (output != nullptr) *output = text;
    return static_cast<int>(code);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

}  // namespace

TEST_F(LibraryTest, ToolFillsAQuarantineTheLibraryCanListAndRestore) {
    const std::wstring file = root + L"\\sample file.txt";
    ASSERT_TRUE(WriteFileBytes(file, "tool sample"));
    std::string output;
    ASSERT_EQ(RunTool(L"add " + Quoted(qFolder) + L" " + Quoted(file) +
                          L" Test.Tool --keep --time 2021-03-04T05:06:07 --as \"\\\\?\\C:\\Old "
                          L"Place\\renamed.txt\"",
                      &output),
              0)
        << output;
    EXPECT_TRUE(FileExists(file)) << "--keep removed the original";
    ASSERT_EQ(RunTool(L"make-odd " + Quoted(qFolder) + L" damaged header"), 0);
    ASSERT_EQ(
        RunTool(L"make-odd " + Quoted(qFolder) + L" hosts \"10.0.0.1 evil.invalid\" Test.Hosts"),
        0);
    ASSERT_EQ(RunTool(L"bulk " + Quoted(qFolder) + L" 3 100"), 0);
    ASSERT_EQ(RunTool(L"list " + Quoted(qFolder), &output), 0);
    EXPECT_NE(output.find("2021-03-04T05:06:07\tTest.Tool\t1"), std::string::npos) << output;
    EXPECT_NE(output.find("\\\\?\\C:\\Old Place\\renamed.txt"), std::string::npos) << output;
    EXPECT_NE(output.find("(unreadable)"), std::string::npos) << output;
    EXPECT_NE(RunTool(L"make-odd " + Quoted(qFolder) + L" damaged nonsense"), 0);

    const std::vector<std::wstring> containers = Containers();
    ASSERT_EQ(containers.size(), 6u);
    const std::wstring out = root + L"\\out";
    int restored = 0, unreadable = 0, nowhere = 0;
    for (const std::wstring& container : containers) {
        const int32_t result = RestoreFile(container, out);
        restored += result == 0;
        unreadable += result == -1;
        nowhere += result == -2;
    }
    EXPECT_EQ(restored, 4);
    EXPECT_EQ(unreadable, 1);
    EXPECT_EQ(nowhere, 1);
    EXPECT_EQ(ReadFileBytes(out + L"\\renamed.txt"), "tool sample");
}
