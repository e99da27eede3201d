#include "graph/usrGraph.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>
#include <QWindow>
#include <cmath>
#include <limits>

#include <meter/ColourTranslation.h>
#include <meter/DevicePixels.h>
#include "common/GeneralText.h"
#include "common/Rounding.h"
#include "common/RuntimeError.h"
#include "graph/PlotGrid.h"
#include "graph/PlotPen.h"
#include "graph/PlotPicture.h"
#include "graph/PlotSurface.h"

namespace orvane {

namespace {

// Defaults of a fresh control: the plot in the system's button colours, the labels in
// the system's text-box colours, threshold lines yellow and red.
constexpr meter::Colour kDefaultBackColour = meter::Colour::System(meter::SystemColour::ButtonFace);
constexpr meter::Colour kDefaultForeColour = meter::Colour::System(meter::SystemColour::ButtonText);
constexpr meter::Colour kDefaultFontColour = meter::Colour::System(meter::SystemColour::WindowText);
constexpr meter::Colour kDefaultLabelBackColour =
    meter::Colour::System(meter::SystemColour::Window);
constexpr meter::Colour kDefaultThresholdColour1{0x0000FFFF};
constexpr meter::Colour kDefaultThresholdColour2{0x000000FF};

// A number as the labels show it: its general text, up to 15 significant digits
// (8000, 0.5, 1E+20, 1E-05), with "." whatever the user's locale.
QString NumberText(const std::optional<double>& value) {
    if (!value) return {};
    return QString::fromStdString(GeneralText(*value));
}

// Stored pen widths: 1 or less is the one-pixel pen 0; the width is a 16-bit value.
std::int16_t StoredWidth(std::int32_t value) {
    if (value > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError(ErrorNumber::Overflow);
    }
    return value > 1 ? static_cast<std::int16_t>(value) : std::int16_t{0};
}

double NumberFromVariant(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:  // empty
            return 0.0;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Float:
        case QMetaType::Double:
            return value.toDouble();
        default:
            // Texts (numeric or not), booleans, dates and the like are not numbers.
            throw RuntimeError(ErrorNumber::TypeMismatch);
    }
}

// The device pixel ratio a widget is painted at: its window's, or for a widget whose
// window was never shown the application's (asked that way because the widget's own
// answer allocates memory every time then).
double RatioOf(const QWidget& widget) {
    if (const QWindow* handle = widget.window()->windowHandle()) return handle->devicePixelRatio();
    return qApp->devicePixelRatio();
}

}  // namespace

struct usrGraph::Private {
    explicit Private(usrGraph* owner)
        : picture(new PlotPicture(surface, owner)),
          maxLabel(new QLabel(owner)),
          minLabel(new QLabel(owner)) {}

    QRgb Resolve(meter::Colour colour) const {
        return meter::ToQColor(colour, picture->palette()).rgb();
    }

    // Pixels per unit of the scale. Empty ends count as 0.
    double Scale(int h) const {
        const double span = Span();
        if (!std::isfinite(span)) throw RuntimeError(ErrorNumber::Overflow);
        if (span == 0.0) throw RuntimeError(ErrorNumber::DivisionByZero);
        const double scale = (h - 1) / span;
        if (!std::isfinite(scale)) throw RuntimeError(ErrorNumber::Overflow);
        return scale;
    }

    // The width of the scale, whichever end is the upper one. Empty ends count as 0.
    double Span() const { return std::abs(maxValue.value_or(0.0) - minValue.value_or(0.0)); }

    // The lower end of the scale, whichever end holds it.
    double Base() const {
        const double max = maxValue.value_or(0.0);
        const double min = minValue.value_or(0.0);
        return max > min ? min : max;
    }

