#include "views/chart/ChartCanvas.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include <meter/ColourTranslation.h>

#include "analysis/ElapsedTime.h"
#include "analysis/FormulaStream.h"
#include "analysis/ReferenceAlignment.h"
#include "analysis/ShownDifference.h"
#include "log/LogFormat.h"
#include "session/LogSession.h"

namespace orvane {
namespace {

constexpr int kLeft = 64;  // the first series' scale labels
constexpr int kRight = 12;
constexpr int kAxisHeight = 26;  // the time axis under the panes
constexpr int kLegendHeight = 16;
constexpr int kPaneGap = 6;
constexpr int kDragThreshold = 3;  // pixels a press moves before it is a drag
constexpr int kBreakPixels = 10;
constexpr int kMinBreakPixels = 3;
constexpr double kWheelStep = 1.25;    // zoom per notch of the wheel
constexpr double kFollowRight = 0.95;  // past this share of the width the view moves on
constexpr double kFollowLeft = 0.1;    // and then the playhead stands here

const QColor kBackground(24, 24, 28);
const QColor kPlotBackground(12, 12, 14);
const QColor kGrid(50, 50, 58);
const QColor kText(220, 220, 220);
const QColor kPlayhead(255, 255, 255);
const QColor kCursor(255, 255, 255, 150);
const QColor kMarker(255, 200, 0);
const QColor kRangeShade(255, 255, 255, 36);
const QColor kSpanShade(90, 170, 255, 60);
const QColor kSpanEdge(90, 170, 255);
const QColor kPause(120, 220, 255);
const QColor kFilterShade(150, 150, 150, 110);
const QColor kFilterPartShade(150, 150, 150, 55);
const QColor kSeriesColours[] = {QColor(0, 210, 90),   QColor(90, 170, 255), QColor(255, 170, 0),
                                 QColor(230, 90, 230), QColor(255, 90, 90),  QColor(0, 220, 220),
                                 QColor(210, 210, 90), QColor(170, 130, 255)};

QColor ColourOf(std::size_t index) {
    return kSeriesColours[index % std::size(kSeriesColours)];
}

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString ScaleNumber(double value) {
    return QString::number(value, 'g', 5);
}

// A round step (1, 2 or 5 times a power of ten) that cuts `span` into at most `lines`.
double GridStep(double span, int lines) {
    if (!(span > 0)) return 1;
    const double rough = span / std::max(1, lines);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= rough) return factor * power;
    }
    return 10 * power;
}

// The nicest step of elapsed time that keeps labels at least `pixels` apart.
double TickStep(double millisPerPixel, double pixels) {
    static const double steps[] = {10,      20,      50,       100,      200,      500,
                                   1000,    2000,    5000,     10000,    15000,    30000,
                                   60000,   120000,  300000,   600000,   900000,   1800000,
                                   3600000, 7200000, 14400000, 21600000, 43200000, 86400000};
    for (const double step : steps) {
        if (step / millisPerPixel >= pixels) return step;
    }
    return std::ceil(millisPerPixel * pixels / 86400000.0) * 86400000.0;
}

}  // namespace

ChartCanvas::ChartCanvas(LogSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("picChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
}

ChartCanvas::~ChartCanvas() = default;

int ChartCanvas::BreakPixels() const {
    // Many pauses get narrower breaks, so that they never take more than a fifth of the
    // width at the whole log's zoom.
    if (!timeline_ || timeline_->Breaks().empty()) return kBreakPixels;
    const int room = PlotRect().width() / 5;
    const auto count = static_cast<int>(timeline_->Breaks().size());
    return std::clamp(room / count, kMinBreakPixels, kBreakPixels);
}

void ChartCanvas::SetTimeline(std::shared_ptr<const ChartTimeline> timeline) {
    timeline_ = std::move(timeline);
    frame_.reset();
    cursor_ = 0;
    span_.reset();
    viewSet_ = false;
    if (timeline_) ShowWholeLog();
    Invalidate();
}

void ChartCanvas::SetPanes(std::vector<Pane> panes) {
    panes_ = std::move(panes);
    frame_.reset();
    Invalidate();
}

std::vector<ChartSeries> ChartCanvas::AllSeries() const {
    std::vector<ChartSeries> all;
    for (const Pane& pane : panes_) all.insert(all.end(), pane.Series.begin(), pane.Series.end());
    return all;
}

void ChartCanvas::SetView(const ChartView& view) {
    view_ = view;
    viewSet_ = true;
    frame_.reset();
    Invalidate();
    emit ViewChanged();
}

void ChartCanvas::ShowWholeLog() {
    if (!timeline_) return;
    SetView(timeline_->WholeLog(PlotRect().width(), BreakPixels()));
}

void ChartCanvas::ShowSamples(SampleRange range) {
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!timeline_ || !reader || range.Empty()) return;
    const auto first = timeline_->AxisOfSample(*reader, range.First);
    const auto last = timeline_->AxisOfSample(*reader, range.Last);
    if (!first || !last) return;
    // A twentieth of the span either side.
    const double room = static_cast<double>(*last - *first) / 20;
    SetView(timeline_->Showing(static_cast<double>(*first) - room,
                               static_cast<double>(*last) + room, PlotRect().width(),
                               BreakPixels()));
}

void ChartCanvas::ZoomAt(double x, double factor) {
    if (!timeline_) return;
    SetView(timeline_->Zoomed(view_, x, factor));
}

