// The dial's integer geometry: the worked 200 x 100 example, the fitting rules, the
// stored angle constants and the scale numbers.
#include "DialGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace meter::detail;

TEST(DialGeometry, WorkedExampleOf200By100) {
    const Box dialBox = FitDialBox({0, 0, 200, 100});
    EXPECT_EQ(dialBox, (Box{0, 0, 200, 200}));
    const Dial dial = DialFor(dialBox);
    EXPECT_EQ(dial.R, 90);
    EXPECT_EQ(dial.cx, 100);
    EXPECT_EQ(dial.cy, 100);
    EXPECT_EQ(dial.t, 9);
    EXPECT_EQ(dial.R2, 99);
    EXPECT_EQ(dial.RingRadius(), 81);
    EXPECT_EQ(dial.NeedleHalfWidth(), 4);
    EXPECT_EQ(dial.Outer(), (Box{10, 10, 190, 190}));
    EXPECT_EQ(dial.Inner(), (Box{19, 19, 181, 181}));
    EXPECT_EQ(dial.Hub(), (Box{91, 91, 109, 109}));
}

TEST(DialGeometry, FitsWideAndTallRectangles) {
    // Too wide: a 2H square centred horizontally, its centre on the bottom edge.
    EXPECT_EQ(FitDialBox({0, 0, 300, 100}), (Box{50, 0, 250, 200}));
    EXPECT_EQ(DialFor(FitDialBox({0, 0, 300, 100})).cx, 150);
    // Too tall: the half dial centred vertically.
    EXPECT_EQ(FitDialBox({0, 0, 100, 200}), (Box{0, 75, 100, 175}));
    // Odd sizes truncate.
    EXPECT_EQ(FitDialBox({3, 5, 104, 160}), (Box{3, 57, 104, 157}));
}

TEST(DialGeometry, HubIsNotCentredWhenTwiceTheRingWidthDiffersFromAFifthOfR) {
    // R 95: t 9 but R/5 19, so the hub box reaches one pixel further right and down.
    const Dial dial = DialFor({0, 0, 210, 210});
    ASSERT_EQ(dial.R, 95);
    EXPECT_EQ(dial.Hub(), (Box{dial.cx - 9, dial.cy - 9, dial.cx + 10, dial.cy + 10}));
}

TEST(DialGeometry, LabelMarginSwitchesTheNumbersOffBelowTwiceTheMargin) {
    const Box bounds{0, 0, 200, 100};
    const DialArea on = DialAreaFor(bounds, {100, 50});
    EXPECT_TRUE(on.numbersOn);
    EXPECT_EQ(on.rect, (Box{100, 50, 100, 75}));
    EXPECT_FALSE(DialAreaFor(bounds, {101, 50}).numbersOn);
    EXPECT_FALSE(DialAreaFor(bounds, {100, 51}).numbersOn);
    EXPECT_EQ(DialAreaFor(bounds, {101, 50}).rect, bounds);
    EXPECT_EQ(DialAreaFor(bounds, {30, 21}).rect, (Box{30, 21, 170, 90}));
}

TEST(DialGeometry, StoredPiLiftsTheLeftEndOfTheScaleByOneRow) {
    // sin(3.1415926535) is about 9e-11: cy - r sin(a) is just below cy and truncates
    // to the row above.
    EXPECT_EQ(PointAt(100, 100, 81, Angle::Pi), QPoint(19, 99));
    EXPECT_EQ(PointAt(100, 100, 90, 0.0), QPoint(190, 100));
    EXPECT_EQ(PointAt(100, 100, 81, Angle::PiOver2), QPoint(100, 19));
    // Ticks: P4 straight up at radius R2, P2 at 45 degrees.
    const Dial dial = DialFor({0, 0, 200, 200});
    EXPECT_EQ(dial.TickOuter(4), QPoint(100, 1));
    EXPECT_EQ(dial.TickOuter(2), QPoint(170, 29));
    EXPECT_EQ(dial.TickInner(2), QPoint(163, 36));
}