    // Checks the row of a value in the picture's pixels (the lower end of the scale on the
    // bottom row h - 1, the upper end on row 0): rows outside the plot are allowed (the
    // drawing clips them) as long as they fit 16 bits.
    void CheckRow(double value, double scale, int h) const {
        const double offset = value - Base();
        if (!std::isfinite(offset)) throw RuntimeError(ErrorNumber::Overflow);
        const double pixels = scale * offset;
        if (!std::isfinite(pixels)) throw RuntimeError(ErrorNumber::Overflow);
        const double row = h - std::floor(pixels) - 1;
        // Written so that NaN fails as well.
        if (!(row >= std::numeric_limits<std::int16_t>::min() &&
              row <= std::numeric_limits<std::int16_t>::max())) {
            throw RuntimeError(ErrorNumber::Overflow);
        }
    }

    // The device pixels the picture covers where its window shows it now (the edges of
    // its rectangle in the window, rounded as the paint system rounds them), at the
    // window's present pixel ratio. At ratio 1 that is simply the picture's size.
    PlotGrid Grid(int w, int h) const {
        const double ratio = RatioOf(*picture);
        if (ratio == 1.0) return {w, h, 1.0};
        const QPoint at = picture->mapTo(picture->window(), QPoint(0, 0));
        return {meter::DeviceExtent(at.x(), w, ratio), meter::DeviceExtent(at.y(), h, ratio),
                ratio};
    }

    // The grid of a drawing call: W x H at the present ratio. A surface made for another
    // ratio (the window moved to another screen) is scaled to it first, keeping the
    // size the picture had at Init.
    PlotGrid CurrentGrid(int w, int h) {
        const PlotGrid grid = Grid(w, h);
        if (!surface.IsNull() && surface.Ratio() != grid.Ratio()) {
            const PlotGrid before = Grid(surfaceSize.width(), surfaceSize.height());
            const PlotGrid old(surface.Width(), surface.Height(), surface.Ratio());
            surface.Resample(before.Width(), before.Height(), before.Ratio());
            lastRow = static_cast<std::int32_t>(
                          std::lround((lastRow - old.Dot() / 2) * grid.Ratio() / old.Ratio())) +
                      grid.Dot() / 2;
        }
        return grid;
    }

    PlotPen LinePen() const { return {Resolve(foreColour), lineWidth}; }
    PlotPen ThresholdPen(meter::Colour colour) const {
        return {Resolve(colour), thresholdLineWidth};
    }

    PlotSurface surface;  // declared before the picture, which refers to it
    PlotPicture* picture;
    QLabel* maxLabel;
    QLabel* minLabel;

    QRgb backgroundRgb = qRgb(0, 0, 0);  // the surface's background, for the columns it uncovers
    PlotPen linePen;
    PlotPen thresholdPen1;
    PlotPen thresholdPen2;
    // Device row of the last plotted point (the last point's row at ratio 1).
    std::int32_t lastRow = 0;
    // Points added less points moved back: the device columns of each step follow it.
    std::int64_t pointCount = 0;
    QSize surfaceSize;  // the picture's size at Init, in its own pixels
    std::int16_t lineWidth = 0;
    std::int16_t thresholdLineWidth = 0;
    meter::Colour thresholdColour1 = kDefaultThresholdColour1;
    meter::Colour thresholdColour2 = kDefaultThresholdColour2;
    bool initialized = false;
    std::optional<double> maxValue;
    std::optional<double> minValue;
    meter::Colour backColour = kDefaultBackColour;
    meter::Colour foreColour = kDefaultForeColour;
    meter::Colour fontColour = kDefaultFontColour;
};

usrGraph::usrGraph(QWidget* parent) : QWidget(parent), d_(std::make_unique<Private>(this)) {
    d_->picture->setObjectName(QStringLiteral("Picture1"));
    d_->maxLabel->setObjectName(QStringLiteral("txtMax"));
    d_->minLabel->setObjectName(QStringLiteral("txtMin"));
    d_->picture->SetBackground(d_->Resolve(d_->backColour));

    // The labels are read-only single lines drawn over the plot (created after it, so
    // they lie on top), filled with their own background and sized to their text.
    for (QLabel* label : {d_->maxLabel, d_->minLabel}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setMargin(0);
        label->setIndent(0);
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, d_->Resolve(d_->fontColour));
        palette.setColor(QPalette::Window, d_->Resolve(kDefaultLabelBackColour));
        label->setPalette(palette);
        // The labels take the plot's font.
        label->setFont(d_->picture->font());
    }
    d_->linePen = d_->LinePen();
    d_->thresholdPen1 = d_->ThresholdPen(d_->thresholdColour1);
    d_->thresholdPen2 = d_->ThresholdPen(d_->thresholdColour2);
}

