#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "settings/Registry.h"
#include "framework/Handles.h"

namespace {

// The settings' own value names, written with every type and many sizes
// below throw-away keys of both roots the program reads from.
struct Place {
    HKEY root;
    const wchar_t* value;
};

std::wstring ThrowAwayKey() {
    return L"Software\\QuarantineHardeningTest-" + std::to_wstring(::GetCurrentProcessId());
}

// What the value must read as: its bytes as UTF-16 up to the first NUL, an odd
// last byte standing for itself.
std::wstring Expected(const std::vector<BYTE>& data) {
    std::wstring text;
    for (size_t i = 0; i < data.size(); i += 2) {
        const wchar_t ch =
            static_cast<wchar_t>(data[i] | (i + 1 < data.size() ? data[i + 1] << 8 : 0));
        if (ch == 0) break;
        text += ch;
    }
    return text;
}

class RegistryValuesTest : public ::testing::Test {
protected:
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ThrowAwayKey().c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ThrowAwayKey().c_str());
    }
};

TEST_F(RegistryValuesTest, EveryTypeAndSizeReadsAsItsBytes) {
    const Place places[] = {
        {HKEY_CURRENT_USER, kValuePath},
        {HKEY_CURRENT_USER, kValueDestPath},
        {HKEY_LOCAL_MACHINE, kValueQuarantineDef},
    };
    const DWORD types[] = {REG_NONE,
                           REG_SZ,
                           REG_EXPAND_SZ,
                           REG_BINARY,
                           REG_DWORD,
                           REG_DWORD_BIG_ENDIAN,
                           REG_LINK,
                           REG_MULTI_SZ,
                           REG_RESOURCE_LIST,
                           REG_FULL_RESOURCE_DESCRIPTOR,
                           REG_RESOURCE_REQUIREMENTS_LIST,
                           REG_QWORD,
                           0x1234,
                           0xFFFFFFFF};
    // Around the first buffer of 520 bytes and its first growth, and up to 1 MiB.
    const size_t sizes[] = {0, 1, 2, 3, 4, 518, 519, 520, 521, 522, 1040, 1041, 65537, 1 << 20};
    std::mt19937 random(4711);
    for (const Place& place : places) {
        const std::wstring key = ThrowAwayKey();
        CRegKey handle;
        ASSERT_EQ(::RegCreateKeyExW(place.root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                    handle.Put(), nullptr),
                  ERROR_SUCCESS);
        for (DWORD type : types) {
            for (size_t size : sizes) {
                // Without NULs, with one at a random place, and with many.
                // Large values take one pattern each, in turn, to keep the run short.
                for (int pattern = 0; pattern < 3; ++pattern) {
                    if (size > 4096 && pattern != static_cast<int>(type % 3)) continue;
                    std::vector<BYTE> data(size);
                    for (BYTE& b : data)
                        b = static_cast<BYTE>(std::uniform_int_distribution<int>(1, 255)(random));
                    if (pattern == 1 && size > 0)
                        data[std::uniform_int_distribution<size_t>(0, size - 1)(random)] = 0;
                    if (pattern == 2)
                        for (size_t i = 0; i < size; i += 7) data[i] = 0;
                    ASSERT_EQ(::RegSetValueExW(handle.Get(), place.value, 0, type, data.data(),
                                               static_cast<DWORD>(data.size())),
                              ERROR_SUCCESS);
                    ASSERT_EQ(ReadRegString(place.root, key, place.value, L"default"),
                              Expected(data))
                        << "type " << type << ", " << size << " bytes, pattern " << pattern;
                }
            }
        }
    }
}

TEST_F(RegistryValuesTest, OneMebibytePathIsReadWholeAndWrittenBack) {
    std::wstring path(1 << 19, L'\0');
    for (size_t i = 0; i < path.size(); ++i) path[i] = static_cast<wchar_t>(L'A' + i % 26);
    ASSERT_EQ(WriteRegString(HKEY_CURRENT_USER, ThrowAwayKey(), kValuePath, path, FALSE),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, ThrowAwayKey(), kValuePath, L""), path);
}

}  // namespace
