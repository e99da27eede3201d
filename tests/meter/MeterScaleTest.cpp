// The gauge on a screen whose device pixel ratio is not 1 (the test runs once per
// ratio): it covers every device pixel of the widget, and its border lines and needle
// have the same width in device pixels everywhere.
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QRgb kWindow = qRgb(255, 0, 255);  // shows through wherever the gauge paints nothing
const QRgb kBack = qRgb(255, 255, 200);
const QRgb kNeedle = qRgb(0, 0, 255);

double Ratio() {
    return qApp->devicePixelRatio();
}
// Device pixels across a one-pixel line.
int Dot() {
    return std::max(1, static_cast<int>(std::floor(Ratio() + 0.5)));
}
int Device(int logical) {
    return static_cast<int>(std::floor(logical * Ratio() + 0.5));
}

// A window with one gauge at an odd position, so that its edges fall between device
// pixels at fractional ratios: light yellow, no caption, no scale numbers (the number font is
// too big for them), a thin blue needle standing upright at half scale.
struct Scene {
    static constexpr int kLeft = 5;
    static constexpr int kTop = 3;

    Scene(int width, int height, bool border) {
        window.resize(width + 20, height + 20);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(kWindow));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        gauge = new Meter(&window);
        gauge->SetBorderStyle(border ? 1 : 0);
        gauge->SetAppearance(1);
        gauge->SetBackColor(meter::Colour::Rgb(255, 255, 200));
        gauge->SetNeedleColor(meter::Colour::Rgb(0, 0, 255));
        gauge->SetThickNeedle(false);
        gauge->SetScaleColor(meter::Colour::Rgb(0, 0, 0));
        gauge->SetCaption(QString());
        QFont huge(QStringLiteral("DejaVu Sans"));
        huge.setPointSize(60);
        gauge->SetNumberFont(huge);
        gauge->SetValue(50);
        gauge->setGeometry(kLeft, kTop, width, height);
        window.show();
    }

    QRect DeviceRect() const {
        const QRect g = gauge->geometry();
        return QRect(QPoint(Device(g.left()), Device(g.top())),
                     QPoint(Device(g.left() + g.width()) - 1, Device(g.top() + g.height()) - 1));
    }
    QImage Grab() {
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(DeviceRect());
    }

    QWidget window;
    Meter* gauge = nullptr;
};

int CountColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

// The needle's shaft, from its tip half way down to the hub: one run of `dot` blue
// pixels in every row.
void ExpectEvenNeedle(const QImage& image, const char* what) {
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kNeedle) continue;
            if (top < 0) top = y;
            bottom = y;
        }
    }
    ASSERT_GE(top, 0) << what;
    for (int y = top + 1; y < (top + bottom) / 2; ++y) {
        int runs = 0;
        int length = 0;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kNeedle) continue;
            if (x == 0 || image.pixel(x - 1, y) != kNeedle) ++runs;
            ++length;
        }
        EXPECT_EQ(runs, 1) << what << " row " << y;
        EXPECT_EQ(length, Dot()) << what << " row " << y;
    }
}

TEST(MeterAtScale, CoversEveryDevicePixelWithoutBorder) {
    ASSERT_NE(Ratio(), 1.0) << "run with QT_SCALE_FACTOR set to the ratio under test";
    for (int width = 121; width < 125; ++width) {
        Scene scene(width, 97, false);
        const QImage image = scene.Grab();
        const std::string what = "width " + std::to_string(width);
        EXPECT_EQ(CountColour(image, kWindow), 0) << what;
        // The corners lie outside the dial: background to the last device pixel.
        EXPECT_EQ(image.pixel(0, 0), kBack) << what;
        EXPECT_EQ(image.pixel(image.width() - 1, 0), kBack) << what;
        EXPECT_EQ(image.pixel(0, image.height() - 1), kBack) << what;
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), kBack) << what;
        ExpectEvenNeedle(image, what.c_str());
    }
}

// The sunken edge: two lines, each `dot` device pixels wide on every side, then the
// dial's background.
TEST(MeterAtScale, BorderLinesHaveOneWidthOnEverySide) {
    for (int width = 121; width < 125; ++width) {
        Scene scene(width, 97, true);
        const QImage image = scene.Grab();
        const std::string what = "width " + std::to_string(width);
        EXPECT_EQ(CountColour(image, kWindow), 0) << what;
        const int dot = Dot();
        const int w = image.width();
        const int h = image.height();
        // Pixel i from the edge, along each side near the corner where the dial leaves
        // the background free: (side, position along the side) -> pixel.
        const auto left = [&](int i, int along) { return image.pixel(i, along); };
        const auto right = [&](int i, int along) { return image.pixel(w - 1 - i, along); };
        const auto top = [&](int i, int along) { return image.pixel(along, i); };
        const auto bottom = [&](int i, int along) { return image.pixel(along, h - 1 - i); };
        const auto check = [&](auto side, int from, int to, const char* name) {
            const QRgb outer = side(0, from);
            const QRgb inner = side(dot, from);
            EXPECT_NE(outer, kBack) << what << " " << name;
            EXPECT_NE(inner, kBack) << what << " " << name;
            for (int along = from; along < to; ++along) {
                for (int i = 0; i < dot; ++i) {
                    EXPECT_EQ(side(i, along), outer) << what << " " << name << " " << along;
                    EXPECT_EQ(side(dot + i, along), inner) << what << " " << name << " " << along;
                }
                EXPECT_EQ(side(2 * dot, along), kBack) << what << " " << name << " " << along;
            }
        };
        check(left, 3 * dot, 3 * dot + 8, "left");
        check(right, 3 * dot, 3 * dot + 8, "right");
        check(top, 3 * dot, 3 * dot + 8, "top");
        check(bottom, 3 * dot, 3 * dot + 8, "bottom");
        ExpectEvenNeedle(image, what.c_str());
    }
}

}  // namespace