usrGraph::~usrGraph() = default;

// ---- Layout of the constituent controls --------------------------------------------

namespace {

void SizeToText(QLabel* label, const QFontMetrics& metrics) {
    label->resize(metrics.horizontalAdvance(label->text()), metrics.height());
}

// After a text or font change: both labels fit their text and txtMin stays on the bottom
// edge. The plot always fills the control, so its height is the control's (read here
// rather than from the picture, whose own resize may still be pending while hidden).
void LayoutLabels(QWidget* control, QWidget* picture, QLabel* maxLabel, QLabel* minLabel) {
    const QFontMetrics metrics(picture->font());
    SizeToText(maxLabel, metrics);
    SizeToText(minLabel, metrics);
    minLabel->move(minLabel->x(), control->height() - minLabel->height());
}

}  // namespace

void usrGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    d_->picture->setGeometry(0, 0, width(), height());
    const QFontMetrics metrics(d_->picture->font());
    SizeToText(d_->maxLabel, metrics);
    d_->maxLabel->move(0, 0);
    SizeToText(d_->minLabel, metrics);
    d_->minLabel->move(0, height() - d_->minLabel->height());
}

// ---- Properties -------------------------------------------------------------------

std::optional<double> usrGraph::MinValue() const {
    return d_->minValue;
}

void usrGraph::SetMinValue(std::optional<double> value) {
    d_->minValue = value;
    d_->minLabel->setText(NumberText(value) + QLatin1Char(' '));
    LayoutLabels(this, d_->picture, d_->maxLabel, d_->minLabel);
}

std::optional<double> usrGraph::MaxValue() const {
    return d_->maxValue;
}

void usrGraph::SetMaxValue(std::optional<double> value) {
    d_->maxValue = value;
    d_->maxLabel->setText(NumberText(value) + QLatin1Char(' '));
    LayoutLabels(this, d_->picture, d_->maxLabel, d_->minLabel);
}

meter::Colour usrGraph::BackColor() const {
    return d_->backColour;
}

void usrGraph::SetBackColor(meter::Colour value) {
    // A new background erases the picture; the surface and the pens are rebuilt from it.
    d_->backColour = value;
    d_->picture->SetBackground(d_->Resolve(value));
    if (d_->initialized) {
        d_->surface.Release();
        d_->backgroundRgb = qRgb(0, 0, 0);
        d_->linePen = {};
        d_->thresholdPen1 = {};
        d_->thresholdPen2 = {};
    }
    d_->initialized = false;
    Init();
    d_->picture->Thaw();
}

meter::Colour usrGraph::ForeColor() const {
    return d_->foreColour;
}

void usrGraph::SetForeColor(meter::Colour value) {
    d_->foreColour = value;
    d_->linePen = d_->LinePen();
}

meter::Colour usrGraph::ThresholdColor1() const {
    return d_->thresholdColour1;
}

void usrGraph::SetThresholdColor1(meter::Colour value) {
    d_->thresholdColour1 = value;
    d_->thresholdPen1 = d_->ThresholdPen(value);
}

meter::Colour usrGraph::ThresholdColor2() const {
    return d_->thresholdColour2;
}

void usrGraph::SetThresholdColor2(meter::Colour value) {
    d_->thresholdColour2 = value;
    d_->thresholdPen2 = d_->ThresholdPen(value);
}

std::int16_t usrGraph::LineWidth() const {
    return d_->lineWidth;
}

void usrGraph::SetLineWidth(std::int32_t value) {
    d_->lineWidth = StoredWidth(value);
    d_->linePen = d_->LinePen();
}

std::int16_t usrGraph::ThresholdLineWidth() const {
    return d_->thresholdLineWidth;
}

