#include <gtest/gtest.h>

#include <QLabel>
#include <cmath>
#include <functional>
#include <limits>

#include "GraphTestSupport.h"

namespace {

using namespace graphtest;
namespace ErrorNumber = orvane::ErrorNumber;

// The rows of the worked example: H = 101, scale 0 .. 1000, so 0.1 pixel per unit.
TEST(GraphPlot, ValuesLandOnTheirRows) {
    struct Case {
        double value;
        int row;
    };
    for (const Case c : {Case{0, 100}, Case{1000, 0}, Case{255, 75}, Case{500, 50}}) {
        auto graph = MakeGraph(50, 101, 0, 1000);
        graph->AddPoint(c.value);
        graph->AddPoint(c.value);  // a flat segment: one pixel at the row, at W - 3
        const QImage image = graph->PlotImage();
        EXPECT_EQ(image.pixel(47, c.row), kFore) << c.value;
        EXPECT_EQ(image.pixel(48, c.row), kBack) << c.value << ": the end point is left out";
        // The curve rose from the bottom and never went above the value's row.
        for (int x = 0; x < 50; ++x) {
            const std::vector<int> rows = RowsIn(image, x, kFore);
            if (!rows.empty()) {
                EXPECT_GE(rows.front(), c.row) << c.value << " column " << x;
            }
        }
        EXPECT_TRUE(RowsIn(image, 49, kFore).empty());
    }
}

TEST(GraphPlot, FirstSegmentRisesFromTheBottomEdge) {
    auto graph = MakeGraph(50, 101, 0, 1000);
    graph->AddPoint(500);  // row 50
    const QImage image = graph->PlotImage();
    // Rows 100 .. 51 each drawn once, split over columns W - 3 and W - 2; the end point
    // (row 50) is not drawn, and nothing else is.
    for (int y = 51; y <= 100; ++y) {
        const int lit = (image.pixel(47, y) == kFore) + (image.pixel(48, y) == kFore);
        EXPECT_EQ(lit, 1) << "row " << y;
    }
    EXPECT_EQ(image.pixel(47, 100), kFore);
    EXPECT_EQ(image.pixel(48, 51), kFore);
    EXPECT_EQ(CountColour(image, kFore), 50);
}

TEST(GraphPlot, SuccessiveSegmentsJoinIntoAContinuousCurve) {
    auto graph = MakeGraph(120, 80, -1, 1);
    for (int i = 0; i < 300; ++i) graph->AddPoint(std::sin(i / 6.0) * std::cos(i / 17.0));
    const QImage image = graph->PlotImage();
    for (int x = 0; x + 1 <= 117; ++x) {
        const std::vector<int> left = RowsIn(image, x, kFore);
        const std::vector<int> right = RowsIn(image, x + 1, kFore);
        ASSERT_FALSE(left.empty()) << "column " << x;
        ASSERT_FALSE(right.empty()) << "column " << x + 1;
        bool touching = false;
        for (int a : left) {
            for (int b : right) touching = touching || std::abs(a - b) <= 1;
        }
        EXPECT_TRUE(touching) << "gap between columns " << x << " and " << x + 1;
    }
    EXPECT_TRUE(RowsIn(image, 119, kFore).empty()) << "the rightmost column stays blank";
}

TEST(GraphPlot, ThresholdMarksJoinIntoHorizontalLines) {
    auto graph = MakeGraph(60, 101, 0, 1000);
    graph->Threshold1 = 250;  // row 75
    graph->Threshold2 = 900;  // row 10
    for (int i = 0; i < 30; ++i) graph->AddPoint(500);
    const QImage image = graph->PlotImage();
    for (int x = 0; x < 60; ++x) {
        const bool marked = x >= 60 - 3 - 29 && x <= 60 - 3;
        EXPECT_EQ(image.pixel(x, 75) == kThreshold1, marked) << "column " << x;
        EXPECT_EQ(image.pixel(x, 10) == kThreshold2, marked) << "column " << x;
    }
    EXPECT_EQ(CountColour(image, kThreshold1), 30);
    EXPECT_EQ(CountColour(image, kThreshold2), 30);
}

TEST(GraphPlot, ThresholdOfZeroOrEmptyDrawsNoLine) {
    auto graph = MakeGraph(60, 101, -500, 500);  // 0 lies mid-scale
    graph->Threshold1 = 0;
    for (int i = 0; i < 30; ++i) graph->AddPoint(200);
    const QImage image = graph->PlotImage();
    EXPECT_EQ(CountColour(image, kThreshold1), 0);
    EXPECT_EQ(CountColour(image, kThreshold2), 0);
}

TEST(GraphPlot, ReversedScalePlotsLikeTheOrderedPair) {
    auto ordered = MakeGraph(80, 60, 0, 100);
    auto reversed = MakeGraph(80, 60, 100, 0);
    for (auto* graph : {ordered.get(), reversed.get()}) {
        graph->Threshold1 = 30;
        graph->Threshold2 = 70;
        for (int i = 0; i < 100; ++i) graph->AddPoint((i * 37) % 120 - 10.0);
    }
    EXPECT_EQ(ordered->PlotImage(), reversed->PlotImage());
}

TEST(GraphPlot, BackMoveRestoresThePictureButForTheEdgeColumns) {
    auto graph = MakeGraph(60, 50, 0, 100);
    graph->Threshold1 = 50;
    for (int i = 0; i < 40; ++i) graph->AddPoint(10 + (i % 7) * 3);
    const QImage before = graph->PlotImage();
    graph->AddPoint(90);
    graph->BackMove();
    const QImage after = graph->PlotImage();
    for (int y = 0; y < 50; ++y) {
        EXPECT_EQ(after.pixel(0, y), kBack) << "the left column is blank, row " << y;
        for (int x = 1; x <= 57; ++x) {
            ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
    }
    // The last point's row is kept: the next segment starts at the row of 90.
    const int row90 = 50 - static_cast<int>(std::floor(49.0 / 100 * 90)) - 1;
    ASSERT_NE(graph->PlotImage().pixel(57, row90), kFore);
    graph->AddPoint(10);
    EXPECT_EQ(graph->PlotImage().pixel(57, row90), kFore);
}

TEST(GraphPlot, ClearKeepsTheLastRowForTheNextSegment) {
    auto graph = MakeGraph(60, 101, 0, 1000);
    for (int i = 0; i < 10; ++i) graph->AddPoint(900);  // row 10
    graph->Clear();
    EXPECT_EQ(CountColour(graph->PlotImage(), kBack), 60 * 101);
    graph->AddPoint(100);  // row 90
    const QImage image = graph->PlotImage();
    EXPECT_EQ(image.pixel(57, 10), kFore);
    EXPECT_EQ(CountColour(image, kFore), 80);  // rows 10 .. 89
}

TEST(GraphPlot, WidthManyPointsScrollTheWholeInitialPictureOut) {
    const int w = 40;
    auto graph = MakeGraph(w, 30, 0, 100);
    graph->SetForeColor(meter::Colour::Rgb(255, 0, 255));
    graph->Threshold1 = 20;
    for (int i = 0; i < 15; ++i) graph->AddPoint(i * 7);
    // From now on only green on black.
    graph->Threshold1.reset();
    graph->SetForeColor(meter::Colour::Rgb(0, 255, 0));
    const auto onlyNewPixels = [&] {
        const QImage image = graph->PlotImage();
        return CountColour(image, kBack) + CountColour(image, kFore) == w * 30;
    };
    for (int i = 0; i < w - 3; ++i) graph->AddPoint(50);
    EXPECT_FALSE(onlyNewPixels()) << "the last threshold mark has just reached column 0";
    for (int i = w - 3; i < w; ++i) graph->AddPoint(50);
    EXPECT_TRUE(onlyNewPixels());
}

TEST(GraphPlot, LineWidthOneDrawsOnePixelAndWiderPensThicker) {
    auto thin = MakeGraph(60, 50, 0, 100);
    thin->SetLineWidth(1);
    EXPECT_EQ(thin->LineWidth(), 0);
    auto wide = MakeGraph(60, 50, 0, 100);
    wide->SetLineWidth(3);
    EXPECT_EQ(wide->LineWidth(), 3);
    for (auto* graph : {thin.get(), wide.get()}) {
        for (int i = 0; i < 20; ++i) graph->AddPoint(50);
    }
    const int row = 50 - static_cast<int>(std::floor(49.0 / 100 * 50)) - 1;
    EXPECT_EQ(RowsIn(thin->PlotImage(), 50, kFore), (std::vector<int>{row}));
    EXPECT_EQ(RowsIn(wide->PlotImage(), 50, kFore), (std::vector<int>{row - 1, row, row + 1}));
}

TEST(GraphPlot, EmptyScaleFailsWithDivisionByZeroAfterTheScroll) {
    auto graph = MakeGraph(30, 20, 0, 100);
    for (int i = 0; i < 40; ++i) graph->AddPoint((i * 10) % 100);  // every column drawn
    const QImage before = graph->PlotImage();
    graph->SetMaxValue(0);
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(0); }), ErrorNumber::DivisionByZero);
    // Scrolled as one block copy (the last column keeps its pixels); nothing drawn.
    const QImage after = graph->PlotImage();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 29; ++x) ASSERT_EQ(after.pixel(x, y), before.pixel(x + 1, y));
        ASSERT_EQ(after.pixel(29, y), before.pixel(29, y));
    }
    auto unset = std::make_unique<orvane::usrGraph>();
    unset->resize(30, 20);
    unset->Init();
    EXPECT_EQ(ErrorNumberOf([&] { unset->AddPoint(5); }), ErrorNumber::DivisionByZero);
}