void ChartCanvas::PanBy(double pixels) {
    if (!timeline_ || pixels == 0) return;
    SetView(timeline_->Panned(view_, pixels));
}

void ChartCanvas::SetPlayhead(std::int64_t sample) {
    if (sample == playhead_) return;
    const std::optional<double> before = PixelOfSample(playhead_);
    const ChartView viewBefore = view_;
    playhead_ = sample;
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (follow_ && timeline_ && reader && sample > 0 && Frame()) {
        const auto pixel = PixelOfSample(sample);
        const double width = view_.Width;
        if (!pixel || *pixel < 0 || *pixel >= kFollowRight * width) {
            if (const auto axis = timeline_->AxisOfSample(*reader, sample)) {
                ChartView moved = view_;
                moved.StartAxis =
                    static_cast<double>(*axis) - kFollowLeft * width * view_.MillisPerPixel;
                SetView(timeline_->Panned(moved, 0));
            }
        }
    }
    if (view_ != viewBefore || !staticValid_) {
        update();
        return;
    }
    // Only the playhead moved: its old and new columns, and the legends it reads out.
    const QRect plot = PlotRect();
    for (const std::optional<double> x : {before, PixelOfSample(playhead_)}) {
        if (x) update(QRect(plot.x() + static_cast<int>(std::floor(*x)) - 1, 0, 3, height()));
    }
    if (cursor_ == 0) {
        for (int pane = 0; pane < static_cast<int>(panes_.size()); ++pane) {
            const QRect box = PaneRect(pane);
            update(QRect(box.x(), box.y(), box.width(), kLegendHeight));
        }
    }
}

void ChartCanvas::SetFollow(bool on) {
    follow_ = on;
    if (on && playhead_ > 0) {
        const std::int64_t sample = playhead_;
        playhead_ = 0;
        SetPlayhead(sample);
    }
}

void ChartCanvas::SetCursorAt(std::optional<int> x) {
    cursorX_ = x;
    std::int64_t sample = 0;
    if (x) {
        if (const ChartFrame* frame = Frame()) sample = frame->SampleAt(*x - PlotRect().x());
    }
    if (sample == cursor_) {
        update();
        return;
    }
    cursor_ = sample;
    update();
    emit CursorMoved(sample);
}

void ChartCanvas::SetSpan(std::optional<SampleRange> span) {
    if (span && span->First > span->Last) std::swap(span->First, span->Last);
    span_ = span;
    update();
}

void ChartCanvas::SetMarks(std::vector<std::int64_t> markers, std::optional<SampleRange> range) {
    markers_ = std::move(markers);
    range_ = range;
    Invalidate();
}

QRect ChartCanvas::PlotRect() const {
    return {kLeft, 0, std::max(1, width() - kLeft - kRight), std::max(1, height() - kAxisHeight)};
}

int ChartCanvas::PaneAt(QPoint point) const {
    for (int p = 0; p < static_cast<int>(panes_.size()); ++p) {
        if (PaneRect(p).adjusted(-kLeft, 0, kRight, kPaneGap).contains(point)) return p;
    }
    return -1;
}

QRect ChartCanvas::PaneRect(int pane) const {
    const QRect plot = PlotRect();
    const int count = std::max<int>(1, static_cast<int>(panes_.size()));
    const int height = std::max(1, (plot.height() - kPaneGap * (count - 1)) / count);
    return {plot.x(), plot.y() + pane * (height + kPaneGap), plot.width(), height};
}

const ChartFrame* ChartCanvas::Frame() {
    if (frame_) return &*frame_;
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!timeline_ || !reader) return nullptr;
    const int width = PlotRect().width();
    if (!viewSet_ || view_.Width != width) {
        // A new width keeps the zoom and the left edge; only the first view fits the log.
        if (!viewSet_) {
            view_ = timeline_->WholeLog(width, BreakPixels());
            viewSet_ = true;
        } else {
            view_.Width = width;
            view_.BreakPixels = BreakPixels();
        }
    }
    std::string error;
    const std::shared_ptr<const ComputedSummary> computed = session_.ComputedMinMax();
    frame_ = ChartFrame::Compute(*timeline_, *reader, AllSeries(), view_, computed.get(), scratch_,
                                 error);
    return frame_ ? &*frame_ : nullptr;
}

std::pair<double, double> ChartCanvas::ScaleOf(int pane, std::size_t series) {
    const ChartSeries& s = panes_[static_cast<std::size_t>(pane)].Series[series];
    if (panes_[static_cast<std::size_t>(pane)].FitToVisible) {
        if (const ChartFrame* frame = Frame()) {
            std::size_t index = 0;
            for (int p = 0; p < pane; ++p)
                index += panes_[static_cast<std::size_t>(p)].Series.size();
            index += series;
            bool any = false;
            double low = 0, high = 0;
            for (int c = 0; c < frame->Width(); ++c) {
                if (frame->Samples(c).Empty()) continue;
                const auto [a, b] = frame->Extremes(index, c);
                if (std::isnan(a)) continue;
                low = any ? std::min(low, a) : a;
                high = any ? std::max(high, b) : b;
                any = true;
            }
            if (frame->ShowsPoints()) {
                for (std::size_t i = 0; i < frame->Points().size(); ++i) {
                    const double v = frame->PointValue(index, i);
                    if (std::isnan(v)) continue;
                    low = any ? std::min(low, v) : v;
                    high = any ? std::max(high, v) : v;
                    any = true;
                }
            }
            if (any) {
                const double room =
                    high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(low) * 0.05);
                return {low - room, high + room};
            }
        }
    }
    if (s.SeriesKind() == ChartSeries::Kind::Switch) return {-0.15, 1.15};
    if (s.SeriesKind() == ChartSeries::Kind::Computed) return ComputedScale(s);
    return session_.ScaleOf(s.Slot());
}

