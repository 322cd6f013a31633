#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "settings/Folders.h"
#include "settings/Registry.h"
#include "tests/common/PolicySandbox.h"

namespace {

// Each test works below its own throw-away key of the current user.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_key = L"Software\\QuarantineSettingsTest-" + std::to_wstring(::GetCurrentProcessId());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str());
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }

    void SetRaw(const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
        CRegKey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, type, data.data(),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    // The stored type and bytes of a value.
    bool GetRaw(const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
        CRegKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_READ, key.Put()) !=
            ERROR_SUCCESS)
            return false;
        DWORD size = 0;
        if (::RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.assign(size, 0);
        return ::RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size) ==
               ERROR_SUCCESS;
    }
    std::wstring Read(const wchar_t* name, const std::wstring& def = std::wstring()) {
        return ReadRegString(HKEY_CURRENT_USER, m_key, name, def);
    }

    std::wstring m_key;
};

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
    std::vector<BYTE> bytes;
    for (int v : values) bytes.push_back(static_cast<BYTE>(v));
    return bytes;
}

TEST_F(RegistryTest, AbsentKeyReadsTheDefaultAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(Read(kValuePath), L"");
    EXPECT_EQ(Read(kValueDestPath, L"fallback"), L"fallback");
    CRegKey probe;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_READ, probe.Put()),
              ERROR_SUCCESS);

    EXPECT_EQ(WriteRegString(HKEY_CURRENT_USER, m_key, kValuePath, L"C:\\Q\\", FALSE),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(kValuePath), L"C:\\Q\\");
    // The key now exists, the other value still does not.
    EXPECT_EQ(Read(kValueDestPath, L"fallback"), L"fallback");
    EXPECT_EQ(WriteRegString(HKEY_CURRENT_USER, m_key, kValuePath, L"D:\\Other\\", FALSE),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(kValuePath), L"D:\\Other\\");
}

TEST_F(RegistryTest, WrittenValuesAreStringsWithTheirNul) {
    ASSERT_EQ(WriteRegString(HKEY_CURRENT_USER, m_key, kValueDestPath, L"", FALSE), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetRaw(kValueDestPath, type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, Bytes({0, 0}));

    ASSERT_EQ(WriteRegString(HKEY_CURRENT_USER, m_key, kValuePath, L"%SystemRoot%\\Q", TRUE),
              ERROR_SUCCESS);
    ASSERT_TRUE(GetRaw(kValuePath, type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data.size(), (wcslen(L"%SystemRoot%\\Q") + 1) * 2);
    // Read as stored, not expanded.
    EXPECT_EQ(Read(kValuePath), L"%SystemRoot%\\Q");
}

TEST_F(RegistryTest, LongValuesAreReadWhole) {
    for (size_t length : {259u, 260u, 261u, 300u, 32768u}) {
        std::wstring path = L"C:\\";
        while (path.size() < length) path += L"Ordner\u00e4\u6f22\\";
        path.resize(length);
        ASSERT_EQ(WriteRegString(HKEY_CURRENT_USER, m_key, kValuePath, path, FALSE), ERROR_SUCCESS);
        EXPECT_EQ(Read(kValuePath), path) << length;
    }
    // 64 KiB of data without any NUL at all.
    std::vector<BYTE> data(65536);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(0x41 + i % 26);
    SetRaw(kValuePath, REG_SZ, data);
    std::wstring expected;
    for (size_t i = 0; i < data.size(); i += 2)
        expected.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    EXPECT_EQ(Read(kValuePath), expected);
}

TEST_F(RegistryTest, OtherTypesAreTakenFromTheirBytesUpToTheFirstNul) {
    struct Case {
        DWORD type;
        std::vector<BYTE> data;
        std::wstring expected;
    } cases[] = {
        {REG_BINARY, Bytes({'A', 0, 'B', 0, 0, 0, 'C', 0}), L"AB"},
        {REG_BINARY, Bytes({'A', 0, 'B', 0}), L"AB"},
        // An odd last byte is a character of its own, nothing after it counts.
        {REG_BINARY, Bytes({'A', 0, 'B'}), L"AB"},
        {REG_BINARY, Bytes({'Z'}), L"Z"},
        {REG_BINARY, Bytes({}), L""},
        {REG_DWORD, Bytes({'A', 0, 'B', 0}), L"AB"},
        {REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12}),
         std::wstring{wchar_t(0x5678), wchar_t(0x1234)}},
        {REG_MULTI_SZ, Bytes({'o', 0, 'n', 0, 'e', 0, 0, 0, 't', 0, 'w', 0, 'o', 0, 0, 0, 0, 0}),
         L"one"},
        {REG_QWORD, Bytes({0, 0, 'A', 0, 'B', 0, 'C', 0}), L""},
        {REG_NONE, Bytes({'x', 0}), L"x"},
    };
    for (const Case& c : cases) {
        SetRaw(kValuePath, c.type, c.data);
        EXPECT_EQ(Read(kValuePath, L"default"), c.expected)
            << "type " << c.type << ", " << c.data.size() << " bytes";
    }
}