TEST(GraphPlot, RowOutsideSixteenBitsFailsWithOverflow) {
    auto graph = MakeGraph(30, 101, 0, 1);  // 100 pixels per unit
    graph->AddPoint(0.5);
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(1000); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(-400); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(std::numeric_limits<double>::quiet_NaN()); }),
              ErrorNumber::Overflow);
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(1e308); }), ErrorNumber::Overflow);
    // Far outside the plot but inside 16 bits is drawn (and clipped).
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(300); }), 0);
    // A threshold out of range stops the drawing before the segment.
    graph->AddPoint(0.5);
    graph->Threshold1 = 1e6;
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(0.5); }), ErrorNumber::Overflow);
    EXPECT_NE(graph->PlotImage().pixel(27, 50), kFore) << "the segment was not drawn";
    graph->Threshold1.reset();
    graph->AddPoint(0.5);
    EXPECT_EQ(graph->PlotImage().pixel(27, 50), kFore);
}

// What the picture shows on a repaint, in plot order.
QImage Shown(const orvane::usrGraph& graph) {
    return graph.Picture1()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(GraphPlot, AFailedPointIsNotShownUntilADrawingSucceeds) {
    auto graph = MakeGraph(30, 101, 0, 100);
    graph->Threshold1 = 70;
    for (int i = 0; i < 40; ++i) graph->AddPoint((i * 7) % 100);
    const QImage shown = Shown(*graph);
    ASSERT_EQ(shown, graph->PlotImage());

    // An empty scale scrolls the surface; a row out of range also blanks and marks.
    graph->SetMaxValue(0);
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(5); }), ErrorNumber::DivisionByZero);
    graph->SetMaxValue(1e9);
    graph->Threshold2 = 1e12;  // its row does not fit 16 bits
    EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(5); }), ErrorNumber::Overflow);
    ASSERT_NE(graph->PlotImage(), shown) << "the surface took the failed steps";
    EXPECT_EQ(Shown(*graph), shown) << "the picture still shows the last copy";

    // The next successful drawing shows everything the surface has taken.
    graph->Threshold2.reset();
    graph->SetMaxValue(100);
    graph->AddPoint(50);
    EXPECT_EQ(Shown(*graph), graph->PlotImage());

    // BackMove, Paint and Clear copy the surface as well.
    for (const auto& copy : std::initializer_list<std::function<void()>>{
             [&] { graph->BackMove(); }, [&] { graph->Paint(); }, [&] { graph->Clear(); }}) {
        graph->SetMaxValue(0);
        EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(5); }), ErrorNumber::DivisionByZero);
        graph->SetMaxValue(100);
        copy();
        EXPECT_EQ(Shown(*graph), graph->PlotImage());
    }
}

