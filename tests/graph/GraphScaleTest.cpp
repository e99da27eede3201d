// The strip chart on a screen whose device pixel ratio is not 1 (the test runs once per
// ratio): the plot covers every device pixel of the graph, its lines have the same width
// in device pixels everywhere, and it still holds one point per column of the graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "GraphTestSupport.h"

namespace {

using namespace graphtest;

const QRgb kWindow = qRgb(255, 0, 255);  // shows through wherever the graph paints nothing

// The ratio under test, and the device pixels across a one-pixel line at that ratio.
double Ratio() {
    return qApp->devicePixelRatio();
}
int Dot() {
    return std::max(1, static_cast<int>(std::floor(Ratio() + 0.5)));
}
// A logical coordinate of the window on the device, rounded as the paint system does.
int Device(int logical) {
    return static_cast<int>(std::floor(logical * Ratio() + 0.5));
}

// A window with one graph at an odd position, so that its edges fall between device
// pixels at fractional ratios; the labels are hidden, so no text is drawn.
struct Scene {
    static constexpr int kLeft = 7;
    static constexpr int kTop = 5;
    static constexpr int kWidth = 101;
    static constexpr int kHeight = 61;

    Scene() {
        window.resize(140, 90);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(kWindow));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        graph = new orvane::usrGraph(&window);
        graph->setGeometry(kLeft, kTop, kWidth, kHeight);
        graph->SetBackColor(meter::Colour::Rgb(0, 0, 0));
        graph->SetForeColor(meter::Colour::Rgb(0, 255, 0));
        graph->SetMinValue(0);
        graph->SetMaxValue(100);
        graph->SetTextVisible(false);
        window.show();
    }

    // The graph's device pixels as the window shows them.
    QRect DeviceRect() const {
        return QRect(QPoint(Device(kLeft), Device(kTop)),
                     QPoint(Device(kLeft + kWidth) - 1, Device(kTop + kHeight) - 1));
    }
    QImage Grab() {
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(DeviceRect());
    }

    QWidget window;
    orvane::usrGraph* graph = nullptr;
};

// The runs of one colour in a column, as (first row, length).
std::vector<std::pair<int, int>> RunsInColumn(const QImage& image, int x, QRgb colour) {
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) != colour) continue;
        if (!runs.empty() && runs.back().first + runs.back().second == y) {
            ++runs.back().second;
        } else {
            runs.push_back({y, 1});
        }
    }
    return runs;
}

TEST(GraphAtScale, CoversEveryDevicePixelWithLinesOfOneWidth) {
    ASSERT_NE(Ratio(), 1.0) << "run with QT_SCALE_FACTOR set to the ratio under test";
    Scene scene;
    // Two threshold lines on rows of either parity and a flat curve below them.
    scene.graph->Threshold1 = 50;
    scene.graph->Threshold2 = 75;
    for (int i = 0; i < 150; ++i) scene.graph->AddPoint(20.0);
    const QImage image = scene.Grab();
    const int dot = Dot();

    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(pixel == kBack || pixel == kFore || pixel == kThreshold1 ||
                        pixel == kThreshold2)
                << "device pixel " << x << ", " << y << " of " << image.width() << " x "
                << image.height() << " is " << std::hex << pixel;
        }
    }
    // The right edge stays blank, one line wide, down to the bottom-right device pixel.
    for (int x = image.width() - dot; x < image.width(); ++x) {
        EXPECT_EQ(RunsInColumn(image, x, kBack),
                  (std::vector<std::pair<int, int>>{{0, image.height()}}))
            << "column " << x;
    }
    // Every line is `dot` rows high all along, on the same rows.
    for (const QRgb colour : {kThreshold1, kThreshold2, kFore}) {
        const auto first = RunsInColumn(image, 0, colour);
        ASSERT_EQ(first.size(), 1u) << std::hex << colour;
        EXPECT_EQ(first[0].second, dot) << std::hex << colour;
        for (int x = 1; x < image.width() - 3 * dot; ++x) {
            EXPECT_EQ(RunsInColumn(image, x, colour), first)
                << std::hex << colour << " column " << x;
        }
    }
}

