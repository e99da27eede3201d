#include "GalleryWindow.h"

#include <meter/CMeterPropPage.h>
#include <meter/Meter.h>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

using meter::Colour;

namespace {

const Colour White = Colour::Rgb(255, 255, 255);
const Colour Black = Colour::Rgb(0, 0, 0);

QFont Font(const char* family, int points, bool bold = false) {
    QFont font(QString::fromUtf8(family));
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

// Fraction (0 to 1) of the way along the scale for the animation.
double Phase(int tick, int gauge) {
    return 0.5 + 0.5 * std::sin(tick * 0.05 + gauge * 0.7);
}

}  // namespace

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("meter gallery"));
    auto* grid = new QGridLayout;
    int slot = 0;
    const auto add = [&](const QString& title, QSize size) {
        auto* box = new QVBoxLayout;
        auto* label = new QLabel(title, this);
        auto* gauge = new Meter(this);
        gauge->setFixedSize(size);
        gauge->setObjectName(title);
        box->addWidget(label);
        box->addWidget(gauge, 0, Qt::AlignLeft | Qt::AlignTop);
        box->addStretch();
        grid->addLayout(box, slot / 4, slot % 4);
        ++slot;
        gauges_.append(gauge);
        return gauge;
    };

    Meter* thick = add(QStringLiteral("Thick needle, zones"), {200, 100});
    thick->SetBackColor(White);
    thick->SetCaption(QStringLiteral("rpm x1000"));
    thick->SetMaxValue(8);
    thick->SetMaxRedZone(8);
    thick->SetMaxYellowZone(7);
    thick->SetMaxGreenZone(5.5);
    thick->SetNumberFont(Font("DejaVu Sans", 9, true));
    thick->SetCaptionFont(Font("DejaVu Sans", 9));

    Meter* thin = add(QStringLiteral("Thin needle, flat border"), {200, 100});
    thin->SetThickNeedle(false);
    thin->SetAppearance(0);
    thin->SetBackColor(White);
    thin->SetNeedleColor(Black);
    thin->SetCaption(QStringLiteral("km/h"));
    thin->SetMaxValue(180);
    thin->SetMaxGreenZone(100);
    thin->SetNumberFont(Font("DejaVu Sans", 8));
    thin->SetCaptionFont(Font("DejaVu Sans", 9, true));

    Meter* decimals = add(QStringLiteral("Two decimals"), {200, 100});
    decimals->SetDecmalLength(2);
    decimals->SetMaxValue(1.5);
    decimals->SetMaxYellowZone(1.2);
    decimals->SetMaxRedZone(1.5);
    decimals->SetCaption(QStringLiteral("boost bar"));
    decimals->SetNumberFont(Font("DejaVu Sans", 8));
    decimals->SetCaptionFont(Font("DejaVu Sans", 8));

    Meter* dark = add(QStringLiteral("Dark, negative to positive"), {200, 100});
    dark->SetBackColor(Colour::Rgb(24, 24, 40));
    dark->SetScaleColor(Colour::Rgb(220, 220, 255));
    dark->SetNumberColor(Colour::Rgb(220, 220, 255));
    dark->SetCaptionColor(Colour::Rgb(255, 255, 160));
    dark->SetNeedleColor(Colour::Rgb(255, 128, 0));
    dark->SetMinValue(-50);
    dark->SetMaxValue(50);
    dark->SetMaxGreenZone(10);
    dark->SetCaption(QStringLiteral("trim %"));
    dark->SetNumberFont(Font("DejaVu Sans", 8, true));
    dark->SetCaptionFont(Font("DejaVu Sans", 9));

    Meter* negative = add(QStringLiteral("Both ends negative"), {200, 100});
    negative->SetMinValue(-100);
    negative->SetMaxValue(-50);
    negative->SetMaxGreenZone(-70);
    negative->SetMaxYellowZone(-60);
    negative->SetMaxRedZone(-50);
    negative->SetCaption(QStringLiteral("vacuum kPa"));
    negative->SetNumberFont(Font("DejaVu Sans", 8));
    negative->SetCaptionFont(Font("DejaVu Sans", 8));

    Meter* japanese = add(QStringLiteral("Japanese caption, system colours"), {240, 120});
    japanese->SetBackColor(Colour::System(meter::SystemColour::Window));
    japanese->SetScaleColor(Colour::System(meter::SystemColour::WindowText));
    japanese->SetNumberColor(Colour::System(meter::SystemColour::WindowText));
    japanese->SetCaptionColor(Colour::System(meter::SystemColour::Highlight));
    japanese->SetMinValue(-20);
    japanese->SetMaxValue(120);
    japanese->SetMaxGreenZone(90);
    japanese->SetMaxYellowZone(105);
    japanese->SetMaxRedZone(120);
    japanese->SetCaption(QStringLiteral("水温 ℃"));
    japanese->SetNumberFont(Font("IPAPGothic", 9));
    japanese->SetCaptionFont(Font("IPAPGothic", 12, true));

    Meter* longCaption = add(QStringLiteral("Long caption, tall box"), {150, 130});
    longCaption->SetCaption(QStringLiteral("Intake air temperature after the intercooler"));
    longCaption->SetMaxValue(60);
    longCaption->SetMaxRedZone(60);
    longCaption->SetMaxYellowZone(45);
    longCaption->SetNumberFont(Font("DejaVu Sans", 7));
    longCaption->SetCaptionFont(Font("DejaVu Sans", 9));

    Meter* tiny = add(QStringLiteral("Tiny, no numbers"), {60, 32});
    tiny->SetBorderStyle(0);
    tiny->SetMaxGreenZone(60);
    tiny->SetCaption(QString());
    Meter* tinier = add(QStringLiteral("Tinier"), {30, 16});
    tinier->SetBorderStyle(0);
    tinier->SetThickNeedle(false);
    tinier->SetCaption(QString());

    choice_ = new QComboBox(this);
    choice_->addItem(tr("All gauges"));
    for (const Meter* gauge : gauges_) choice_->addItem(gauge->objectName());
    auto* properties = new QPushButton(tr("Properties..."), this);
    auto* about = new QPushButton(tr("About..."), this);
    connect(properties, &QPushButton::clicked, this, &GalleryWindow::ShowProperties);
    connect(about, &QPushButton::clicked, this, [this] { gauges_.front()->AboutBox(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(choice_);
    buttons->addWidget(properties);
    buttons->addStretch();
    buttons->addWidget(about);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(&timer_, &QTimer::timeout, this, &GalleryWindow::Animate);
    timer_.start(40);
    Animate();
}

void GalleryWindow::Animate() {
    ++tick_;
    for (int i = 0; i < gauges_.size(); ++i) {
        Meter* gauge = gauges_[i];
        const double span = gauge->MaxValue() - gauge->MinValue();
        // Overshoot both ends a little: the needle stays clamped to the scale.
        gauge->SetValue(gauge->MinValue() - 0.05 * span + 1.1 * span * Phase(tick_, i));
    }
}

void GalleryWindow::Freeze() {
    timer_.stop();
    for (int i = 0; i < gauges_.size(); ++i) {
        Meter* gauge = gauges_[i];
        gauge->SetValue(gauge->MinValue() +
                        (gauge->MaxValue() - gauge->MinValue()) * (0.2 + 0.08 * i));
    }
}

QList<Meter*> GalleryWindow::SelectedGauges() const {
    if (choice_->currentIndex() <= 0) return gauges_;
    return {gauges_[choice_->currentIndex() - 1]};
}

void GalleryWindow::ShowProperties() {
    CMeterPropPage::ExecPropertyDialog(SelectedGauges(), this);
}
