// The gauge at a device pixel ratio other than 1 (the test runs once per ratio): it
// covers every device pixel of the widget, and its border lines and needle have one
// width in device pixels everywhere.
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QWidget>
#include <cmath>
#include <string>

namespace {

const QRgb kWindow = qRgb(255, 0, 255);  // shows through wherever the gauge paints nothing
const QRgb kBack = qRgb(255, 255, 200);
const QRgb kNeedle = qRgb(0, 0, 255);

int Dot() {  // device pixels across a one-pixel line
    return std::max(1, static_cast<int>(std::floor(qApp->devicePixelRatio() + 0.5)));
}
int Device(int logical) {  // rounded as the paint system rounds widget edges
    return static_cast<int>(std::floor(logical * qApp->devicePixelRatio() + 0.5));
}

// The device pixels of a gauge at an odd position in a shown window, so that its edges
// fall between device pixels: no caption, no scale numbers (their font is too big), a
// thin blue needle upright at half scale.
QImage GrabGauge(int width, int height, bool border) {
    QWidget window;
    window.resize(width + 20, height + 20);
    window.setPalette(QPalette(QColor(kWindow)));
    window.setAutoFillBackground(true);
    auto* gauge = new Meter(&window);
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
    gauge->setGeometry(5, 3, width, height);
    window.show();
    const QRect device(QPoint(Device(5), Device(3)),
                       QPoint(Device(5 + width) - 1, Device(3 + height) - 1));
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(device);
}

TEST(MeterAtScale, CoversEveryDevicePixelWithLinesOfOneWidth) {
    ASSERT_NE(qApp->devicePixelRatio(), 1.0) << "run with QT_SCALE_FACTOR set to the ratio";
    const int dot = Dot();
    for (const bool border : {false, true}) {
        for (int width = 121; width < 125; ++width) {  // the dial's centre at either parity
            const QImage image = GrabGauge(width, 97, border);
            const std::string what = (border ? "border, width " : "width ") + std::to_string(width);
            const int w = image.width();
            const int h = image.height();
            int needleTop = -1;
            int needleBottom = -1;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_NE(image.pixel(x, y), kWindow) << what << ": " << x << ", " << y;
                    if (image.pixel(x, y) != kNeedle) continue;
                    needleTop = needleTop < 0 ? y : needleTop;
                    needleBottom = y;
                }
            }
            // The needle's shaft, from the tip half way to the hub: `dot` pixels per row.
            ASSERT_GE(needleTop, 0) << what;
            for (int y = needleTop + 1; y < (needleTop + needleBottom) / 2; ++y) {
                int first = 0;
                while (image.pixel(first, y) != kNeedle) ++first;
                int length = 0;
                while (image.pixel(first + length, y) == kNeedle) ++length;
                EXPECT_EQ(length, dot) << what << " row " << y;
            }
            // The sunken edge near each corner, where the dial leaves the background free:
            // two lines of `dot` pixels, then the background (at once without a border).
            const int lines = border ? 2 : 0;
            for (int along = 3 * dot; along < 3 * dot + 8; ++along) {
                const QRgb sides[4][3] = {
                    {image.pixel(0, along), image.pixel(dot, along), image.pixel(2 * dot, along)},
                    {image.pixel(w - 1, along), image.pixel(w - 1 - dot, along),
                     image.pixel(w - 1 - 2 * dot, along)},
                    {image.pixel(along, 0), image.pixel(along, dot), image.pixel(along, 2 * dot)},
                    {image.pixel(along, h - 1), image.pixel(along, h - 1 - dot),
                     image.pixel(along, h - 1 - 2 * dot)}};
                for (int side = 0; side < 4; ++side) {
                    for (int line = 0; line < 3; ++line) {
                        EXPECT_EQ(sides[side][line] == kBack, line >= lines)
                            << what << " side " << side << " line " << line << " at " << along;
                    }
                }
                for (int i = 0; i < dot && border; ++i) {  // each line is `dot` pixels wide
                    EXPECT_EQ(image.pixel(i, along), sides[0][0]) << what;
                    EXPECT_EQ(image.pixel(dot + i, along), sides[0][1]) << what;
                    EXPECT_EQ(image.pixel(w - 1 - i, along), sides[1][0]) << what;
                    EXPECT_EQ(image.pixel(w - 1 - dot - i, along), sides[1][1]) << what;
                    EXPECT_EQ(image.pixel(along, i), sides[2][0]) << what;
                    EXPECT_EQ(image.pixel(along, dot + i), sides[2][1]) << what;
                    EXPECT_EQ(image.pixel(along, h - 1 - i), sides[3][0]) << what;
                    EXPECT_EQ(image.pixel(along, h - 1 - dot - i), sides[3][1]) << what;
                }
            }
        }
    }
}

// How a gauge of the test below is made.
struct Look {
    int width = 123;
    int borderStyle = 1;
    int appearance = 1;
    QRgb window = kWindow;
};

void Apply(QWidget& window, Meter& gauge, const Look& look) {
    window.setPalette(QPalette(QColor(look.window)));
    gauge.SetBorderStyle(look.borderStyle);
    gauge.SetAppearance(look.appearance);
    gauge.setGeometry(5, 3, look.width, 97);
}

QImage GrabShown(QWidget& window, const Meter& gauge) {
    const QRect at = gauge.geometry();
    const QRect device(
        QPoint(Device(at.left()), Device(at.top())),
        QPoint(Device(at.left() + at.width()) - 1, Device(at.top() + at.height()) - 1));
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(device);
}

QImage GrabNew(const Look& look) {
    QWidget window;
    window.resize(look.width + 20, 117);
    window.setAutoFillBackground(true);
    auto* gauge = new Meter(&window);
    Apply(window, *gauge, look);
    window.show();
    return GrabShown(window, *gauge);
}

// A gauge painted before and changed since (its palette, border, appearance or size)
// shows the same pixels as a gauge made that way from the start: nothing drawn for the
// earlier state is painted again.
TEST(MeterAtScale, PaintsAChangedGaugeAsANewOne) {
    ASSERT_NE(qApp->devicePixelRatio(), 1.0) << "run with QT_SCALE_FACTOR set to the ratio";
    QWidget window;
    window.resize(145, 117);
    window.setAutoFillBackground(true);
    auto* gauge = new Meter(&window);
    Look look;
    Apply(window, *gauge, look);
    window.show();
    ASSERT_EQ(GrabShown(window, *gauge), GrabNew(look));

    const struct {
        const char* change;
        void (*apply)(Look&);
    } changes[] = {
        {"palette", [](Look& l) { l.window = qRgb(0, 160, 160); }},
        {"flat appearance", [](Look& l) { l.appearance = 0; }},
        {"3-D appearance", [](Look& l) { l.appearance = 1; }},
        {"narrower", [](Look& l) { l.width = 120; }},
        {"no border", [](Look& l) { l.borderStyle = 0; }},
        {"border again", [](Look& l) { l.borderStyle = 1; }},
    };
    for (const auto& change : changes) {
        change.apply(look);
        Apply(window, *gauge, look);
        EXPECT_EQ(GrabShown(window, *gauge), GrabNew(look)) << "after the " << change.change;
    }
}

}  // namespace
