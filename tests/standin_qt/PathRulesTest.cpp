#include <gtest/gtest.h>

#include "standin/zebqt/PathRules.h"

TEST(PathRules, QuarantineFolderTextEndsWithExactlyOneBackslash) {
    EXPECT_EQ(zq::WithOneTrailingBackslash(L"C:\\Q"), L"C:\\Q\\");
    EXPECT_EQ(zq::WithOneTrailingBackslash(L"C:\\Q\\\\/"), L"C:\\Q\\");
    EXPECT_EQ(zq::WithOneTrailingBackslash(L"C:\\"), L"C:\\");
    EXPECT_EQ(zq::WithOneTrailingBackslash(L"\\"), L"\\");
    EXPECT_EQ(zq::WithOneTrailingBackslash(L""), L"");
}

TEST(PathRules, LeafNamesThatStayInsideTheFolder) {
    EXPECT_EQ(zq::LeafName(L"\\\\?\\C:\\Data\\report.doc"), L"report.doc");
    EXPECT_EQ(zq::LeafName(L"C:\\a/b"), L"b");
    EXPECT_EQ(zq::LeafName(L"plain"), L"plain");
    for (const wchar_t* good : {L"report.doc", L"name with spaces.txt", L"\u6771\u4eac",
                                L".profile", L"CONSOLE.txt", L"COM10", L"a..b"})
        EXPECT_TRUE(zq::IsSafeLeafName(good)) << good;
    for (const wchar_t* bad :
         {L"", L".", L"..", L"...", L" ", L"a:b", L"a\\b", L"a/b", L"a*b", L"a?b", L"a\tb", L"CON",
          L"con.txt", L"NUL ", L"Com1.log", L"lpt9", L"CONIN$"})
        EXPECT_FALSE(zq::IsSafeLeafName(bad)) << bad;
    EXPECT_FALSE(zq::IsSafeLeafName(std::wstring(256, L'a')));
}

TEST(PathRules, ExtendedPathsResolveDotsAndRefuseWhatIsNotAbsolute) {
    std::wstring out;
    ASSERT_TRUE(zq::ToExtendedPath(L"C:\\a\\.\\b\\..\\c.txt", out));
    EXPECT_EQ(out, L"\\\\?\\C:\\a\\c.txt");
    ASSERT_TRUE(zq::ToExtendedPath(L"c:/x//y/", out));
    EXPECT_EQ(out, L"\\\\?\\c:\\x\\y");
    ASSERT_TRUE(zq::ToExtendedPath(L"C:\\dir\\name. ", out));
    EXPECT_EQ(out, L"\\\\?\\C:\\dir\\name");
    ASSERT_TRUE(zq::ToExtendedPath(L"\\\\server\\share\\d\\f", out));
    EXPECT_EQ(out, L"\\\\?\\UNC\\server\\share\\d\\f");
    ASSERT_TRUE(zq::ToExtendedPath(L"\\\\?\\C:\\keep\\name. ", out));
    EXPECT_EQ(out, L"\\\\?\\C:\\keep\\name. ");
    ASSERT_TRUE(zq::ToExtendedPath(L"\\\\?\\UNC\\srv\\sh\\f", out));
    EXPECT_EQ(out, L"\\\\?\\UNC\\srv\\sh\\f");
    for (const wchar_t* bad :
         {L"", L"relative\\f", L"\\rooted\\f", L"C:drive-relative", L"C:\\..\\up",
          L"\\\\.\\C:\\dev", L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\GLOBALROOT\\x", L"\\\\server",
          L"C:\\a\\b:c", L"C:\\a\\b|c"})
        EXPECT_FALSE(zq::ToExtendedPath(bad, out)) << bad;
}
