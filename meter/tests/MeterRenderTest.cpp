// Pixels at points the dial's geometry fixes: zone bands, scale arc and ticks, needle,
// hub, scale numbers and caption; and the cached repaint against a full paint.
#include "DialGeometry.h"
#include "RenderHelpers.h"

#include <meter/ColourTranslation.h>
#include <meter/PropertyBag.h>

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QPicture>

#include <limits>

using namespace meter::test;
using meter::Colour;
using meter::detail::Box;
using meter::detail::Dial;

namespace {

// True when the needle's colour is at the pixel or one of its eight neighbours.
bool NeedleNear(const QImage& image, QPoint p, const QColor& needle) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(p.x() + dx, p.y() + dy) &&
                image.pixelColor(p.x() + dx, p.y() + dy) == needle)
                return true;
    return false;
}

// Checks the needle's colour along the axis at `degrees` from the centre out to radius
// 70, and its absence on the axis a quarter turn away.
void ExpectNeedleAt(const QImage& image, int cx, int cy, double degrees) {
    for (int r = 20; r <= 70; r += 10) {
        EXPECT_TRUE(NeedleNear(image, OnDial(cx, cy, r, degrees), Red))
            << "no needle at radius " << r << ", " << degrees << " degrees";
        const double across = degrees < 90 ? degrees + 90 : degrees - 90;
        EXPECT_FALSE(NeedleNear(image, OnDial(cx, cy, r, across), Red))
            << "needle at radius " << r << ", " << across << " degrees";
    }
}

struct Zones {
    double green, yellow, red;
};

std::unique_ptr<Meter> ZonedGauge(int width, int height, Zones zones) {
    auto gauge = PlainGauge(width, height);
    gauge->SetMaxRedZone(zones.red);
    gauge->SetMaxYellowZone(zones.yellow);
    gauge->SetMaxGreenZone(zones.green);
    gauge->SetValue(100);  // needle at the right end, out of the ring's way
    gauge->SetNeedleColor(Colour(0x00800080));
    return gauge;
}

}  // namespace

TEST(MeterRender, ZoneBandsFillTheRingBetweenRadius81And90) {
    // The worked example: 200 x 100, dial box (0, 0, 200, 200), centre (100, 100).
    auto gauge = ZonedGauge(200, 100, {30, 60, 80});
    const QImage image = Grab(*gauge);
    const struct {
        double value;
        QColor colour;
    } expected[] = {{5, Green}, {15, Green}, {28, Green}, {33, Yellow}, {45, Yellow}, {58, Yellow},
                    {63, Red},  {70, Red},   {78, Red},   {83, White},  {95, White}};
    for (const auto& [value, colour] : expected) {
        for (double radius : {83.0, 85.5, 88.0})
            EXPECT_EQ(image.pixelColor(OnDial(100, 100, radius, DegreesOf(value))), colour)
                << "value " << value << " radius " << radius;
        // Inside the inner disc and between the arc and the tick ends: background.
        EXPECT_EQ(image.pixelColor(OnDial(100, 100, 78, DegreesOf(value))), White) << value;
        EXPECT_EQ(image.pixelColor(OnDial(100, 100, 93, DegreesOf(value))), White) << value;
    }
}

TEST(MeterRender, ZonesAtMinValueDrawNoBandAndGreenCoversYellow) {
    auto none = ZonedGauge(200, 100, {0, 0, 0});
    const QImage empty = Grab(*none);
    for (double value : {5.0, 50.0, 95.0})
        EXPECT_EQ(empty.pixelColor(OnDial(100, 100, 85.5, DegreesOf(value))), White) << value;

    auto covered = ZonedGauge(200, 100, {70, 40, 0});
    const QImage image = Grab(*covered);
    EXPECT_EQ(image.pixelColor(OnDial(100, 100, 85.5, DegreesOf(20))), Green);
    EXPECT_EQ(image.pixelColor(OnDial(100, 100, 85.5, DegreesOf(50))), Green);
    EXPECT_EQ(image.pixelColor(OnDial(100, 100, 85.5, DegreesOf(80))), White);
}

TEST(MeterRender, ZoneAboveMaxValueIsDrawnBeyondTheRightEnd) {
    // Possible after MaxValue was lowered below a zone: the band runs on below the
    // horizontal on the right, as its angle gives (and nothing clears it there).
    auto gauge = PlainGauge(200, 200);
    gauge->SetMaxRedZone(100);
    gauge->SetMaxValue(80);
    gauge->SetValue(0);
    const QImage image = Grab(*gauge);
    // Dial box (0, 50, 200, 250): centre (100, 150). 100 on a 0..80 scale is -45 degrees.
    EXPECT_EQ(image.pixelColor(OnDial(100, 150, 50, -30)), Red);
    EXPECT_EQ(image.pixelColor(OnDial(100, 150, 50, -60)), White);
}

