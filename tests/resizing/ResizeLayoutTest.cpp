#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "ui/ResizeLayout.h"

namespace {

RECT Rect(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}

void ExpectRect(const RECT& actual, int l, int t, int r, int b) {
    EXPECT_EQ(actual.left, l);
    EXPECT_EQ(actual.top, t);
    EXPECT_EQ(actual.right, r);
    EXPECT_EQ(actual.bottom, b);
}

// Reference window 400 x 300 unless a test says otherwise.
ResizeItem Item(int h, int v, RECT rc, int bandStart = 0, int bandReserve = 0, int refW = 400,
                int refH = 300) {
    return MakeResizeItem(7, h, v, rc, false, bandStart, bandReserve, refW, refH);
}

ResizeChange Change(int dW, int dH, int refW = 400, int refH = 300) {
    return {dW, dH, refW + dW, refH + dH};
}

}  // namespace

TEST(ResizeLayout, RegistrationTakesRatiosOnlyForProportionalModes) {
    const ResizeItem prop = Item(3, 4, Rect(100, 60, 140, 210), 30, 50);
    EXPECT_DOUBLE_EQ(prop.dHorzRatio, 100.0 / 300.0);
    // Band: 300 - 50 = 250 high, from y = 30; top 30 in, bottom 180 in.
    EXPECT_DOUBLE_EQ(prop.dTopRatio, 30.0 / 220.0);
    EXPECT_DOUBLE_EQ(prop.dBottomRatio, 180.0 / 70.0);
    EXPECT_EQ(prop.nBandStart, 30);
    EXPECT_EQ(prop.nBandReserve, 50);

    const ResizeItem plain = Item(2, 1, Rect(100, 60, 140, 210), 30, 50);
    EXPECT_EQ(plain.dHorzRatio, 0);
    EXPECT_EQ(plain.dTopRatio, 0);
    EXPECT_EQ(plain.dBottomRatio, 0);
    EXPECT_EQ(plain.nBandStart, 0);
    EXPECT_EQ(plain.nBandReserve, 0);
    EXPECT_EQ(plain.nID, 7);
    ExpectRect(plain.rc, 100, 60, 140, 210);
}

TEST(ResizeLayout, FixedStretchAndMoveAddTheChange) {
    const RECT rc = Rect(10, 20, 110, 70);
    ExpectRect(LayoutResizeItem(Item(0, 0, rc), Change(100, 50)), 10, 20, 110, 70);
    ExpectRect(LayoutResizeItem(Item(1, 1, rc), Change(100, 50)), 10, 20, 210, 120);
    ExpectRect(LayoutResizeItem(Item(2, 2, rc), Change(100, 50)), 110, 70, 210, 120);
    ExpectRect(LayoutResizeItem(Item(1, 2, rc), Change(-30, -5)), 10, 15, 80, 65);
    // Stretching past the left edge is not prevented: the arithmetic must
    // stay reversible.
    ExpectRect(LayoutResizeItem(Item(1, 0, rc), Change(-150, 0)), 10, 20, -40, 70);
}

TEST(ResizeLayout, UnknownModesLeaveTheirAxisAlone) {
    const RECT rc = Rect(10, 20, 110, 70);
    ExpectRect(LayoutResizeItem(Item(4, 2, rc), Change(100, 50)), 10, 70, 110, 120);
    ExpectRect(LayoutResizeItem(Item(-1, 5, rc), Change(100, 50)), 10, 20, 110, 70);
    ExpectRect(LayoutResizeItem(Item(2, 99, rc), Change(100, 50)), 110, 20, 210, 70);
}

TEST(ResizeLayout, HorizontalProportionalKeepsShareAndWidth) {
    // Left edge halfway: stays halfway of the new width.
    ExpectRect(LayoutResizeItem(Item(3, 0, Rect(200, 5, 230, 25)), Change(100, 0)), 250, 5, 280,
               25);
    // 100 of 300 is a third; a third of 401 is 133.67, truncated.
    ExpectRect(LayoutResizeItem(Item(3, 0, Rect(100, 5, 130, 25), 0, 0, 300), Change(101, 0, 300)),
               133, 5, 163, 25);
    // The share is of the window width alone, whatever the change says.
    ResizeChange change = Change(0, 0);
    change.nWidth = 800;
    ExpectRect(LayoutResizeItem(Item(3, 0, Rect(200, 5, 230, 25)), change), 400, 5, 430, 25);
}

TEST(ResizeLayout, BandPositionsTruncateTowardZeroAfterAddingTheStart) {
    // Band from y = 10 over the whole height 200; the top lies 9 above it, a
    // share of -0.045. At height 210: 10 - 9.45 = 0.55, which truncates to 0
    // (truncating before adding the start would give 10 - 9 = 1).
    ExpectRect(
        LayoutResizeItem(Item(0, 3, Rect(0, 1, 50, 21), 10, 0, 400, 200), Change(0, 10, 400, 200)),
        0, 0, 50, 20);
    // Negative results truncate toward zero: -9.45 is -9, not -10.
    ExpectRect(
        LayoutResizeItem(Item(0, 3, Rect(0, -9, 50, 11), 0, 0, 400, 200), Change(0, 10, 400, 200)),
        0, -9, 50, 11);
}