TEST(DialGeometry, TruncationIsTotal) {
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_EQ(Trunc(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(Trunc(1e300), 100000000);
    EXPECT_EQ(Trunc(-std::numeric_limits<double>::infinity()), -100000000);
}

TEST(DialGeometry, ScaleFormatPrintsFixedDecimalsInTheCLocale) {
    EXPECT_EQ(ScaleFormat(100, 2), "100.00");
    EXPECT_EQ(ScaleFormat(-62.5, 0), "-62");  // exact halves: the C library's rounding
    EXPECT_EQ(ScaleFormat(0.125, 2), "0.12");
    EXPECT_EQ(ScaleFormat(2.5, 4), "2.5000");
    // Stored property sets can hold any 16-bit count of decimals.
    EXPECT_EQ(ScaleFormat(3.25, -3), "3");
    EXPECT_EQ(ScaleFormat(1.0, 300), "1.00000000000000000000");
    EXPECT_EQ(ScaleFormat(1e300, 4).size(), 306);
    EXPECT_EQ(ScaleFormat(std::numeric_limits<double>::quiet_NaN(), 1), "nan");
}

TEST(DialGeometry, ScaleLabelsSplitTheRangeInQuarters) {
    using Labels = std::array<QString, 5>;
    EXPECT_EQ(ScaleLabels({0, 100}, 2), (Labels{"100.00", "75.00", "50.00", "25.00", "0.00"}));
    EXPECT_EQ(ScaleLabels({-50, 50}, 0), (Labels{"50", "25", "0", "-25", "-50"}));
    // Both ends negative: the span is MaxValue - MinValue, so MaxValue labels the right
    // end (the sum of magnitudes, 150, would have put -12.5 there).
    EXPECT_EQ(ScaleLabels({-100, -50}, 1), (Labels{"-50.0", "-62.5", "-75.0", "-87.5", "-100.0"}));
}

TEST(DialGeometry, ValueToAngleRunsFromPiAtMinValueToZeroAtMaxValue) {
    const Scale scale{0, 100};
    EXPECT_DOUBLE_EQ(scale.ValueToAngle(0), Angle::Pi);
    EXPECT_DOUBLE_EQ(scale.ValueToAngle(100), 0.0);
    EXPECT_DOUBLE_EQ(scale.ValueToAngle(50), Angle::PiOver2);
    EXPECT_LT(scale.ValueToAngle(150), 0.0);  // outside the scale, as the angle gives

    const Scale negative{-100, -50};
    EXPECT_DOUBLE_EQ(negative.ValueToAngle(-50), 0.0);
    EXPECT_DOUBLE_EQ(negative.ValueToAngle(-100), Angle::Pi);
    EXPECT_DOUBLE_EQ(negative.ValueToAngle(-75), Angle::PiOver2);
}

TEST(DialGeometry, UndefinedAnglesRestAtTheLeftEnd) {
    const Scale flat{5, 5};  // only reachable through a stored property set
    EXPECT_DOUBLE_EQ(flat.ValueToAngle(5), Angle::Pi);
    EXPECT_DOUBLE_EQ(flat.ValueToAngle(7), Angle::Pi);
    const Scale huge{-1e308, 1e308};  // the span overflows to infinity
    EXPECT_TRUE(std::isfinite(huge.ValueToAngle(0)));
}

TEST(DialGeometry, NeedleValueIsClamped) {
    const Scale scale{0, 100};
    EXPECT_EQ(scale.NeedleValue(150), 100);
    EXPECT_EQ(scale.NeedleValue(-5), 0);
    EXPECT_EQ(scale.NeedleValue(42), 42);
    EXPECT_EQ(scale.NeedleValue(std::numeric_limits<double>::quiet_NaN()), 0);
}