TEST(MeterRender, WideBoundsMoveTheDialToTheMiddle) {
    auto gauge = ZonedGauge(300, 100, {0, 0, 100});
    const QImage image = Grab(*gauge);
    EXPECT_EQ(image.pixelColor(150, 14), Red);  // top of the ring round (150, 100)
    EXPECT_EQ(image.pixelColor(OnDial(150, 100, 85.5, 160)), Red);
    EXPECT_EQ(image.pixelColor(OnDial(150, 100, 85.5, 20)), Red);
    EXPECT_EQ(image.pixelColor(40, 50), White);  // left of the dial box
}

TEST(MeterRender, ScaleArcAndTicks) {
    auto gauge = PlainGauge(200, 100);
    gauge->SetScaleColor(Colour(0x00FF0000));
    gauge->SetValue(100);
    const QImage image = Grab(*gauge);
    // Tick 4 runs straight up from (100, 10) to (100, 1), tick 2 from (163, 36) to
    // (170, 29); tick 6 mirrors it.
    for (int y = 2; y <= 9; ++y) EXPECT_EQ(image.pixelColor(100, y), Blue) << y;
    for (int k = 1; k < 7; ++k) EXPECT_EQ(image.pixelColor(163 + k, 36 - k), Blue) << k;
    // The arc of radius 90 at 60 and 120 degrees, within a pixel.
    for (double degrees : {60.0, 120.0, 170.0}) {
        const QPoint p = OnDial(100, 100, 90, degrees);
        bool found = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                found |= image.pixelColor(p.x() + dx, p.y() + dy) == Blue;
        EXPECT_TRUE(found) << degrees;
    }
    EXPECT_EQ(image.pixelColor(OnDial(100, 100, 95, 60)), White);  // between ticks
}

TEST(MeterRender, NeedleFollowsTheClampedValue) {
    // 200 x 150: dial box (0, 25, 200, 225), centre (100, 125), so the horizontal
    // diameter is inside the picture.
    for (bool thick : {true, false}) {
        SCOPED_TRACE(thick ? "thick needle" : "thin needle");
        auto gauge = PlainGauge(200, 150);
        gauge->SetThickNeedle(thick);
        gauge->SetValue(-30);  // below the range: left end
        ExpectNeedleAt(Grab(*gauge), 100, 125, 180);
        gauge->SetValue(50);
        ExpectNeedleAt(Grab(*gauge), 100, 125, 90);
        gauge->SetValue(25);
        ExpectNeedleAt(Grab(*gauge), 100, 125, 135);
        gauge->SetValue(1000);  // above the range: right end
        ExpectNeedleAt(Grab(*gauge), 100, 125, 0);
    }
}

TEST(MeterRender, ThickNeedleIsWiderThanAThinOne) {
    auto gauge = PlainGauge(200, 150);
    gauge->SetValue(50);
    EXPECT_EQ(Grab(*gauge).pixelColor(102, 100), Red);  // half-width 4 near the hub
    gauge->SetThickNeedle(false);
    EXPECT_EQ(Grab(*gauge).pixelColor(102, 100), White);
}

TEST(MeterRender, HubIsFilledWithTheNeedleColourAndOutlinedInBlack) {
    auto gauge = PlainGauge(200, 150);
    gauge->SetNeedleColor(Colour(0x00FF00FF));
    gauge->SetValue(100);  // needle to the right
    const QImage image = Grab(*gauge);
    // Hub box (91, 116, 109, 134) round (100, 125).
    const QColor magenta(255, 0, 255);
    EXPECT_EQ(image.pixelColor(100, 125), magenta);
    EXPECT_EQ(image.pixelColor(95, 125), magenta);
    EXPECT_EQ(image.pixelColor(100, 120), magenta);
    const auto blackNear = [&](int x, int y) {
        for (int d = -1; d <= 1; ++d)
            if (image.pixelColor(x + d, y) == Qt::black || image.pixelColor(x, y + d) == Qt::black)
                return true;
        return false;
    };
    EXPECT_TRUE(blackNear(100, 116));
    EXPECT_TRUE(blackNear(91, 125));
    EXPECT_EQ(image.pixelColor(100, 112), White);
    EXPECT_EQ(image.pixelColor(86, 125), White);
}