double ChartCanvas::RowOf(double value, std::pair<double, double> scale, const QRect& rect) const {
    const double low = std::min(scale.first, scale.second);
    const double high = std::max(scale.first, scale.second);
    const double share = high > low ? (value - low) / (high - low) : 0.5;
    return rect.bottom() - std::clamp(share, 0.0, 1.0) * (rect.height() - 1);
}

std::optional<double> ChartCanvas::PixelOfSample(std::int64_t sample) const {
    if (!frame_ || sample < 1) return std::nullopt;
    return frame_->PixelOf(sample);
}

std::optional<LogRecord> ChartCanvas::RecordOf(std::int64_t sample) const {
    if (sample < 1) return std::nullopt;
    if (sample == session_.ShownSample()) return session_.ShownRecord();
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader) return std::nullopt;
    std::uint8_t bytes[RecordSize];
    if (reader->ReadAt(RecordOffset(sample), bytes, RecordSize) != RecordSize) return std::nullopt;
    return LogRecord::Decode(std::span<const std::uint8_t, RecordSize>(bytes, RecordSize));
}

QString ChartCanvas::LegendText(const ChartSeries& series, std::optional<double> value,
                                std::pair<double, double> scale) const {
    QString text = Latin1(series.Name());
    if (value) text += QStringLiteral(" ") + Latin1(series.Text(*value));
    if (series.SeriesKind() != ChartSeries::Kind::Switch) {
        text += QStringLiteral("  [%1 \u2013 %2]")
                    .arg(ScaleNumber(std::min(scale.first, scale.second)),
                         ScaleNumber(std::max(scale.first, scale.second)));
    }
    return text;
}

std::size_t ChartCanvas::MemoryBytes() const {
    std::size_t bytes =
        sizeof(*this) + scratch_.capacity() + static_cast<std::size_t>(static_.sizeInBytes());
    if (timeline_) bytes += timeline_->MemoryBytes() + timeline_->Summary().MemoryBytes();
    if (frame_) bytes += frame_->MemoryBytes();
    if (refFrame_) bytes += refFrame_->MemoryBytes() + refScratch_.capacity();
    return bytes;
}