TEST(ResizeLayout, BandEdgesBothFollowTheBand) {
    // Band from y = 40, window height less 60: 240 high at the reference
    // height of 300. Top a quarter in, bottom halfway.
    const ResizeItem item = Item(0, 4, Rect(5, 100, 45, 160), 40, 60);
    // At height 361 the band is 301: top 40 + 75.25, bottom 40 + 150.5.
    ExpectRect(LayoutResizeItem(item, Change(0, 61)), 5, 115, 45, 190);
    // Mode 3 keeps the height instead.
    ExpectRect(LayoutResizeItem(Item(0, 3, Rect(5, 100, 45, 160), 40, 60), Change(0, 61)), 5, 115,
               45, 175);
}

TEST(ResizeLayout, ProportionalItemsComeBackToTheirPlaceAtTheStartingSize) {
    // r / (r + 1) in floating point misses whole numbers by a hair for many
    // registrations (100 of 400 gives 99.999...); the registered place must
    // still come back exactly.
    for (int left = 0; left < 400; ++left) {
        const ResizeItem item = Item(3, 0, Rect(left, 0, left + 10, 10));
        ASSERT_EQ(LayoutResizeItem(item, Change(0, 0)).left, left) << left;
    }
    for (int top = 40; top < 280; ++top) {
        const ResizeItem item = Item(0, 4, Rect(0, top, 10, top + 7), 40, 60);
        const RECT rc = LayoutResizeItem(item, Change(0, 0));
        ASSERT_EQ(rc.top, top) << top;
        ASSERT_EQ(rc.bottom, top + 7) << top;
    }
}

TEST(ResizeLayout, GrowingAndShrinkingBackRestoresEveryMode) {
    const int deltas[][2] = {{120, 45}, {-300, -280}, {17, 3}, {163, 232}};
    for (int h = 0; h <= 3; ++h) {
        for (int v = 0; v <= 4; ++v) {
            const ResizeItem start = Item(h, v, Rect(60, 90, 180, 140), 20, 40);
            ResizeItem item = start;
            int w = 400, ht = 300;
            for (const auto& d : deltas) {
                w += d[0];
                ht += d[1];
                item.rc = LayoutResizeItem(item, {d[0], d[1], w, ht});
            }
            ASSERT_EQ(w, 400);
            ASSERT_EQ(ht, 300);
            EXPECT_TRUE(EqualRect(&item.rc, &start.rc)) << "modes " << h << "," << v;
        }
    }
}

TEST(ResizeLayout, DegenerateRegistrationsStayFiniteAndSensible) {
    // Left edge at the reference width: the ratio is infinite and the edge
    // stays at the window's right end, which is where moving would put it.
    const ResizeItem atEnd = Item(3, 0, Rect(400, 0, 420, 10));
    EXPECT_TRUE(std::isinf(atEnd.dHorzRatio));
    ExpectRect(LayoutResizeItem(atEnd, Change(50, 0)), 450, 0, 470, 10);
    ExpectRect(LayoutResizeItem(atEnd, Change(0, 0)), 400, 0, 420, 10);

    // A band of zero height (reserve equals the window height): no edge has a
    // share of it, so everything stays where it was registered.
    for (int v = 3; v <= 4; ++v) {
        const ResizeItem atStart = Item(0, v, Rect(0, 30, 10, 30), 30, 300);
        const ResizeItem inside = Item(0, v, Rect(0, 40, 10, 60), 30, 300);
        EXPECT_FALSE(std::isnan(atStart.dTopRatio));
        EXPECT_FALSE(std::isnan(inside.dBottomRatio));
        for (int dH : {0, 1, 75, -20}) {
            ExpectRect(LayoutResizeItem(atStart, Change(0, dH)), 0, 30, 10, 30);
            ExpectRect(LayoutResizeItem(inside, Change(0, dH)), 0, 40, 10, 60);
        }
    }

    // An edge at the band's end stays at the band's end.
    ExpectRect(LayoutResizeItem(Item(0, 4, Rect(0, 100, 10, 280), 40, 60), Change(0, 30)), 0, 107,
               10, 310);

    // A window of zero width at registration: the left edge stays put.
    ExpectRect(LayoutResizeItem(Item(3, 0, Rect(5, 0, 15, 10), 0, 0, 0), Change(200, 0, 0)), 5, 0,
               15, 10);

    // Sums that leave the int range are pinned, not wrapped.
    ExpectRect(LayoutResizeItem(Item(2, 1, Rect(INT_MAX - 5, 0, INT_MAX - 1, 10)),
                                ResizeChange{100, INT_MAX, 500, 300}),
               INT_MAX, 0, INT_MAX, INT_MAX);
}
