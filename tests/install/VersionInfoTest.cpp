#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/common/TestPaths.h"

// Explorer's Details tab reads these: both language blocks of every shipped
// binary carry the project version and the same set of texts.
namespace {

std::wstring Text(const std::vector<BYTE>& info, const wchar_t* block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || value == nullptr)
        return L"<missing>";
    std::wstring text(static_cast<const wchar_t*>(value), length);
    return text.substr(0, text.find(L'\0'));
}

}  // namespace

TEST(VersionInfo, ProgramAndLibrariesCarryTheProjectVersionInEnglishAndGerman) {
    struct Binary {
        std::wstring path;
        const wchar_t* fileName;
        const wchar_t* english;
        const wchar_t* german;
    };
    const std::wstring bin = TestBinDir();
    const Binary binaries[] = {
        {bin + L"\\Quarantine.exe", L"Quarantine.exe", L"ZEB Quarantine", L"ZEB Quarant\u00e4ne"},
        {bin + L"\\standin\\ZEBQt.dll", L"ZEBQt.dll", L"Quarantine library", L"Quarant\u00e4ne"},
        {bin + L"\\standin\\ZEBScanP.dll", L"ZEBScanP.dll", L"Scanner library", L"Scanner"},
    };
    const std::wstring version = QUARANTINE_VERSION;
    for (const Binary& binary : binaries) {
        SCOPED_TRACE(binary.path);
        DWORD handle = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(binary.path.c_str(), &handle);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> info(size);
        ASSERT_TRUE(::GetFileVersionInfoW(binary.path.c_str(), 0, size, info.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            ::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        const std::wstring fixedVersion = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                          std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                          std::to_wstring(HIWORD(fixed->dwFileVersionLS));
        EXPECT_EQ(fixedVersion, version);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

        struct Translation {
            WORD language;
            WORD codePage;
        }* translations = nullptr;
        ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                     reinterpret_cast<void**>(&translations), &length));
        ASSERT_EQ(length, 2 * sizeof(Translation));
        EXPECT_EQ(translations[0].language, 0x0409);
        EXPECT_EQ(translations[1].language, 0x0407);

        for (const wchar_t* block : {L"040904B0", L"040704B0"}) {
            SCOPED_TRACE(block);
            EXPECT_EQ(Text(info, block, L"CompanyName"), L"HALVREN");
            EXPECT_EQ(Text(info, block, L"FileVersion"), version);
            EXPECT_EQ(Text(info, block, L"ProductVersion"), version);
            EXPECT_EQ(Text(info, block, L"OriginalFilename"), binary.fileName);
            EXPECT_EQ(Text(info, block, L"LegalCopyright"), L"Copyright \u00a9 2026 HALVREN");
            EXPECT_NE(Text(info, block, L"ProductName").find(L"ZEB Quarant"), std::wstring::npos);
        }
        EXPECT_NE(Text(info, L"040904B0", L"FileDescription").find(binary.english),
                  std::wstring::npos);
        EXPECT_NE(Text(info, L"040704B0", L"FileDescription").find(binary.german),
                  std::wstring::npos);
    }
}