void usrGraph::SetThresholdLineWidth(std::int32_t value) {
    d_->thresholdLineWidth = StoredWidth(value);
    d_->thresholdPen1 = d_->ThresholdPen(d_->thresholdColour1);
    d_->thresholdPen2 = d_->ThresholdPen(d_->thresholdColour2);
}

meter::Colour usrGraph::FontColor() const {
    return d_->fontColour;
}

void usrGraph::SetFontColor(meter::Colour value) {
    d_->fontColour = value;
    const QColor colour = d_->Resolve(value);
    for (QLabel* label : {d_->minLabel, d_->maxLabel}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
}

namespace {

// Applies one font change to the plot and both labels, in that order.
template <class Change>
void ChangeFont(QWidget* picture, QLabel* minLabel, QLabel* maxLabel, Change change) {
    for (QWidget* widget :
         {picture, static_cast<QWidget*>(minLabel), static_cast<QWidget*>(maxLabel)}) {
        QFont font = widget->font();
        change(font);
        widget->setFont(font);
    }
}

}  // namespace

QString usrGraph::FontName() const {
    return d_->minLabel->font().family();
}

void usrGraph::SetFontName(const QString& value) {
    // Any name is taken; a family that is not installed is drawn with the closest one.
    ChangeFont(d_->picture, d_->minLabel, d_->maxLabel,
               [&](QFont& font) { font.setFamily(value); });
    LayoutLabels(this, d_->picture, d_->maxLabel, d_->minLabel);
}

std::int16_t usrGraph::FontSize() const {
    // Whole points, an exact half to the even neighbour (the default rounding mode).
    return static_cast<std::int16_t>(RoundHalfEven(d_->minLabel->font().pointSizeF()));
}

void usrGraph::SetFontSize(std::int16_t value) {
    // Fonts have at least one point; smaller sizes are drawn (and read back) as 1.
    const int points = std::max<int>(value, 1);
    ChangeFont(d_->picture, d_->minLabel, d_->maxLabel,
               [&](QFont& font) { font.setPointSize(points); });
    LayoutLabels(this, d_->picture, d_->maxLabel, d_->minLabel);
}

bool usrGraph::FontBold() const {
    return d_->minLabel->font().bold();
}

void usrGraph::SetFontBold(bool value) {
    ChangeFont(d_->picture, d_->minLabel, d_->maxLabel, [&](QFont& font) { font.setBold(value); });
    LayoutLabels(this, d_->picture, d_->maxLabel, d_->minLabel);
}

bool usrGraph::FontItalic() const {
    return d_->minLabel->font().italic();
}

void usrGraph::SetFontItalic(bool value) {
    ChangeFont(d_->picture, d_->minLabel, d_->maxLabel,
               [&](QFont& font) { font.setItalic(value); });
    LayoutLabels(this, d_->picture, d_->maxLabel, d_->minLabel);
}

bool usrGraph::TextVisible() const {
    return d_->minLabel->isVisibleTo(this);
}

void usrGraph::SetTextVisible(bool value) {
    d_->minLabel->setVisible(value);
    d_->maxLabel->setVisible(value);
}

// ---- Drawing ------------------------------------------------------------------------

void usrGraph::Init() {
    if (d_->initialized) return;
    // Until now the picture has shown nothing but its background, so the surface starts
    // as that, at the picture's present size.
    const QRgb background = d_->Resolve(d_->backColour);
    const PlotGrid grid = d_->Grid(width(), height());
    d_->surface.Create(grid.Width(), grid.Height(), background, grid.Ratio());
    d_->surfaceSize = size();
    d_->backgroundRgb = background;
    for (QLabel* label : {d_->minLabel, d_->maxLabel}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, QColor(background));
        label->setPalette(palette);
    }
    d_->linePen = d_->LinePen();
    d_->thresholdPen1 = d_->ThresholdPen(d_->thresholdColour1);
    d_->thresholdPen2 = d_->ThresholdPen(d_->thresholdColour2);
    // Just below the bottom row: the first segment rises from the bottom edge.
    d_->lastRow = grid.BelowBottom();
    d_->pointCount = 0;
    d_->initialized = true;
}

