// The strip chart at a device pixel ratio other than 1 (the test runs once per ratio):
// the plot covers every device pixel of the graph, its lines have one width in device
// pixels everywhere, and it still holds one point per column of the graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cmath>
#include <utility>

#include "GraphTestSupport.h"

namespace {

using namespace graphtest;
using Runs = std::vector<std::pair<int, int>>;  // (first row, length)

const QRgb kWindow = qRgb(255, 0, 255);  // shows through wherever the graph paints nothing

double Ratio() {
    return qApp->devicePixelRatio();
}
int Dot() {  // device pixels across a one-pixel line
    return std::max(1, static_cast<int>(std::floor(Ratio() + 0.5)));
}
int Device(int logical) {  // rounded as the paint system rounds widget edges
    return static_cast<int>(std::floor(logical * Ratio() + 0.5));
}

// A shown window with a graph at an odd position, so that its edges fall between device
// pixels; 0 .. 100 on black, labels hidden.
struct Scene {
    Scene() {
        window.resize(140, 90);
        window.setPalette(QPalette(QColor(kWindow)));
        window.setAutoFillBackground(true);
        graph = new orvane::usrGraph(&window);
        graph->setGeometry(7, 5, 101, 61);
        graph->SetBackColor(meter::Colour::Rgb(0, 0, 0));
        graph->SetForeColor(meter::Colour::Rgb(0, 255, 0));
        graph->SetMinValue(0);
        graph->SetMaxValue(100);
        graph->SetTextVisible(false);
        window.show();
    }
    // The graph's device pixels as the window shows them.
    QImage Grab() {
        const QRect device(QPoint(Device(7), Device(5)), QPoint(Device(108) - 1, Device(66) - 1));
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(device);
    }
    QWidget window;
    orvane::usrGraph* graph = nullptr;
};

Runs RunsInColumn(const QImage& image, int x, QRgb colour) {
    Runs runs;
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
    scene.graph->Threshold1 = 50;  // rows of either parity
    scene.graph->Threshold2 = 75;
    for (int i = 0; i < 150; ++i) scene.graph->AddPoint(20.0);
    const QImage image = scene.Grab();
    const int dot = Dot();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(pixel == kBack || pixel == kFore || pixel == kThreshold1 ||
                        pixel == kThreshold2)
                << x << ", " << y << " of " << image.width() << " x " << image.height();
        }
    }
    // The blank right edge is one line wide, down to the bottom-right device pixel.
    for (int x = image.width() - dot; x < image.width(); ++x) {
        EXPECT_EQ(RunsInColumn(image, x, kBack), (Runs{{0, image.height()}})) << x;
    }
    // Each line is `dot` rows high all along, on the same rows.
    for (const QRgb colour : {kThreshold1, kThreshold2, kFore}) {
        const Runs first = RunsInColumn(image, 0, colour);
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].second, dot);
        for (int x = 1; x < image.width() - 3 * dot; ++x) {
            EXPECT_EQ(RunsInColumn(image, x, colour), first) << std::hex << colour << " " << x;
        }
    }
}

// The lowest value lies on the bottom `dot` rows, the highest on the top ones, and the
// steep steps between them are `dot` device pixels wide in every row (one more where a
// slanted line moves over by a pixel).
TEST(GraphAtScale, EndsOfTheScaleAndStepsKeepTheLineWidth) {
    Scene scene;
    for (int i = 0; i < 150; ++i) scene.graph->AddPoint((i / 10) % 2 == 0 ? 0.0 : 100.0);
    const QImage image = scene.Grab();
    const int dot = Dot();
    const int h = image.height();
    for (int x = 0; x < image.width() - 3 * dot; ++x) {
        for (const auto& [top, length] : RunsInColumn(image, x, kFore)) {
            if (length <= dot) EXPECT_TRUE(top == 0 || top == h - dot) << x << ": " << top;
        }
    }
    for (int y = dot; y < h - dot; ++y) {
        int steps = 0;
        for (int x = 1; x < image.width(); ++x) {  // a step cut by the left edge is left out
            if (image.pixel(x, y) != kFore || image.pixel(x - 1, y) == kFore) continue;
            int length = 0;
            while (x + length < image.width() && image.pixel(x + length, y) == kFore) ++length;
            EXPECT_GE(length, dot) << "row " << y << " column " << x;
            EXPECT_LE(length, dot + 1) << "row " << y << " column " << x;
            ++steps;
        }
        EXPECT_GE(steps, 5) << "row " << y;
    }
}

// Each point moves the picture by the ratio on average, so the graph holds as many points
// as it has columns; a step back undoes a point but for the columns at the edges.
TEST(GraphAtScale, MovesOneColumnOfTheGraphPerPointAndBack) {
    Scene scene;
    for (int i = 0; i < 20; ++i) scene.graph->AddPoint(10.0);
    scene.graph->AddPoint(90.0);
    const auto peak = [&] {  // the rightmost column reaching the top half
        const QImage image = scene.graph->PlotImage();
        for (int x = image.width() - 1; x >= 0; --x) {
            if (!RunsInColumn(image.copy(0, 0, image.width(), image.height() / 2), x, kFore)
                     .empty())
                return x;
        }
        return -1;
    };
    const int start = peak();
    for (int i = 0; i < 40; ++i) scene.graph->AddPoint(10.0 + (i * 7) % 30);
    EXPECT_NEAR(start - peak(), 40 * Ratio(), 1.0);

    const QImage before = scene.graph->PlotImage();
    const int edge = static_cast<int>(std::ceil(Ratio()));
    for (int i = 0; i < 3; ++i) {
        scene.graph->AddPoint(95.0);
        scene.graph->BackMove();
        const QImage after = scene.graph->PlotImage();
        const QRect kept(edge, 0, before.width() - edge - 4 * Dot(), before.height());
        EXPECT_EQ(after.copy(kept), before.copy(kept)) << i;
    }
}

}  // namespace