QString ChartCanvas::AxisTimeText(double elapsedMillis) {
    const auto millis = static_cast<std::int64_t>(std::floor(std::max(0.0, elapsedMillis) + 1e-6));
    if (millis >= 3'600'000) return QString::fromStdString(ElapsedText(millis));
    const std::int64_t tenths = millis / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

void ChartCanvas::Invalidate() {
    staticValid_ = false;
    update();
}

void ChartCanvas::DrawStatic(QPainter& p) {
    p.fillRect(rect(), kBackground);
    const ChartFrame* frame = Frame();
    for (int pane = 0; pane < static_cast<int>(panes_.size()); ++pane) {
        p.fillRect(PaneRect(pane), kPlotBackground);
        if (frame) DrawPane(p, pane, *frame);
    }
    if (frame) DrawAxis(p, *frame);
}

void ChartCanvas::DrawPane(QPainter& p, int pane, const ChartFrame& frame) {
    const QRect box = PaneRect(pane);
    const QRect area = box.adjusted(0, kLegendHeight, 0, -2);
    const Pane& panel = panes_[static_cast<std::size_t>(pane)];
    std::size_t index = 0;
    for (int q = 0; q < pane; ++q) index += panes_[static_cast<std::size_t>(q)].Series.size();
    const int width = frame.Width();
    QFont small = font();
    small.setPointSizeF(7.5);
    p.setFont(small);

    // The grid at round values of the first series' scale, labelled with them.
    if (!panel.Series.empty()) {
        const auto scale = ScaleOf(pane, 0);
        const double low = std::min(scale.first, scale.second);
        const double high = std::max(scale.first, scale.second);
        const double step = GridStep(high - low, std::max(2, area.height() / 28));
        for (double value = std::ceil(low / step - 1e-9) * step; value <= high + step * 1e-9;
             value += step) {
            const int y = static_cast<int>(std::lround(RowOf(value, scale, area)));
            p.fillRect(area.x(), y, area.width(), 1, kGrid);
            p.setPen(ColourOf(index));
            p.drawText(QRect(0, y - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                       ScaleNumber(std::abs(value) < step * 1e-9 ? 0.0 : value));
        }
    }

    p.save();
    p.setClipRect(box);
    // The in/out range, shaded.
    if (range_ && !frame.InView().Empty() && range_->Last >= frame.InView().First &&
        range_->First <= frame.InView().Last) {
        const double a = PixelOfSample(range_->First).value_or(-1);
        const double b = PixelOfSample(range_->Last).value_or(width);
        p.fillRect(QRectF(box.x() + std::max(0.0, a), box.y(),
                          std::min<double>(width, b + 1) - std::max(0.0, a), box.height()),
                   kRangeShade);
    }
    // Pauses: a hatched break.
    for (const auto& [j, x] : frame.Breaks()) {
        const QRectF band(box.x() + x, box.y(), view_.BreakPixels, box.height());
        p.fillRect(band, QBrush(kPause, Qt::BDiagPattern));
        p.fillRect(QRectF(band.left(), band.top(), 1, band.height()), kPause);
        p.fillRect(QRectF(band.right(), band.top(), 1, band.height()), kPause);
    }
    // Markers.
    if (!frame.InView().Empty()) {
        const auto first = std::lower_bound(markers_.begin(), markers_.end(), frame.InView().First);
        for (auto m = first; m != markers_.end() && *m <= frame.InView().Last; ++m) {
            if (const auto x = PixelOfSample(*m)) {
                p.fillRect(QRectF(box.x() + std::floor(*x), box.y(), 1, box.height()), kMarker);
            }
        }
    }

    DrawReference(p, pane, area);

    // The series.
    std::vector<int> displaySlots;
    const std::vector<AlarmBox> boxes = session_.AlarmBoxes(&displaySlots);
    const QPalette palette = this->palette();
    for (std::size_t s = 0; s < panel.Series.size(); ++s, ++index) {
        const ChartSeries& series = panel.Series[s];
        const auto scale = ScaleOf(pane, s);
        const QColor colour = ColourOf(index);
        // Alarm thresholds of the value boxes showing the item, dashed.
        if (series.SeriesKind() == ChartSeries::Kind::Item) {
            for (std::size_t b = 0; b < boxes.size(); ++b) {
                if (boxes[b].Slot != series.Slot()) continue;
                const DisplaySlotLayout& slot =
                    session_.Layout().Slots[static_cast<std::size_t>(displaySlots[b])];
                const std::pair<double, meter::Colour> levels[] = {
                    {boxes[b].Threshold1, slot.AlarmColour1},
                    {boxes[b].Threshold2, slot.AlarmColour2}};
                for (const auto& [threshold, alarmColour] : levels) {
                    if (!(threshold > 0)) continue;
                    const double y = RowOf(threshold, scale, area);
                    p.setPen(QPen(meter::ToQColor(alarmColour, palette), 1, Qt::DashLine));
                    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
                }
            }
        }
        p.setPen(QPen(colour, 1));
        const bool steps = series.SeriesKind() == ChartSeries::Kind::Switch;
        if (frame.ShowsPoints()) {
            const auto& points = frame.Points();
            QPolygonF line;
            line.reserve(static_cast<qsizetype>(points.size() * (steps ? 2 : 1)));
            // Smoothed while the points stand apart; a dense line is drawn plain, which is
            // several times quicker and looks the same.
            const bool apart = width / std::max<double>(1, static_cast<double>(points.size())) >= 4;
            p.setRenderHint(QPainter::Antialiasing, apart);
            QPolygonF piece;  // a computed item's line breaks where it has no value
            for (std::size_t i = 0; i < points.size(); ++i) {
                const double value = frame.PointValue(index, i);
                if (std::isnan(value)) {
                    p.drawPolyline(piece);
                    piece.clear();
                    continue;
                }
                const QPointF at(area.x() + points[i].X, RowOf(value, scale, area));
                if (steps && !line.isEmpty()) line << QPointF(at.x(), line.back().y());
                line << at;
                piece << at;
            }
            p.drawPolyline(series.SeriesKind() == ChartSeries::Kind::Computed ? piece : line);
            p.setRenderHint(QPainter::Antialiasing, false);
            // Each sample's own point, once they stand apart.
            if (points.size() > 1 && width / static_cast<double>(points.size()) >= 6) {
                for (const QPointF& at : line) {
                    if (!steps || &at == &line.front() || (&at - &line.front()) % 2 == 0) {
                        p.fillRect(QRectF(at.x() - 1.5, at.y() - 1.5, 3, 3), colour);
                    }
                }
            }
            continue;
        }
        QVector<QLineF> bars;
        bars.reserve(width);
        double previousTop = 0, previousBottom = 0;
        bool previous = false;
        for (int c = 0; c < width; ++c) {
            if (frame.Samples(c).Empty()) {
                previous = false;
                continue;
            }
            const auto [low, high] = frame.Extremes(index, c);
            if (std::isnan(low)) {
                previous = false;
                continue;
            }
            double top = RowOf(high, scale, area);
            double bottom = RowOf(low, scale, area);
            // Joined to the column before, as a line would be.
            if (previous) {
                if (bottom < previousTop) bottom = previousTop;
                if (top > previousBottom) top = previousBottom;
            }
            const double x = area.x() + c + 0.5;
            // At least a pixel long: a line of no length draws nothing.
            bars.append(QLineF(x, top, x, std::max(bottom, top + 1)));
            previousTop = RowOf(high, scale, area);
            previousBottom = RowOf(low, scale, area);
            previous = true;
        }
        p.drawLines(bars);
    }
    DrawFilterShade(p, box, frame);
    p.restore();
}

void ChartCanvas::DrawAxis(QPainter& p, const ChartFrame& frame) {
    const QRect plot = PlotRect();
    const int y = plot.bottom() + 1;
    p.fillRect(plot.x(), y, plot.width(), 1, kGrid);
    QFont small = font();
    small.setPointSizeF(7.5);
    p.setFont(small);
    const QFontMetrics metrics(small);
    std::vector<std::pair<int, int>> taken;  // label extents already drawn
    const auto free = [&](int left, int right) {
        return std::none_of(taken.begin(), taken.end(), [&](const std::pair<int, int>& t) {
            return left < t.second + 4 && right > t.first - 4;
        });
    };
    // Each pause's length, on its break.
    for (const auto& [j, x] : frame.Breaks()) {
        const LogPause& pause = timeline_->Breaks()[j].Pause;
        const QString text =
            QStringLiteral("\u2016 ") + QString::fromStdString(DurationText(pause.Millis()));
        const int w = metrics.horizontalAdvance(text);
        const int left = plot.x() + static_cast<int>(x) + view_.BreakPixels / 2 - w / 2;
        if (!free(left, left + w)) continue;
        taken.emplace_back(left, left + w);
        p.setPen(kPause);
        p.drawText(QRect(left, y + 12, w + 2, 13), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    // Ticks at round elapsed times, in each stretch between breaks.
    const double m = view_.MillisPerPixel;
    const double step = TickStep(m, 90);
    std::vector<std::pair<double, double>> stretches;  // pixel from, to
    double from = 0;
    for (const auto& [j, x] : frame.Breaks()) {
        if (x > from) stretches.emplace_back(from, x);
        from = x + view_.BreakPixels;
    }
    if (from < frame.Width()) stretches.emplace_back(from, frame.Width());
    p.setPen(kText);
    for (const auto& [a, b] : stretches) {
        const ChartTimeline::Place place = timeline_->PlaceAt(a, view_);
        const double start = timeline_->ElapsedOf(place.Axis, place.Pauses);
        for (double t = std::ceil(start / step) * step; (t - start) / m < b - a; t += step) {
            const int x = plot.x() + static_cast<int>(std::lround(a + (t - start) / m));
            p.fillRect(x, y, 1, 5, kText);
            const QString text = AxisTimeText(t);
            const int w = metrics.horizontalAdvance(text);
            if (!free(x - w / 2, x + w / 2)) continue;
            taken.emplace_back(x - w / 2, x + w / 2);
            p.drawText(QRect(x - w / 2 - 1, y + 5, w + 2, 13), Qt::AlignCenter, text);
        }
    }
}

void ChartCanvas::DrawLegends(QPainter& p) {
    QFont small = font();
    small.setPointSizeF(8);
    p.setFont(small);
    const QFontMetrics metrics(small);
    const std::optional<LogRecord> record = RecordOf(ReadoutSample());
    // The reference's series and its sample beside the readout's.
    const std::vector<std::optional<ChartSeries>> partners = ReferenceSeries();
    std::optional<LogRecord> referenceRecord;
    if (reference_) {
        if (const auto r = ReferenceReadoutSample()) referenceRecord = ReferenceRecordOf(*r);
    }
    const auto referenceValue = [&](std::size_t i) -> std::optional<double> {
        if (!referenceRecord || !partners[i]) return std::nullopt;
        return partners[i]->ValueAt(*referenceRecord);
    };
    std::size_t index = 0;
    for (int pane = 0; pane < static_cast<int>(panes_.size()); ++pane) {
        const QRect box = PaneRect(pane);
        int x = box.x() + 4;
        const Pane& panel = panes_[static_cast<std::size_t>(pane)];
        for (std::size_t s = 0; s < panel.Series.size(); ++s, ++index) {
            const ChartSeries& series = panel.Series[s];
            std::optional<double> value;
            if (series.SeriesKind() == ChartSeries::Kind::Computed) {
                if (record) value = ValueAtSample(series, ReadoutSample());
            } else if (record) {
                value = series.ValueAt(*record);
            }
            const QString text = reference_
                                     ? ComparedLegendText(series, value, partners[index],
                                                          referenceValue(index), ScaleOf(pane, s))
                                     : LegendText(series, value, ScaleOf(pane, s));
            p.fillRect(x, box.y() + 5, 8, 8, ColourOf(index));
            p.setPen(kText);
            p.drawText(QPoint(x + 11, box.y() + 4 + metrics.ascent()), text);
            x += 11 + metrics.horizontalAdvance(text) + 14;
        }
    }
}

void ChartCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!staticValid_ || static_.size() != size()) {
        // The same image again when the size is the same: drawn over, not made anew.
        if (static_.size() != size()) static_ = QImage(size(), QImage::Format_RGB32);
        QPainter q(&static_);
        DrawStatic(q);
        staticValid_ = true;
    }
    p.drawImage(0, 0, static_);
    const QRect plot = PlotRect();
    if (!frame_) {
        p.setPen(kText);
        p.drawText(
            plot, Qt::AlignCenter,
            session_.IsOpen() ? QStringLiteral("Reading the log\u2026") : QStringLiteral("No log"));
        return;
    }
    // The measured span.
    if (span_) {
        const double a = PixelOfSample(span_->First).value_or(-1);
        const double b = PixelOfSample(span_->Last).value_or(frame_->Width());
        const double left = std::clamp(a, -1.0, double(frame_->Width()));
        const double right = std::clamp(b, -1.0, double(frame_->Width()));
        p.fillRect(QRectF(plot.x() + left, plot.y(), right - left + 1, plot.height()), kSpanShade);
        p.setPen(kSpanEdge);
        for (const auto& [x, label] :
             {std::pair{left, QStringLiteral("A")}, std::pair{right, QStringLiteral("B")}}) {
            if (x < 0 || x >= frame_->Width()) continue;
            p.drawLine(QPointF(plot.x() + x, plot.y()), QPointF(plot.x() + x, plot.bottom()));
            p.drawText(QPointF(plot.x() + x + 3, plot.bottom() - 4), label);
        }
    }
    if (const auto x = PixelOfSample(playhead_); x && *x >= 0 && *x < frame_->Width()) {
        p.fillRect(QRectF(plot.x() + std::floor(*x), plot.y(), 1, plot.height()), kPlayhead);
    }
    if (cursor_ > 0 && cursorX_) {
        if (const auto x = PixelOfSample(cursor_); x && *x >= 0 && *x < frame_->Width()) {
            p.fillRect(QRectF(plot.x() + std::floor(*x), plot.y(), 1, plot.height()), kCursor);
        }
    }
    DrawLegends(p);
}

QImage ChartCanvas::Picture() {
    QImage picture(size(), QImage::Format_RGB32);
    render(&picture);
    return picture;
}

void ChartCanvas::resizeEvent(QResizeEvent* event) {
    frame_.reset();
    Invalidate();
    QWidget::resizeEvent(event);
}

void ChartCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || !timeline_) {
        event->ignore();
        return;
    }
    ZoomAt(event->position().x() - PlotRect().x(), std::pow(kWheelStep, notches));
    SetCursorAt(static_cast<int>(event->position().x()));
    event->accept();
}

void ChartCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    pressAt_ = event->position().toPoint();
    shiftPress_ = event->modifiers().testFlag(Qt::ShiftModifier);
    altPress_ = event->modifiers().testFlag(Qt::AltModifier) && reference_.has_value();
    if (altPress_) slideFrom_ = reference_->OffsetMillis;
    drag_ = Drag::None;
    lastDragX_ = pressAt_.x();
}

void ChartCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        if (drag_ == Drag::None && (at - pressAt_).manhattanLength() > kDragThreshold) {
            drag_ = altPress_ ? Drag::Slide : shiftPress_ ? Drag::Span : Drag::Pan;
        }
        if (drag_ == Drag::Slide && timeline_ && reference_) {
            // The moment under the pointer when the press began stays under it.
            const double moved = timeline_->ElapsedAtPixel(at.x() - PlotRect().x(), view_) -
                                 timeline_->ElapsedAtPixel(pressAt_.x() - PlotRect().x(), view_);
            SetReferenceOffset(slideFrom_ + static_cast<std::int64_t>(std::llround(moved)));
        }
        if (drag_ == Drag::Pan) {
            PanBy(lastDragX_ - at.x());
            lastDragX_ = at.x();
        } else if (drag_ == Drag::Span) {
            if (const ChartFrame* frame = Frame()) {
                const std::int64_t a = frame->SampleAt(pressAt_.x() - PlotRect().x());
                const std::int64_t b = frame->SampleAt(at.x() - PlotRect().x());
                if (a > 0 && b > 0) SetSpan(SampleRange{a, b});
            }
        }
    }
    SetCursorAt(PlotRect().contains(at) ? std::optional<int>(at.x()) : std::nullopt);
}

void ChartCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    const Drag drag = drag_;
    drag_ = Drag::None;
    if (drag == Drag::None) {
        if (const ChartFrame* frame = Frame(); frame && PlotRect().contains(pressAt_)) {
            const std::int64_t sample = frame->SampleAt(pressAt_.x() - PlotRect().x());
            if (sample > 0) emit SampleClicked(sample);
        }
    } else if (drag == Drag::Span && span_) {
        emit SpanMarked(*span_);
    } else if (drag == Drag::Slide && reference_) {
        emit ReferenceSlid(reference_->OffsetMillis);
    }
}

void ChartCanvas::leaveEvent(QEvent* event) {
    SetCursorAt(std::nullopt);
    QWidget::leaveEvent(event);
}

void ChartCanvas::contextMenuEvent(QContextMenuEvent* event) {
    emit ContextMenuAt(PaneAt(event->pos()), event->globalPos());
}

// --- The reference log ---

QColor ChartCanvas::SeriesColour(std::size_t index) {
    return ColourOf(index);
}

QColor ChartCanvas::ReferenceColour(std::size_t index) {
    // Half way to the plot's background: paler, and still the series' own hue.
    const QColor colour = ColourOf(index);
    return QColor((colour.red() + kPlotBackground.red()) / 2,
                  (colour.green() + kPlotBackground.green()) / 2,
                  (colour.blue() + kPlotBackground.blue()) / 2);
}

void ChartCanvas::SetReference(std::optional<Reference> reference) {
    reference_ = std::move(reference);
    refFrame_.reset();
    Invalidate();
}

void ChartCanvas::SetReferenceOffset(std::int64_t millis) {
    if (!reference_ || reference_->OffsetMillis == millis) return;
    reference_->OffsetMillis = millis;
    Invalidate();
}

std::vector<std::optional<ChartSeries>> ChartCanvas::ReferenceSeries() const {
    std::vector<std::optional<ChartSeries>> partners;
    for (const ChartSeries& series : AllSeries()) {
        const int slot = reference_ ? reference_->Pairing.ReferenceSlotOf(series.Slot()) : 0;
        if (slot == 0) {
            partners.emplace_back();
        } else if (series.SeriesKind() == ChartSeries::Kind::Switch) {
            partners.push_back(ChartSeries::Switch(slot, series.Switched()));
        } else {
            partners.push_back(ChartSeries::Item(slot, series.Code()));
        }
    }
    return partners;
}