TEST(GraphPlot, VariantPointsMustBeNumbers) {
    auto graph = MakeGraph(30, 101, 0, 100);
    graph->AddPoint(QVariant(50));
    const QImage before = graph->PlotImage();
    for (const QVariant& notANumber :
         {QVariant(QStringLiteral("abc")), QVariant(QStringLiteral("12")), QVariant(true)}) {
        EXPECT_EQ(ErrorNumberOf([&] { graph->AddPoint(notANumber); }), ErrorNumber::TypeMismatch);
    }
    EXPECT_EQ(graph->PlotImage(), before) << "a refused value leaves the plot as it was";
    graph->AddPoint(QVariant(50.0f));
    EXPECT_EQ(graph->PlotImage().pixel(27, 50), kFore);
    graph->AddPoint(QVariant());  // empty counts as 0
    graph->AddPoint(QVariant());
    EXPECT_EQ(graph->PlotImage().pixel(27, 100), kFore);
}

TEST(GraphPlot, BeforeInitNothingIsDrawnAndNothingFails) {
    orvane::usrGraph graph;
    graph.resize(40, 30);  // no scale: would divide by zero once initialized
    EXPECT_NO_THROW(graph.AddPoint(5));
    EXPECT_NO_THROW(graph.AddPoint(QVariant(QStringLiteral("abc"))));
    EXPECT_NO_THROW(graph.BackMove());
    EXPECT_NO_THROW(graph.Paint());
    EXPECT_NO_THROW(graph.Clear());
    EXPECT_FALSE(graph.Initialized());
    EXPECT_TRUE(graph.PlotImage().isNull());
}