TEST(MeterRender, ScaleNumbersNeedTwiceTheLabelMargin) {
    QFont font(QStringLiteral("DejaVu Sans"), 14);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int a = std::max(metrics.horizontalAdvance("0"), metrics.horizontalAdvance("100")) +
                  metrics.averageCharWidth();
    const int b = metrics.height() + metrics.height() / 2;
    const QColor numberColour(0, 0, 128);

    const auto numberPixels = [&](int width, int height) {
        auto gauge = PlainGauge(width, height);
        gauge->SetNumberFont(font);
        gauge->SetNumberColor(meter::FromQColor(numberColour));
        const QImage image = Grab(*gauge);
        return CountColour(image, numberColour, image.rect());
    };
    EXPECT_GT(numberPixels(2 * a, 2 * b), 0);
    EXPECT_EQ(numberPixels(2 * a - 1, 2 * b + 50), 0);
    EXPECT_EQ(numberPixels(2 * a + 50, 2 * b - 1), 0);
}

TEST(MeterRender, ScaleNumbersAndCaptionStayInTheirRectangles) {
    QFont font(QStringLiteral("DejaVu Sans"), 12);
    font.setBold(true);
    const QColor numberColour(0, 0, 128);
    const QColor captionColour(0, 128, 0);
    auto gauge = PlainGauge(300, 200);
    gauge->SetNumberFont(font);
    gauge->SetCaptionFont(font);
    gauge->SetNumberColor(meter::FromQColor(numberColour));
    gauge->SetCaptionColor(meter::FromQColor(captionColour));
    gauge->SetCaption(QStringLiteral("Coolant temperature in degrees"));  // wider than its box
    gauge->SetMinValue(-50);
    gauge->SetMaxValue(50);
    gauge->SetValue(-50);
    const QImage image = Grab(*gauge);

    // The same geometry as the gauge computes it.
    const QFontMetrics metrics(font);
    const int h = metrics.height();
    const int a = metrics.horizontalAdvance("-50") + metrics.averageCharWidth();
    const auto area = meter::detail::DialAreaFor({0, 0, 300, 200}, {a, h + h / 2});
    ASSERT_TRUE(area.numbersOn);
    const Dial dial = meter::detail::DialFor(meter::detail::FitDialBox(area.rect));
    const auto labels = meter::detail::ScaleLabels({-50, 50}, 0);
    EXPECT_EQ(labels[2], "0");

    QRegion allowed;
    const auto add = [&](int tick, int left, int dy, const QString& text) {
        const QPoint p = dial.TickOuter(tick);
        const int w = metrics.horizontalAdvance(text);
        allowed += QRect(left == 0   ? p.x()
                         : left == 1 ? p.x() - w
                                     : p.x() - w / 2,
                         p.y() + dy - h, w, h);
    };
    add(0, 0, h / 2, labels[0]);
    add(2, 0, 0, labels[1]);
    add(4, 2, 0, labels[2]);
    add(6, 1, 0, labels[3]);
    add(8, 1, h / 2, labels[4]);
    int inside = 0;
    for (const QRect& r : allowed) inside += CountColour(image, numberColour, r);
    EXPECT_GT(inside, 0);
    EXPECT_EQ(inside, CountColour(image, numberColour, image.rect()));

    const QRect captionBox(
        QPoint(meter::detail::Trunc(dial.cx + dial.R2 * std::cos(2.356194490125)),
               meter::detail::Trunc(dial.cy - dial.R2 * std::sin(0.785398163375))),
        QPoint(meter::detail::Trunc(dial.cx + dial.R2 * std::cos(0.785398163375)) - 1,
               dial.cy - dial.t - 1));
    const int caption = CountColour(image, captionColour, captionBox);
    EXPECT_GT(caption, 0);
    EXPECT_EQ(caption, CountColour(image, captionColour, image.rect()));

    gauge->SetCaption(QString());
    EXPECT_EQ(CountColour(Grab(*gauge), captionColour, image.rect()), 0);
}

