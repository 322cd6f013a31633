#include <gtest/gtest.h>

#include "ui/WalkFailures.h"

TEST(WalkFailures, NamesTheFirstFewWithTheirReasonsAndCountsTheRest) {
    const std::wstring head = L"%d of %d failed:";
    const std::wstring more = L"... and %d more.";
    CWalkFailures failures;
    failures.Add(L"a.qua", L"The target file could not be opened.");
    EXPECT_EQ(WalkFailureText(head, more, failures, 3),
              L"1 of 3 failed:\n\na.qua: The target file could not be opened.");

    for (int i = 0; i < 2118; ++i) failures.Add(L"r" + std::to_wstring(i), L"Unspecific error.");
    EXPECT_EQ(failures.Count(), 2119u);
    EXPECT_EQ(WalkFailureText(head, more, failures, 2120),
              L"2119 of 2120 failed:\n\na.qua: The target file could not be opened.\n"
              L"r0: Unspecific error.\nr1: Unspecific error.\nr2: Unspecific error.\n"
              L"r3: Unspecific error.\n... and 2114 more.");
}
