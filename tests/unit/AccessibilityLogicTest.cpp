#include <gtest/gtest.h>

#include <commctrl.h>

#include "ui/AccessKeys.h"
#include "ui/ListFocus.h"
#include "ui/RowsText.h"
#include "ui/SortArrows.h"

TEST(AccessKeys, TheLetterAfterASingleAmpersandUpperCased) {
    const struct {
        const wchar_t* text;
        wchar_t key;
    } cases[] = {
        {L"&Restore...", L'R'},  {L"Clo&se", L'S'},
        {L"Sa&mmlung", L'M'},    {L"&Säubern und Zurückbewegen...", L'S'},
        {L"Zurück &über", L'Ü'}, {L"&...", L'.'},
        {L"Close", 0},           {L"R&&D", 0},  // "&&" shows an ampersand and marks nothing
        {L"R&&D &tools", L'T'},  {L"&&&x", L'X'},
        {L"trailing&", 0},       {L"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(AccessKeyOf(c.text), c.key) << c.text;
}

TEST(AccessKeys, TextAsShownDropsTheMarkAndKeepsADoubledAmpersand) {
    EXPECT_EQ(TextWithoutAccessKey(L"Quarantined &items:"), L"Quarantined items:");
    EXPECT_EQ(TextWithoutAccessKey(L"R&&D &tools"), L"R&D tools");
    EXPECT_EQ(TextWithoutAccessKey(L"&..."), L"...");
    EXPECT_EQ(TextWithoutAccessKey(L"end&"), L"end&");
}

TEST(AccessKeys, RepeatsAreFoundWithoutRegardToCaseAndNamedOnce) {
    EXPECT_TRUE(RepeatedAccessKeys({L"&Path:", L"Re&load", L"&Restore...", L"Close"}).empty());
    EXPECT_EQ(RepeatedAccessKeys({L"&Säubern", L"&sammlung", L"&Zurück", L"S&chließen",
                                  L"Sa&mmlung", L"&SOS", L"&zu"}),
              (std::vector<wchar_t>{L'S', L'Z'}));
}

TEST(RowsText, HeaderLineThenOneTabSeparatedLinePerRow) {
    EXPECT_EQ(RowsAsText({L"Name", L"Virus"}, {{L"a.q", L"V1"}, {L"b.q", L""}}),
              L"Name\tVirus\r\na.q\tV1\r\nb.q\t\r\n");
    // A tab or line break in a cell must not start a new cell or row.
    EXPECT_EQ(RowsAsText({L"N"}, {{L"a\tb\r\nc"}}), L"N\r\na b  c\r\n");
    EXPECT_EQ(RowsAsText({L"N", L"V"}, {}), L"N\tV\r\n");
}

TEST(SortArrows, OnlyTheSortedColumnShowsItsDirection) {
    const int plain = HDF_STRING | HDF_LEFT;
    const struct {
        int format, column, sorted;
        bool descending;
        int expected;
    } cases[] = {
        {plain, 2, 2, false, plain | HDF_SORTUP},
        {plain, 2, 2, true, plain | HDF_SORTDOWN},
        {plain | HDF_SORTUP, 2, 2, true, plain | HDF_SORTDOWN},
        {plain | HDF_SORTDOWN, 2, 2, false, plain | HDF_SORTUP},
        {plain | HDF_SORTUP, 1, 2, false, plain},
        {plain | HDF_SORTDOWN, 0, 2, true, plain},
        {plain | HDF_SORTUP, 0, -1, false, plain},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HeaderFormatWithSortArrow(c.format, c.column, c.sorted, c.descending), c.expected)
            << c.column << " sorted " << c.sorted;
}

TEST(ListFocus, AfterARefillTheRowWhereTheSelectionBeganClampedToTheList) {
    const struct {
        int previous, count, expected;
    } cases[] = {
        {-1, 5, 0}, {0, 5, 0}, {3, 5, 3}, {4, 4, 3}, {9, 2, 1}, {2, 0, -1}, {-1, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RowToFocusAfterRefill(c.previous, c.count), c.expected)
            << c.previous << " of " << c.count;
}

TEST(ListFocus, AfterARefillTheSelectionsItemThenTheNearestAfterItThenBefore) {
    const struct {
        int firstSelected, count;
        std::vector<int> expected;
    } cases[] = {
        {2, 5, {2, 3, 4, 1, 0}}, {0, 3, {0, 1, 2}}, {2, 3, {2, 1, 0}}, {-1, 3, {}}, {3, 3, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FocusCandidateRows(c.firstSelected, c.count), c.expected)
            << c.firstSelected << " of " << c.count;
}
