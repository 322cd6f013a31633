#include <gtest/gtest.h>

#include "cli/CommandLine.h"

TEST(CommandLine, ReadsBothSwitchesInEitherOrder) {
    CommandLineValues v = ParseCommandLine(L"/S=\"C:\\Quarantine\" /D=\"C:\\Out\"");
    EXPECT_EQ(v.source, L"C:\\Quarantine");
    EXPECT_EQ(v.destination, L"C:\\Out");
    v = ParseCommandLine(L"/D=\"C:\\Out\" /S=\"C:\\Quarantine\"");
    EXPECT_EQ(v.source, L"C:\\Quarantine");
    EXPECT_EQ(v.destination, L"C:\\Out");
}

TEST(CommandLine, MissingOrUnrecognisedSwitchesLeaveValuesEmpty) {
    EXPECT_EQ(ParseCommandLine(L"").source, L"");
    EXPECT_EQ(ParseCommandLine(L"/S=\"C:\\Quarantine\"").destination, L"");
    const CommandLineValues lower = ParseCommandLine(L"/s=\"x\" /d=\"y\"");
    EXPECT_EQ(lower.source, L"");
    EXPECT_EQ(lower.destination, L"");
    EXPECT_EQ(ParseCommandLine(L"/S= \"x\"").source, L"");
    EXPECT_EQ(ParseCommandLine(L"/S=\"\" /D=\"y\"").source, L"");
}

TEST(CommandLine, ValueRunsToTheNextQuoteOfEitherSwitchOrToTheEnd) {
    CommandLineValues v = ParseCommandLine(L"/S=\"abc /D=\"def\"");
    EXPECT_EQ(v.source, L"abc /D=");
    EXPECT_EQ(v.destination, L"def");
    v = ParseCommandLine(L"/D=\"C:\\Out\" /S=\"C:\\Quarantine");
    EXPECT_EQ(v.source, L"C:\\Quarantine");
    EXPECT_EQ(v.destination, L"C:\\Out");
}

TEST(CommandLine, KeepsInnerAndTrailingBlanks) {
    EXPECT_EQ(ParseCommandLine(L"/S=\" x \"").source, L" x ");
    EXPECT_EQ(ParseCommandLine(L"/D=\"a b  \"").destination, L"a b  ");
}

TEST(CommandLine, FirstOccurrenceWins) {
    EXPECT_EQ(ParseCommandLine(L"/S=\"one\" /S=\"two\"").source, L"one");
}
