#include <gtest/gtest.h>

#include "ui/DpiScale.h"

TEST(DpiScale, ScalesNinetySixDpiMeasuresToTheScreen) {
    const int widths[] = {130, 100, 13, 1, 0};
    for (const int width : widths) EXPECT_EQ(ScaleToDpi(width, 96), width) << width;
    EXPECT_EQ(ScaleToDpi(130, 144), 195);
    EXPECT_EQ(ScaleToDpi(100, 144), 150);
    EXPECT_EQ(ScaleToDpi(130, 192), 260);
    EXPECT_EQ(ScaleToDpi(100, 192), 200);
    // 125 %: halves round to the nearest pixel, away from zero.
    EXPECT_EQ(ScaleToDpi(130, 120), 163);  // 162.5
    EXPECT_EQ(ScaleToDpi(13, 120), 16);    // 16.25
    EXPECT_EQ(ScaleToDpi(13, 72), 10);     // 9.75, a screen below 96 DPI
    // No answer from the screen: the measure stays.
    EXPECT_EQ(ScaleToDpi(130, 0), 130);
    EXPECT_EQ(ScaleToDpi(130, -144), 130);
}
