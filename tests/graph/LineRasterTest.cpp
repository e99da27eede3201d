#include "graph/LineRaster.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels Thin(int x0, int y0, int x1, int y1, int width = 100, int height = 100) {
    Pixels pixels;
    orvane::raster::ThinLine(x0, y0, x1, y1, width, height, [&](int x, int y) {
        EXPECT_TRUE(pixels.insert({x, y}).second) << "pixel drawn twice: " << x << "," << y;
    });
    return pixels;
}

Pixels Wide(int x0, int y0, int x1, int y1, int pen, int width = 100, int height = 100) {
    Pixels pixels;
    orvane::raster::WideLine(x0, y0, x1, y1, pen, width, height, [&](int x, int y) {
        EXPECT_TRUE(pixels.insert({x, y}).second) << "pixel drawn twice: " << x << "," << y;
    });
    return pixels;
}

TEST(ThinLine, DrawsTheStartPointAndLeavesOutTheEndPoint) {
    EXPECT_EQ(Thin(10, 20, 11, 20), (Pixels{{10, 20}}));
    EXPECT_EQ(Thin(10, 20, 10, 20), Pixels{});
    EXPECT_EQ(Thin(10, 5, 14, 5), (Pixels{{10, 5}, {11, 5}, {12, 5}, {13, 5}}));
    EXPECT_EQ(Thin(14, 5, 10, 5), (Pixels{{14, 5}, {13, 5}, {12, 5}, {11, 5}}));
    // A column from row 0 to row H covers rows 0 .. H - 1.
    const Pixels column = Thin(7, 0, 7, 10, 100, 10);
    EXPECT_EQ(column.size(), 10u);
    EXPECT_TRUE(column.count({7, 0}));
    EXPECT_TRUE(column.count({7, 9}));
}

TEST(ThinLine, SteepStepVisitsEveryRowOnceAndSwitchesColumnHalfway) {
    // 20 rows up from row 30 to row 11 (row 10 is the end point, left out). The exact
    // half (the 11th pixel) stays with the start column.
    const Pixels up = Thin(5, 30, 6, 10);
    ASSERT_EQ(up.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        const int x = i <= 10 ? 5 : 6;
        EXPECT_TRUE(up.count({x, 30 - i})) << "row " << 30 - i;
    }
    // The same downwards.
    const Pixels down = Thin(5, 10, 6, 30);
    ASSERT_EQ(down.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        const int x = i <= 10 ? 5 : 6;
        EXPECT_TRUE(down.count({x, 10 + i})) << "row " << 10 + i;
    }
    // An odd count has no exact half: 3 rows -> 2 in the start column, 1 in the next.
    EXPECT_EQ(Thin(0, 0, 1, 3), (Pixels{{0, 0}, {0, 1}, {1, 2}}));
}

TEST(ThinLine, ClipsToTheSurfaceWithoutChangingTheRemainingPixels) {
    Pixels inside;
    for (const auto& pixel : Thin(3, 30000, 4, 5, 10, 40000)) {
        if (pixel.second < 10) inside.insert(pixel);
    }
    EXPECT_EQ(Thin(3, 30000, 4, 5, 10, 10), inside);
    EXPECT_EQ(Thin(3, -30000, 4, 5, 10, 10).size(), 5u);  // rows 0 .. 4
    EXPECT_EQ(Thin(-1, 5, 2, 5, 10, 10), (Pixels{{0, 5}, {1, 5}}));
    EXPECT_EQ(Thin(8, 5, 12, 5, 10, 10), (Pixels{{8, 5}, {9, 5}}));
    EXPECT_EQ(Thin(12, 5, 13, 5, 10, 10), Pixels{});
}

TEST(WideLine, OddWidthIsCentredOnThePointsWithRoundCaps) {
    const Pixels line = Wide(10, 20, 14, 20, 3);
    for (int x = 10; x <= 14; ++x) {
        for (int y = 19; y <= 21; ++y) EXPECT_TRUE(line.count({x, y})) << x << "," << y;
        EXPECT_FALSE(line.count({x, 18}));
        EXPECT_FALSE(line.count({x, 22}));
    }
    // Both ends get a cap of radius 1.5.
    EXPECT_TRUE(line.count({9, 20}));
    EXPECT_TRUE(line.count({15, 20}));
    EXPECT_TRUE(line.count({9, 19}));
    EXPECT_FALSE(line.count({8, 20}));
    EXPECT_FALSE(line.count({16, 20}));
}

TEST(WideLine, EvenWidthCoversExactlyThatManyRows) {
    for (const int pen : {2, 4, 6}) {
        const Pixels line = Wide(30, 50, 40, 50, pen);
        int rows = 0;
        for (int y = 40; y < 60; ++y) rows += line.count({35, y}) ? 1 : 0;
        EXPECT_EQ(rows, pen) << "pen " << pen;
        EXPECT_TRUE(line.count({35, 50 - pen / 2}));
        EXPECT_TRUE(line.count({35, 50 + pen / 2 - 1}));
    }
}

TEST(WideLine, APointIsARoundDotAndIsClipped) {
    // Radius 2.5 around the centre: 21 pixels, 5 across.
    const Pixels dot = Wide(50, 50, 50, 50, 5);
    EXPECT_EQ(dot.size(), 21u);
    EXPECT_TRUE(dot.count({48, 50}));
    EXPECT_TRUE(dot.count({52, 50}));
    EXPECT_FALSE(dot.count({52, 52}));
    // In the corner only the quarter inside the surface is drawn.
    const Pixels corner = Wide(0, 0, 0, 0, 5, 10, 10);
    for (const auto& pixel : corner) {
        EXPECT_GE(pixel.first, 0);
        EXPECT_GE(pixel.second, 0);
    }
    EXPECT_EQ(corner.size(), 8u);  // a, b >= 0 with a * a + b * b <= 6.25
}

}  // namespace