// Values at the ends of the scale and steep steps between them: the lowest value lies on
// the bottom `dot` rows and the highest on the top ones, and the steps are at least
// `dot` device pixels wide in every row (at most one more where a slanted line moves
// over by a pixel).
TEST(GraphAtScale, EndsOfTheScaleAndStepsKeepTheLineWidth) {
    Scene scene;
    for (int i = 0; i < 150; ++i) scene.graph->AddPoint((i / 10) % 2 == 0 ? 0.0 : 100.0);
    const QImage image = scene.Grab();
    const int dot = Dot();
    const int h = image.height();
    bool sawLow = false;
    bool sawHigh = false;
    for (int x = 0; x < image.width() - 3 * dot; ++x) {
        for (const auto& [top, length] : RunsInColumn(image, x, kFore)) {
            if (length > dot) continue;  // a column along a step
            EXPECT_TRUE(top == 0 || top == h - dot) << "column " << x << " run at " << top;
            sawLow = sawLow || top == h - dot;
            sawHigh = sawHigh || top == 0;
        }
    }
    EXPECT_TRUE(sawLow);
    EXPECT_TRUE(sawHigh);
    for (int y = dot; y < h - dot; ++y) {
        int steps = 0;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kFore) continue;
            const int start = x;
            int length = 0;
            while (x < image.width() && image.pixel(x, y) == kFore) ++x, ++length;
            if (start == 0) continue;  // cut by the left edge
            EXPECT_GE(length, dot) << "row " << y << " before column " << x;
            EXPECT_LE(length, dot + 1) << "row " << y << " before column " << x;
            ++steps;
        }
        EXPECT_GE(steps, 5) << "row " << y;
    }
}

// The picture moves by the ratio in device pixels per point on average, so it holds as
// many points as the graph has columns, whatever the ratio.
TEST(GraphAtScale, MovesOneColumnOfTheGraphPerPoint) {
    Scene scene;
    for (int i = 0; i < 20; ++i) scene.graph->AddPoint(10.0);
    scene.graph->AddPoint(90.0);
    const QImage before = scene.graph->PlotImage();
    constexpr int kLater = 40;
    for (int i = 0; i < kLater; ++i) scene.graph->AddPoint(10.0);
    const QImage after = scene.graph->PlotImage();
    // The peak's right edge: the rightmost column that reaches the top half.
    const auto peak = [](const QImage& image) {
        for (int x = image.width() - 1; x >= 0; --x) {
            for (int y = 0; y < image.height() / 2; ++y) {
                if (image.pixel(x, y) == kFore) return x;
            }
        }
        return -1;
    };
    ASSERT_GE(peak(before), 0);
    const double moved = peak(before) - peak(after);
    EXPECT_NEAR(moved, kLater * Ratio(), 1.0);
}

// A step back undoes the step forward: the picture is the same but for the columns that
// scrolled out at either edge and the new segment.
TEST(GraphAtScale, StepBackUndoesAPoint) {
    Scene scene;
    scene.graph->Threshold1 = 50;
    for (int i = 0; i < 130; ++i) scene.graph->AddPoint(10.0 + (i * 7) % 80);
    const QImage before = scene.graph->PlotImage();
    const int margin = static_cast<int>(std::ceil(Ratio()));
    for (int i = 0; i < 3; ++i) {
        scene.graph->AddPoint(95.0);
        scene.graph->BackMove();
        const QImage after = scene.graph->PlotImage();
        ASSERT_EQ(after.size(), before.size());
        for (int x = margin; x < before.width() - 4 * Dot(); ++x) {
            for (int y = 0; y < before.height(); ++y) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << i << ": " << x << ", " << y;
            }
        }
    }
}

}  // namespace