TEST(MeterRender, RepaintAfterAChangeEqualsAFullPaint) {
    const auto configure = [](Meter& gauge) {
        gauge.SetBorderStyle(0);
        gauge.SetCaption(QStringLiteral("rpm"));
        gauge.SetNumberFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        gauge.SetCaptionFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        gauge.SetMaxValue(8000);
        gauge.SetMaxGreenZone(5000);
        gauge.SetMaxYellowZone(6500);
        gauge.SetMaxRedZone(8000);
        gauge.resize(200, 100);
    };
    Meter cached;
    configure(cached);
    cached.SetValue(1000);
    (void)Grab(cached);  // builds the static layer
    cached.SetValue(7200);
    Meter fresh;
    configure(fresh);
    fresh.SetValue(7200);
    EXPECT_EQ(Grab(cached), Grab(fresh));

    // Any property change, a new size or a new palette rebuilds the static layer.
    cached.SetNumberColor(Colour(0x000000FF));
    fresh.SetNumberColor(Colour(0x000000FF));
    cached.SetBackColor(Colour::System(meter::SystemColour::ButtonFace));
    fresh.SetBackColor(Colour::System(meter::SystemColour::ButtonFace));
    EXPECT_EQ(Grab(cached), Grab(fresh));
    QPalette palette = cached.palette();
    palette.setColor(QPalette::Window, QColor(10, 20, 30));
    cached.setPalette(palette);
    fresh.setPalette(palette);
    EXPECT_EQ(Grab(cached).pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(Grab(cached), Grab(fresh));
    cached.resize(180, 90);
    Meter resized;
    configure(resized);
    resized.setPalette(palette);
    resized.SetNumberColor(Colour(0x000000FF));
    resized.SetBackColor(Colour::System(meter::SystemColour::ButtonFace));
    resized.SetValue(7200);
    resized.resize(180, 90);
    EXPECT_EQ(Grab(cached), Grab(resized));

    // The direct drawing path gives the same picture.
    QImage direct(180, 90, QImage::Format_RGB32);
    QPainter painter(&direct);
    cached.DrawMetafile(painter, QRect(0, 0, 180, 90));
    painter.end();
    EXPECT_EQ(direct, Grab(cached));
}

TEST(MeterRender, HighPixelRatioKeepsTheGeometryInWidgetPixels) {
    auto gauge = ZonedGauge(200, 100, {0, 0, 100});
    gauge->SetCaption(QStringLiteral("x2"));
    gauge->SetCaptionFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QImage sharp(400, 200, QImage::Format_RGB32);
    sharp.setDevicePixelRatio(2.0);
    gauge->render(&sharp);
    // The same dial, drawn at twice the resolution rather than scaled up.
    QImage direct(400, 200, QImage::Format_RGB32);
    direct.setDevicePixelRatio(2.0);
    QPainter painter(&direct);
    gauge->DrawMetafile(painter, QRect(0, 0, 200, 100));
    painter.end();
    EXPECT_EQ(sharp, direct);
    EXPECT_EQ(sharp.pixelColor(200, 28), Red);  // (100, 14) in widget pixels
}

TEST(MeterRender, BorderInsetsTheDial) {
    auto gauge = ZonedGauge(204, 104, {0, 0, 100});
    gauge->SetBorderStyle(1);  // with Appearance 1: a sunken edge two pixels wide
    QImage image = Grab(*gauge);
    EXPECT_EQ(image.pixelColor(102, 16), Red);
    gauge->SetAppearance(0);  // flat: one black line
    gauge->resize(202, 102);
    image = Grab(*gauge);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(201, 50), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(101, 15), Red);
}

TEST(MeterRender, VectorDevicesGetTheDrawingItself) {
    auto gauge = ZonedGauge(200, 100, {0, 0, 100});
    QPicture picture;
    gauge->render(&picture);
    EXPECT_FALSE(gauge->IsDrawingMetafile());
    QImage replayed(200, 100, QImage::Format_RGB32);
    replayed.fill(Qt::black);
    QPainter painter(&replayed);
    picture.play(&painter);
    painter.end();
    EXPECT_EQ(replayed.pixelColor(100, 14), Red);
    EXPECT_EQ(replayed.pixelColor(100, 50), White);
}

TEST(MeterRender, DegenerateStoredValuesDrawWithoutFailing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double min, max, value, zone;
        int decimals;
    } cases[] = {{50, 50, 50, 60, 0},     {50, 50, 70, 50, 2},    {100, 0, 50, 75, 1},
                 {0, 100, nan, nan, -4},  {-inf, inf, 0, 1, 30},  {-1e308, 1e308, 1e308, 0, 4},
                 {0, 100, inf, 1e300, 3}, {nan, nan, nan, nan, 0}};
    for (const auto& c : cases) {
        meter::PropertyBag bag;
        bag.Set("MinValue", c.min);
        bag.Set("MaxValue", c.max);
        bag.Set("Value", c.value);
        bag.Set("MaxGreenZone", c.zone);
        bag.Set("MaxYellowZone", c.zone);
        bag.Set("MaxRedZone", c.zone);
        bag.Set("DecmalLength", c.decimals);
        for (QSize size : {QSize(200, 100), QSize(3, 2), QSize(1, 300)}) {
            Meter gauge;
            gauge.LoadProperties(bag);
            gauge.resize(size);
            EXPECT_FALSE(Grab(gauge).isNull());
        }
    }
}