TEST_F(RegistryTest, FailuresAreSilent) {
    EXPECT_EQ(ReadRegString(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234)), m_key,
                            kValuePath, L"d"),
              L"d");
    EXPECT_NE(WriteRegString(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234)), m_key,
                             kValuePath, L"x", FALSE),
              ERROR_SUCCESS);
    // A key where a value is expected, and a value name that is empty.
    ASSERT_EQ(WriteRegString(HKEY_CURRENT_USER, m_key + L"\\Sub", kValuePath, L"x", FALSE),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(L"Sub", L"d"), L"d");
}

}  // namespace

// The organisation's policies as the program reads them: the computer's value
// before the user's, each only in the type the templates write, a folder's
// variables expanded, and the folders they set before the user's own.
TEST(Policies, TheComputerRanksFirstAndOnlyTheirOwnTypesCount) {
    CPolicySandbox policies;
    const QuarantinePolicy none = ReadQuarantinePolicy();
    for (const PolicyDefinition& definition : kPolicies)
        EXPECT_FALSE(none.values[static_cast<size_t>(definition.id)].set) << definition.valueName;

    const DWORD one = 1;
    // Restore: the computer allows what the user's branch forbids.
    policies.SetSwitch(HKEY_LOCAL_MACHINE, PolicyId::DisallowRestore, 0);
    policies.SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowRestore, 1);
    // Delete: the user's branch alone forbids it.
    policies.SetSwitch(HKEY_CURRENT_USER, PolicyId::DisallowDelete, 1);
    // Collection: a "1" typed as text is not the templates' switch.
    policies.SetRaw(HKEY_LOCAL_MACHINE, L"DisallowCollection", REG_SZ, L"1", 4);
    policies.SetRaw(HKEY_CURRENT_USER, L"DisallowCollection", REG_BINARY, &one, sizeof one);
    // The quarantine folder has no user branch; the computer's is expanded.
    policies.SetFolder(HKEY_CURRENT_USER, PolicyId::QuarantineFolder, L"C:\\User");
    policies.SetFolder(HKEY_LOCAL_MACHINE, PolicyId::QuarantineFolder, L"%SystemDrive%\\Policy\\",
                       REG_EXPAND_SZ);
    // An empty destination of the computer's names none: the user's counts.
    policies.SetFolder(HKEY_LOCAL_MACHINE, PolicyId::DestinationFolder, L"");
    policies.SetFolder(HKEY_CURRENT_USER, PolicyId::DestinationFolder, L"D:\\%Out%", REG_SZ);

    const QuarantinePolicy policy = ReadQuarantinePolicy();
    EXPECT_FALSE(policy.Forbids(PolicyId::DisallowRestore));
    EXPECT_TRUE(policy.Forbids(PolicyId::DisallowDelete));
    EXPECT_FALSE(policy.Forbids(PolicyId::DisallowCollection));
    EXPECT_EQ(policy.Folder(PolicyId::QuarantineFolder), L"C:\\Policy\\");
    EXPECT_EQ(policy.Folder(PolicyId::DestinationFolder), L"D:\\%Out%");
    EXPECT_EQ(StartingQuarantineFolder(), L"C:\\Policy");
    EXPECT_EQ(StartingDestinationFolder(), L"D:\\%Out%");
}
