#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "audit/FileSha256.h"
#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

namespace {

class FileSha256Test : public ::testing::Test {
protected:
    void SetUp() override { m_dir = MakeScratchDir(L"sha256"); }
    void TearDown() override { RemoveTree(m_dir); }

    std::wstring m_dir;
};

// Published vectors, and contents that end inside, and exactly at the end of,
// the 256 KiB chunks the file is read in.
TEST_F(FileSha256Test, KnownDigests) {
    const struct {
        std::string content;
        const wchar_t* digest;
    } cases[] = {
        {"", L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000000, 'a'),
         L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string(2 * 256 * 1024, 'Z'),
         L"0d57ce7e6f299b77f1aa75b8b0198aaaa910b6fd2ea09bfc4a5fcc4d2023f5d2"},
    };
    for (const auto& c : cases) {
        const std::wstring path = m_dir + L"\\file-" + std::to_wstring(c.content.size());
        ASSERT_TRUE(WriteFileBytes(path, c.content));
        std::wstring hex;
        EXPECT_TRUE(FileSha256(path, &hex)) << c.content.size() << " bytes";
        EXPECT_EQ(hex, c.digest) << c.content.size() << " bytes";
    }
}

TEST_F(FileSha256Test, FailsEmptyOnWhatCannotBeRead) {
    const std::wstring held = m_dir + L"\\held";
    ASSERT_TRUE(WriteFileBytes(held, "abc"));
    // Open for writing by someone who shares nothing.
    CFileHandle exclusive(
        ::CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(exclusive);
    for (const std::wstring& path : {m_dir + L"\\missing", m_dir, held}) {
        std::wstring hex = L"left over";
        EXPECT_FALSE(FileSha256(path, &hex)) << testing::PrintToString(path);
        EXPECT_EQ(hex, L"");
    }
}

}  // namespace