void usrGraph::AddPoint(double value) {
    if (!d_->initialized) return;
    const int w = width();
    const int h = height();
    PlotSurface& surface = d_->surface;
    const PlotGrid grid = d_->CurrentGrid(w, h);

    // The rows are worked out first, in the picture's pixels, which decide the errors.
    // A row that fails stops the drawing at that step: the surface still scrolls and
    // takes the steps before it, but the picture keeps what the last successful drawing
    // showed.
    enum Step { Scrolled, Blanked, Threshold1Marked, Threshold2Marked, Segment };
    Step reached = Segment;
    std::optional<RuntimeError> failure;
    double scale = 0;
    const bool mark1 = Threshold1.value_or(0.0) != 0.0;
    const bool mark2 = Threshold2.value_or(0.0) != 0.0;
    try {
        reached = Scrolled;  // an empty scale fails here
        scale = d_->Scale(h);
        reached = Blanked;
        if (mark1) d_->CheckRow(*Threshold1, scale, h);
        reached = Threshold1Marked;
        if (mark2) d_->CheckRow(*Threshold2, scale, h);
        reached = Threshold2Marked;
        d_->CheckRow(value, scale, h);
        reached = Segment;
    } catch (const RuntimeError& error) {
        failure = error;
        d_->picture->Freeze();
    }

    // The same rows on the device grid (at ratio 1 the rows above).
    const double base = d_->Base();
    const double span = d_->Span();
    const auto row = [&](double v) { return grid.Row(v - base, span); };

    const int step = grid.Step(d_->pointCount);
    surface.ScrollLeft(grid.Width(), grid.Height(), step);
    ++d_->pointCount;
    if (reached >= Blanked) {
        surface.FillColumns(grid.Width() - step, step, grid.Height(), d_->backgroundRgb);
    }
    // Marks at the same row on every point join into a horizontal line.
    const int x1 = grid.NewestColumn();
    const int x0 = x1 - step;
    if (reached >= Threshold1Marked && mark1) {
        const int r1 = row(*Threshold1);
        surface.DrawLine(grid.DevicePen(d_->thresholdPen1), x0, r1, x1, r1);
    }
    if (reached >= Threshold2Marked && mark2) {
        const int r2 = row(*Threshold2);
        surface.DrawLine(grid.DevicePen(d_->thresholdPen2), x0, r2, x1, r2);
    }
    if (failure) throw *failure;
    const int newRow = row(value);
    surface.DrawLine(grid.DevicePen(d_->linePen), x0, d_->lastRow, x1, newRow);
    d_->picture->Thaw();
    d_->lastRow = newRow;
}

void usrGraph::AddPoint(const QVariant& value) {
    if (!d_->initialized) return;
    AddPoint(NumberFromVariant(value));
}

void usrGraph::BackMove() {
    if (!d_->initialized) return;
    const PlotGrid grid = d_->CurrentGrid(width(), height());
    --d_->pointCount;
    const int step = grid.Step(d_->pointCount);
    d_->surface.ScrollRight(grid.Width(), grid.Height(), step);
    d_->surface.FillColumns(0, step, grid.Height(), d_->backgroundRgb);
    d_->picture->Thaw();
}

void usrGraph::Paint() {
    if (!d_->initialized) return;
    d_->picture->Thaw();
}

void usrGraph::Clear() {
    // The picture is filled with its background and copied into the surface; before Init
    // there is no surface and only the picture is filled.
    const QRgb background = d_->Resolve(d_->backColour);
    d_->picture->SetBackground(background);
    if (d_->initialized) {
        const PlotGrid grid = d_->CurrentGrid(width(), height());
        d_->surface.Fill(grid.Width(), grid.Height(), background);
    }
    d_->picture->Thaw();
}

// ---- Access -------------------------------------------------------------------------

bool usrGraph::Initialized() const {
    return d_->initialized;
}
QWidget* usrGraph::Picture1() const {
    return d_->picture;
}
QLabel* usrGraph::txtMax() const {
    return d_->maxLabel;
}
QLabel* usrGraph::txtMin() const {
    return d_->minLabel;
}
QImage usrGraph::PlotImage() const {
    return d_->surface.ToImage();
}

}  // namespace orvane
