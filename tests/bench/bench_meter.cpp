// Paint cost of the gauge on the offscreen platform: a full paint of a 200 x 100 gauge
// with scale numbers and caption, a repaint after only Value changed, and the
// player's per-sample work on 15 gauges.
#include <meter/Meter.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGridLayout>
#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace {

void Configure(Meter& gauge) {
    gauge.SetBorderStyle(0);
    gauge.SetBackColor(meter::Colour::Rgb(255, 255, 255));
    gauge.SetCaption(QStringLiteral("rpm x1000"));
    gauge.SetNumberFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    gauge.SetCaptionFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    gauge.SetMaxValue(8);
    gauge.SetMaxRedZone(8);
    gauge.SetMaxYellowZone(7);
    gauge.SetMaxGreenZone(5.5);
    gauge.resize(200, 100);
}

std::unique_ptr<Meter> ShownGauge() {
    auto gauge = std::make_unique<Meter>();
    Configure(*gauge);
    gauge->show();
    QApplication::processEvents();
    return gauge;
}

// Every paint rebuilds the whole picture: a colour change invalidates the static layer.
void BM_FullPaint(benchmark::State& state) {
    auto gauge = ShownGauge();
    int i = 0;
    for (auto _ : state) {
        gauge->SetScaleColor(meter::Colour(i % 2 == 0 ? 0x00FF0000 : 0x00800000));
        gauge->SetValue(2.0 + (i % 5));
        gauge->repaint();
        ++i;
    }
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMicrosecond);

// Every paint rebuilds the whole picture with texts never drawn before: new scale
// numbers and a new caption each time, so every text is measured and shaped again.
void BM_FullPaintNewTexts(benchmark::State& state) {
    auto gauge = ShownGauge();
    gauge->SetDecmalLength(3);
    int i = 0;
    for (auto _ : state) {
        gauge->SetMaxValue(8.0 + (i % 1000) * 0.001);
        gauge->SetCaption(QStringLiteral("rpm %1").arg(i % 1000));
        gauge->SetValue(2.0 + (i % 5));
        gauge->repaint();
        ++i;
    }
}
BENCHMARK(BM_FullPaintNewTexts)->Unit(benchmark::kMicrosecond);

// Only Value changed: the static layer is reused, the needle redrawn.
void BM_ValueRepaint(benchmark::State& state) {
    auto gauge = ShownGauge();
    int i = 0;
    for (auto _ : state) {
        gauge->SetValue(2.0 + (i % 5));
        gauge->repaint();
        ++i;
    }
}
BENCHMARK(BM_ValueRepaint)->Unit(benchmark::kMicrosecond);

// The whole gauge drawn straight into an image (the printing path, no cache).
void BM_DirectDraw(benchmark::State& state) {
    Meter gauge;
    Configure(gauge);
    QImage image(200, 100, QImage::Format_RGB32);
    int i = 0;
    for (auto _ : state) {
        gauge.SetValue(2.0 + (i % 5));
        QPainter painter(&image);
        gauge.DrawMetafile(painter, QRect(0, 0, 200, 100));
        ++i;
    }
}
BENCHMARK(BM_DirectDraw)->Unit(benchmark::kMicrosecond);

// One sample of the player: 15 gauges, MinValue and MaxValue read, Value set, and the
// window repainted.
void BM_FifteenGaugesPerSample(benchmark::State& state) {
    QWidget window;
    auto* grid = new QGridLayout(&window);
    std::vector<Meter*> gauges;
    for (int n = 0; n < 15; ++n) {
        auto* gauge = new Meter(&window);
        Configure(*gauge);
        gauge->setFixedSize(200, 100);
        grid->addWidget(gauge, n / 5, n % 5);
        gauges.push_back(gauge);
    }
    window.show();
    QApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        for (Meter* gauge : gauges) {
            const double v = 1.0 + (i % 7);
            if (gauge->MinValue() <= v && v <= gauge->MaxValue()) gauge->SetValue(v);
        }
        window.repaint();
        ++i;
    }
}
BENCHMARK(BM_FifteenGaugesPerSample)->Unit(benchmark::kMicrosecond);

// The property writes alone (no paint): what the per-sample path costs before painting.
void BM_SetValueOnly(benchmark::State& state) {
    Meter gauge;
    Configure(gauge);
    int i = 0;
    for (auto _ : state) {
        gauge.SetValue(2.0 + (i % 5));
        benchmark::DoNotOptimize(gauge.MaxValue());
        ++i;
    }
}
BENCHMARK(BM_SetValueOnly);

}  // namespace