TEST(GraphPlot, SurfaceKeepsItsSizeUntilBackColorRebuildsIt) {
    auto graph = MakeGraph(80, 40, 0, 100);
    for (int i = 0; i < 10; ++i) graph->AddPoint(80);
    const QImage before = graph->PlotImage();
    graph->resize(60, 40);
    EXPECT_EQ(graph->PlotImage().size(), QSize(80, 40));
    graph->AddPoint(20);
    graph->AddPoint(20);
    const QImage after = graph->PlotImage();
    // The new W places the point at column 57; columns 60 .. 79 lie beyond the scroll and
    // the blank column.
    const int row20 = 40 - static_cast<int>(std::floor(39.0 / 100 * 20)) - 1;
    EXPECT_EQ(after.pixel(57, row20), kFore);
    for (int y = 0; y < 40; ++y) {
        for (int x = 60; x < 80; ++x) ASSERT_EQ(after.pixel(x, y), before.pixel(x, y));
    }
    // Steps back follow the new width as well.
    graph->BackMove();
    EXPECT_EQ(graph->PlotImage().pixel(58, row20), kFore);
    graph->SetBackColor(meter::Colour::Rgb(0, 0, 0));
    EXPECT_EQ(graph->PlotImage().size(), QSize(60, 40));
    EXPECT_EQ(CountColour(graph->PlotImage(), kBack), 60 * 40);
}

TEST(GraphPlot, PictureShowsTheSurfaceWheneverItRepaints) {
    auto graph = MakeGraph(649, 200, 0, 8000);
    graph->SetTextVisible(false);
    graph->Threshold1 = 6000;
    graph->show();
    for (int i = 0; i < 1000; ++i) graph->AddPoint(4000 + 3000 * std::sin(i / 20.0));
    const QImage shown = graph->Picture1()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, graph->PlotImage());

    // A picture larger than its surface shows the background beyond it.
    graph->resize(700, 230);
    const QImage larger = graph->Picture1()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(larger.size(), QSize(700, 230));
    EXPECT_EQ(larger.copy(0, 0, 649, 200), graph->PlotImage());
    EXPECT_EQ(larger.pixel(690, 100), kBack);
    EXPECT_EQ(larger.pixel(100, 220), kBack);
}

}  // namespace