const ReferenceFrame* ChartCanvas::RefFrame() {
    if (!reference_ || !reference_->Log || !reference_->Summary || !reference_->Samples ||
        !timeline_ || !Frame()) {
        return nullptr;
    }
    const std::vector<ChartSeries> series = AllSeries();
    if (refFrame_ && refFrameView_ == view_ && refFrameOffset_ == reference_->OffsetMillis &&
        refFrameSeries_ == series) {
        return &*refFrame_;
    }
    std::string error;
    const ReferenceFrame::Placement placement{*timeline_,           view_,
                                              *reference_->Samples, *reference_->Summary,
                                              *reference_->Log,     reference_->OffsetMillis};
    refFrame_ = ReferenceFrame::Compute(placement, ReferenceSeries(), refScratch_, error);
    refFrameView_ = view_;
    refFrameOffset_ = reference_->OffsetMillis;
    refFrameSeries_ = series;
    return refFrame_ ? &*refFrame_ : nullptr;
}

std::optional<double> ChartCanvas::PixelOfReferenceSample(std::int64_t sample) const {
    if (!reference_ || !reference_->Samples || !timeline_ || sample < 1) return std::nullopt;
    return ReferenceFrame::PixelOfSample(*timeline_, view_, *reference_->Samples,
                                         reference_->OffsetMillis, sample);
}

std::optional<std::int64_t> ChartCanvas::ReferenceSampleAt(double x) const {
    if (!reference_ || !reference_->Samples || !timeline_) return std::nullopt;
    const LogTimeline& samples = *reference_->Samples;
    const std::int64_t count = samples.Samples();
    if (count == 0) return std::nullopt;
    // Beyond either end by more than a couple of pixels: none there.
    constexpr double kRoom = 2;
    if (x < *PixelOfReferenceSample(1) - kRoom || x > *PixelOfReferenceSample(count) + kRoom) {
        return std::nullopt;
    }
    const SampleRange before = ReferenceFrame::SamplesBetween(
        samples, reference_->OffsetMillis, -1e15, timeline_->ElapsedAtPixel(x, view_) + 1);
    const std::int64_t left = std::clamp<std::int64_t>(before.Last, 1, count);
    const std::int64_t right = std::min(count, left + 1);
    return std::abs(*PixelOfReferenceSample(right) - x) <
                   std::abs(*PixelOfReferenceSample(left) - x)
               ? right
               : left;
}

std::optional<std::int64_t> ChartCanvas::ReferenceReadoutSample() const {
    if (!reference_ || !reference_->Samples) return std::nullopt;
    if (cursor_ > 0 && cursorX_) return ReferenceSampleAt(*cursorX_ - PlotRect().x());
    const std::optional<std::int64_t> elapsed = ElapsedOfSample(playhead_);
    if (!elapsed) return std::nullopt;
    return ReferenceAlignment{reference_->OffsetMillis}.ReferenceSampleAt(*reference_->Samples,
                                                                          *elapsed);
}

std::optional<std::int64_t> ChartCanvas::ElapsedOfSample(std::int64_t sample) const {
    if (!timeline_) return std::nullopt;
    const std::optional<LogRecord> record = RecordOf(sample);
    if (!record) return std::nullopt;
    return std::int64_t{record->Millis} - timeline_->Summary().FirstMillis();
}

std::optional<LogRecord> ChartCanvas::ReferenceRecordOf(std::int64_t sample) const {
    if (!reference_ || !reference_->Log || sample < 1) return std::nullopt;
    std::uint8_t bytes[RecordSize];
    if (reference_->Log->ReadAt(RecordOffset(sample), bytes, RecordSize) != RecordSize) {
        return std::nullopt;
    }
    return LogRecord::Decode(std::span<const std::uint8_t, RecordSize>(bytes, RecordSize));
}

QString ChartCanvas::ComparedLegendText(const ChartSeries& series, std::optional<double> value,
                                        const std::optional<ChartSeries>& partner,
                                        std::optional<double> referenceValue,
                                        std::pair<double, double> scale) const {
    // Computed items are not worked out for the reference.
    if (series.SeriesKind() == ChartSeries::Kind::Computed) return LegendText(series, value, scale);
    QString text = Latin1(series.Name());
    if (value) text += QStringLiteral(" ") + Latin1(series.Text(*value));
    if (!partner) {
        text += QStringLiteral(" (main only)");
    } else if (referenceValue) {
        text += QStringLiteral(", ref ") + Latin1(partner->Text(*referenceValue));
        if (value && series.SeriesKind() == ChartSeries::Kind::Item) {
            text += QStringLiteral(", diff ") + Latin1(ShownDifference(*value, *referenceValue)) +
                    Latin1(series.Unit());
        }
    } else {
        text += QStringLiteral(", ref \u2013");
    }
    if (series.SeriesKind() == ChartSeries::Kind::Item) {
        text += QStringLiteral("  [%1 \u2013 %2]")
                    .arg(ScaleNumber(std::min(scale.first, scale.second)),
                         ScaleNumber(std::max(scale.first, scale.second)));
    }
    return text;
}

void ChartCanvas::DrawReference(QPainter& p, int pane, const QRect& area) {
    const ReferenceFrame* frame = RefFrame();
    if (!frame) return;
    const Pane& panel = panes_[static_cast<std::size_t>(pane)];
    std::size_t index = 0;
    for (int q = 0; q < pane; ++q) index += panes_[static_cast<std::size_t>(q)].Series.size();
    const std::vector<std::optional<ChartSeries>> partners = ReferenceSeries();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t s = 0; s < panel.Series.size(); ++s, ++index) {
        if (!partners[index]) continue;
        const auto scale = ScaleOf(pane, s);
        QPen pen(ReferenceColour(index), 1, Qt::DashLine);
        p.setPen(pen);
        const bool steps = partners[index]->SeriesKind() == ChartSeries::Kind::Switch;
        if (frame->ShowsPoints()) {
            const auto& points = frame->Points();
            QPolygonF line;
            for (std::size_t i = 0; i < points.size(); ++i) {
                const QPointF at(area.x() + points[i].X,
                                 RowOf(frame->PointValue(index, i), scale, area));
                if (steps && !line.isEmpty()) line << QPointF(at.x(), line.back().y());
                line << at;
            }
            p.drawPolyline(line);
            continue;
        }
        // Far out, each column's extremes as a dashed bar, joined to the column before.
        QVector<QLineF> bars;
        bool previous = false;
        double previousTop = 0, previousBottom = 0;
        for (int c = 0; c < frame->Width(); ++c) {
            if (frame->Samples(c).Empty()) {
                previous = false;
                continue;
            }
            const auto [low, high] = frame->Extremes(index, c);
            double top = RowOf(high, scale, area);
            double bottom = RowOf(low, scale, area);
            if (previous) {
                if (bottom < previousTop) bottom = previousTop;
                if (top > previousBottom) top = previousBottom;
            }
            const double x = area.x() + c + 0.5;
            bars.append(QLineF(x, top, x, std::max(bottom, top + 1)));
            previousTop = RowOf(high, scale, area);
            previousBottom = RowOf(low, scale, area);
            previous = true;
        }
        // Every other column left out where the bars are short, so that a flat stretch
        // reads as dashed too.
        QVector<QLineF> dashed;
        for (qsizetype i = 0; i < bars.size(); ++i) {
            const QLineF& bar = bars[i];
            if (bar.length() > 3 || (static_cast<int>(bar.x1()) / 4) % 2 == 0) dashed.append(bar);
        }
        p.drawLines(dashed);
    }
}

// --- Computed items and the filter ---

std::optional<double> ChartCanvas::ValueAtSample(const ChartSeries& series,
                                                 std::int64_t sample) const {
    if (series.SeriesKind() != ChartSeries::Kind::Computed) {
        const std::optional<LogRecord> record = RecordOf(sample);
        if (!record) return std::nullopt;
        return series.ValueAt(*record);
    }
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader || sample < 1 || sample > session_.LastSample()) return std::nullopt;
    std::string error;
    std::optional<FormulaSet> formulas;
    const std::shared_ptr<const ComputedSummary> computed = session_.ComputedMinMax();
    if (computed) {
        formulas = computed->Formulas();
    } else {
        formulas = session_.Formulas(error);
    }
    if (!formulas) return std::nullopt;
    const std::optional<std::size_t> index = formulas->IndexOf(series.Name());
    if (!index) return std::nullopt;
    const auto values =
        ReadFormulaValues(*reader, *formulas, SampleRange{sample, sample}, {}, error);
    if (!values || values->Items[*index].empty() || std::isnan(values->Items[*index][0])) {
        return std::nullopt;
    }
    return values->Items[*index][0];
}

void ChartCanvas::ComputedChanged() {
    frame_.reset();
    Invalidate();
}

QColor ChartCanvas::FilterShade(bool partly) {
    return partly ? kFilterPartShade : kFilterShade;
}

std::pair<double, double> ChartCanvas::ComputedScale(const ChartSeries& series) const {
    if (const auto defined = series.DefinedScale()) return *defined;
    const std::shared_ptr<const ComputedSummary> computed = session_.ComputedMinMax();
    if (computed) {
        if (const auto index = computed->Formulas().IndexOf(series.Name())) {
            if (const auto range = computed->Range(*index)) {
                const auto [low, high] = *range;
                // A constant gets a little room either side.
                if (high > low) return {low, high};
                return {low - 1, high + 1};
            }
        }
    }
    return series.CatalogueScale();
}

void ChartCanvas::DrawFilterShade(QPainter& p, const QRect& box, const ChartFrame& frame) {
    if (!frame.Filtered()) return;
    const int width = frame.Width();
    const auto band = [&](double from, double to, bool partly) {
        from = std::max(0.0, from);
        to = std::min<double>(width, to);
        if (to > from) {
            p.fillRect(QRectF(box.x() + from, box.y(), to - from, box.height()),
                       FilterShade(partly));
        }
    };
    if (frame.ShowsPoints()) {
        // Each rejected sample from halfway to the sample before to halfway to the next.
        const auto& points = frame.Points();
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (frame.PointPasses(i)) continue;
            const double x = points[i].X;
            const double from = i > 0 ? (points[i - 1].X + x) / 2 : x - 0.5;
            const double to = i + 1 < points.size() ? (x + points[i + 1].X) / 2 : x + 0.5;
            band(from, to, false);
        }
        return;
    }
    for (int c = 0; c < width; ++c) {
        const std::int64_t samples = frame.Samples(c).Count();
        if (samples == 0) continue;
        const std::int64_t passed = frame.Passed(c);
        if (passed < samples) band(c, c + 1, passed > 0);
    }
}

}  // namespace orvane
