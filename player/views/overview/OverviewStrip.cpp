#include "views/overview/OverviewStrip.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <functional>

#include <meter/ColourTranslation.h>

#include "analysis/ElapsedTime.h"
#include "log/modOrvane.h"
#include "session/LogSession.h"
#include "views/common/CommandSet.h"

namespace orvane {
namespace {

constexpr int kTimeWidth = 116;  // the elapsed time and length at the right end
constexpr int kNoteHeight = 14;  // the note line at the bottom
constexpr int kBandHeight = 6;   // the alarm band under the traces
constexpr int kMargin = 2;
constexpr int kNoteStepMs = 100;  // the note's fading advances in these steps
constexpr int kNoteSteps = 40;    // shown at full strength for this many steps
constexpr int kFadeSteps = 10;    // then fades out over these

const QColor kBackground(24, 24, 28);
const QColor kPlotBackground(12, 12, 14);
const QColor kText(220, 220, 220);
const QColor kPlayhead(255, 255, 255);
const QColor kMarker(255, 200, 0);
const QColor kRangeShade(255, 255, 255, 48);
const QColor kRangeEdge(255, 255, 255, 140);
const QColor kPause(120, 220, 255);
constexpr int kPauseReach = 3;  // pixels either side of a break mark that name its pause
const QColor kTraceColours[2] = {QColor(0, 210, 90), QColor(90, 170, 255)};

// A converted value as the value boxes show it: the text form and the unit.
QString ValueText(std::int16_t code, double value) {
    return QString::fromLatin1(QByteArrayView(FormatValue(value))) +
           QString::fromLatin1(QByteArrayView(SensorUnit(code)));
}

}  // namespace

OverviewStrip::OverviewStrip(LogSession& session, const CommandSet& commands, QWidget* parent)
    : QWidget(parent), session_(session), commands_(commands) {
    setObjectName(QStringLiteral("picOverview"));
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    noteTimer_.setInterval(kNoteStepMs);
    connect(&noteTimer_, &QTimer::timeout, this, [this] {
        if (++noteAge_ >= kNoteSteps + kFadeSteps) {
            note_.clear();
            noteTimer_.stop();
        }
        update(0, height() - kNoteHeight, width(), kNoteHeight);
    });
    // A new log is being read, or none is open: the strip is empty until a summary comes.
    connect(&session_, &LogSession::LogOpened, this, &OverviewStrip::ClearSummary);
    connect(&session_, &LogSession::LogClosed, this, &OverviewStrip::ClearSummary);
    connect(&session_, &LogSession::SummaryReady, this, &OverviewStrip::ShowSummary);
    connect(&session_, &LogSession::ComputedSummaryReady, this, [this] {
        if (summary_) ShowSummary();
    });
    connect(&session_, &LogSession::MarkersChanged, this, &OverviewStrip::ShowMarks);
    connect(&session_, &LogSession::RangeChanged, this, &OverviewStrip::ShowMarks);
    connect(&session_, &LogSession::SampleShown, this,
            [this](std::int64_t number, const LogRecord& record) {
                SetPlayhead(number, record.Millis);
            });
    connect(&session_, &LogSession::NoteShown, this, &OverviewStrip::ShowNote);
    connect(&session_, &LogSession::PausesReady, this, &OverviewStrip::ShowPauses);
}

OverviewStrip::~OverviewStrip() = default;

void OverviewStrip::ShowSummary() {
    summary_ = session_.Summary();
    if (!summary_) {
        ClearSummary();
        return;
    }
    const OverviewRequest& request = summary_->Request();
    for (std::size_t t = 0; t < traces_.size(); ++t) {
        traces_[t] = Trace{};
        const int k = request.TracedSlots[t];
        if (k < 1 || k > SlotCount) continue;
        Trace& trace = traces_[t];
        trace.Code = summary_->Outline().CodeOf(k);
        trace.Colour = kTraceColours[t];
        std::tie(trace.ScaleMin, trace.ScaleMax) = session_.ScaleOf(k);
    }
    SetUpComputedTraces();
    std::vector<int> displaySlots;
    session_.AlarmBoxes(&displaySlots);
    boxes_.clear();
    const QPalette palette = this->palette();
    for (int s : displaySlots) {
        const DisplaySlotLayout& slot = session_.Layout().Slots[static_cast<std::size_t>(s)];
        boxes_.push_back({meter::ToQColor(slot.AlarmColour1, palette),
                          meter::ToQColor(slot.AlarmColour2, palette)});
    }
    start_ = summary_->Outline().Start;
    pauses_ = session_.Pauses() ? *session_.Pauses() : std::vector<LogPause>();
    markers_ = session_.Markers();
    range_ = session_.Range();
    playhead_ = session_.ShownSample();
    playheadMillis_ = playhead_ > 0 ? session_.ShownRecord().Millis : 0;
    DrawStatic();
    update();
}

void OverviewStrip::ClearSummary() {
    summary_.reset();
    pauses_.clear();
    traces_ = {};
    computed_.reset();
    computedIndex_ = {};
    boxes_.clear();
    markers_.clear();
    range_.reset();
    playhead_ = 0;
    playheadMillis_ = 0;
    DrawStatic();
    update();
}

void OverviewStrip::SetPlayhead(std::int64_t sample, std::int32_t millis) {
    if (noteSample_ && *noteSample_ != sample) {
        noteSample_.reset();
        note_.clear();
        noteTimer_.stop();
        update(0, height() - kNoteHeight, width(), kNoteHeight);
    }
    if (sample == playhead_ && millis == playheadMillis_) return;
    if (sample == playhead_ + 1 && !pauses_.empty()) NotePauseCrossed(playhead_, sample);
    const int before = ColumnOfSample(playhead_);
    const std::int64_t secondsBefore = ElapsedMillis() / 1000;
    playhead_ = sample;
    playheadMillis_ = millis;
    const QRect plot = PlotRect();
    // At "Max" this runs for every sample: only what changed is marked for the next frame.
    const int after = ColumnOfSample(playhead_);
    if (before != after) {
        if (before >= 0) update(plot.x() + before - 1, 0, 3, height());
        if (after >= 0) update(plot.x() + after - 1, 0, 3, height());
    }
    // The elapsed text shows whole seconds, cut toward zero as this division does: the
    // time area needs a repaint only when that second changes. No strings are built here.
    if (summary_ && ElapsedMillis() / 1000 != secondsBefore) {
        update(plot.right() + 1, 0, width() - plot.right() - 1, height() - kNoteHeight);
    }
}

void OverviewStrip::ShowNote(const QString& text, bool untilAnotherSample) {
    note_ = text;
    noteAge_ = 0;
    noteSample_ = untilAnotherSample ? std::optional<std::int64_t>(playhead_) : std::nullopt;
    noteTimer_.start();
    update(0, height() - kNoteHeight, width(), kNoteHeight);
}

QString OverviewStrip::Note() const {
    return note_;
}

std::int64_t OverviewStrip::ElapsedMillis() const {
    if (!summary_ || playhead_ <= 0) return 0;
    return std::int64_t{playheadMillis_} - summary_->FirstMillis();
}

QString OverviewStrip::TimeText() const {
    if (!summary_) return {};
    return QString::fromStdString(ElapsedText(ElapsedMillis())) + QStringLiteral(" / ") +
           QString::fromStdString(ElapsedText(summary_->LengthMillis()));
}

QRect OverviewStrip::PlotRect() const {
    const int w = std::max(1, width() - kTimeWidth);
    const int h = std::max(1, height() - 2 * kMargin - kNoteHeight - kBandHeight - 1);
    return {0, kMargin, w, h};
}

int OverviewStrip::ColumnOfSample(std::int64_t sample) const {
    if (!summary_ || sample < 1) return -1;
    return summary_->ColumnOfSample(sample, PlotRect().width());
}

std::int64_t OverviewStrip::SampleAt(int x) const {
    if (!summary_ || summary_->Records() < 1) return 0;
    const QRect plot = PlotRect();
    const int column = std::clamp(x - plot.x(), 0, plot.width() - 1);
    const SampleRange samples = summary_->SamplesOfColumn(column, plot.width());
    return samples.Empty() ? 0 : samples.First;
}

void OverviewStrip::ShowPauses() {
    if (!session_.Pauses()) return;
    pauses_ = *session_.Pauses();
    if (!summary_) return;
    DrawStatic();
    update();
}

QString OverviewStrip::PauseText(const LogPause& pause) const {
    char before[DateTime::FormattedLength], after[DateTime::FormattedLength];
    SampleTime(start_, pause.BeforeMillis).FormatTime(before);
    SampleTime(start_, pause.AfterMillis).FormatTime(after);
    return QStringLiteral("Logging paused for %1 (%2 to %3)")
        .arg(QString::fromStdString(DurationText(pause.Millis())),
             QString::fromLatin1(before, DateTime::FormattedLength),
             QString::fromLatin1(after, DateTime::FormattedLength));
}

void OverviewStrip::NotePauseCrossed(std::int64_t before, std::int64_t after) {
    const auto at =
        std::lower_bound(pauses_.begin(), pauses_.end(), before,
                         [](const LogPause& p, std::int64_t s) { return p.Before < s; });
    if (at == pauses_.end() || at->Before != before || at->After() != after) return;
    ShowNote(PauseText(*at) + QStringLiteral(" after sample %1.").arg(before));
}

const LogPause* OverviewStrip::PauseAt(int x) const {
    if (!summary_) return nullptr;
    const int column = x - PlotRect().x();
    const LogPause* nearest = nullptr;
    int distance = kPauseReach + 1;
    for (const LogPause& pause : pauses_) {
        const int d = std::abs(ColumnOfSample(pause.After()) - column);
        if (d < distance) {
            distance = d;
            nearest = &pause;
        }
    }
    return nearest;
}

QString OverviewStrip::ToolTipAt(int x) const {
    const std::int64_t sample = SampleAt(x);
    if (sample < 1) return {};
    const QRect plot = PlotRect();
    const int column = std::clamp(x - plot.x(), 0, plot.width() - 1);
    const OverviewColumn c = summary_->Column(column, plot.width());
    char time[DateTime::FormattedLength];
    SampleTime(start_, c.FirstMillis).FormatTime(time);
    QString text = QStringLiteral("Sample %1 of %2  %3")
                       .arg(sample)
                       .arg(summary_->Records())
                       .arg(QString::fromLatin1(time, DateTime::FormattedLength));
    for (std::size_t t = 0; t < traces_.size(); ++t) {
        const OverviewTrace& trace = c.Traces[t];
        if (!trace.Present) continue;
        const std::int16_t code = traces_[t].Code;
        if (code < 0) continue;
        text += QStringLiteral("\n") + QString::fromLatin1(QByteArrayView(SensorName(code))) +
                QStringLiteral(" ") + ValueText(code, trace.Min);
        if (trace.Max != trace.Min) text += QStringLiteral(" \u2013 ") + ValueText(code, trace.Max);
    }
    for (std::size_t t = 0; t < traces_.size(); ++t) {
        const auto values = ComputedAt(t, column, plot.width());
        if (!values) continue;
        const ComputedItem& item = computed_->Formulas().Item(*computedIndex_[t]);
        text += QStringLiteral("\n") + QString::fromStdString(traces_[t].Computed) +
                QStringLiteral(" ") + QString::fromStdString(item.DisplayText(values->Min));
        if (values->Max != values->Min) {
            text +=
                QStringLiteral(" \u2013 ") + QString::fromStdString(item.DisplayText(values->Max));
        }
    }
    // Which item alarmed, as the band shows it.
    const std::vector<AlarmBox>& boxes = summary_->Request().Boxes;
    if (c.AlarmLevel > 0 && c.AlarmBox >= 0 &&
        static_cast<std::size_t>(c.AlarmBox) < boxes.size()) {
        const std::int16_t code = boxes[static_cast<std::size_t>(c.AlarmBox)].Code;
        text += QStringLiteral("\nAlarm %1: %2")
                    .arg(c.AlarmLevel >= 2 ? QStringLiteral("level 2") : QStringLiteral("level 1"),
                         QString::fromLatin1(QByteArrayView(SensorName(code))));
    }
    // Over a break mark, the pause first.
    if (const LogPause* pause = PauseAt(x)) {
        text =
            PauseText(*pause) +
            QStringLiteral(" between samples %1 and %2.\n").arg(pause->Before).arg(pause->After()) +
            text;
    }
    return text;
}

QPoint OverviewStrip::ToolTipPlace(int x, const QString& text) const {
    // Above the strip, so that it covers neither the column pointed at nor the time at
    // the right end; the tip is shown this far below and right of the point it is given.
    const QPoint tipOffset(2, 16);
    const QFontMetrics metrics(QToolTip::font());
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    const int height = lines * metrics.lineSpacing() + 10;
    return mapToGlobal(QPoint(x, 0)) - QPoint(0, height + 4) - tipOffset;
}

int OverviewStrip::RowOf(const Trace& trace, double value, const QRect& plot) const {
    const double low = std::min(trace.ScaleMin, trace.ScaleMax);
    const double high = std::max(trace.ScaleMin, trace.ScaleMax);
    const double span = high - low;
    const double share = span > 0 ? (value - low) / span : 0.5;
    const double row = plot.bottom() - std::clamp(share, 0.0, 1.0) * (plot.height() - 1);
    return static_cast<int>(std::lround(row));
}

void OverviewStrip::DrawStatic() {
    if (width() < 1 || height() < 1) {
        static_ = QImage();
        return;
    }
    static_ = QImage(size(), QImage::Format_RGB32);
    static_.fill(kBackground);
    QPainter p(&static_);
    const QRect plot = PlotRect();
    p.fillRect(plot, kPlotBackground);
    if (!summary_) return;
    const std::vector<OverviewColumn> columns = summary_->Columns(plot.width());
    const int bandTop = plot.bottom() + 2;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const OverviewColumn& c = columns[i];
        const int x = plot.x() + static_cast<int>(i);
        if (c.AlarmLevel > 0 && c.AlarmBox >= 0 &&
            static_cast<std::size_t>(c.AlarmBox) < boxes_.size()) {
            const BoxColours& box = boxes_[static_cast<std::size_t>(c.AlarmBox)];
            p.fillRect(x, bandTop, 1, kBandHeight, c.AlarmLevel >= 2 ? box.Alarm2 : box.Alarm1);
        }
        for (std::size_t t = 0; t < traces_.size(); ++t) {
            const OverviewTrace& trace = c.Traces[t];
            if (!trace.Present) continue;
            const int top = RowOf(traces_[t], trace.Max, plot);
            const int bottom = RowOf(traces_[t], trace.Min, plot);
            p.fillRect(x, top, 1, bottom - top + 1, traces_[t].Colour);
        }
    }
    DrawComputedTraces(p, plot);
    // Which trace is which, in its own colour.
    QFont font = p.font();
    font.setPointSizeF(7);
    p.setFont(font);
    int left = plot.x() + 4;
    for (const Trace& trace : traces_) {
        if (trace.Code < 0 && trace.Computed.empty()) continue;
        const QString name = trace.Code >= 0
                                 ? QString::fromLatin1(QByteArrayView(SensorName(trace.Code)))
                                 : QString::fromStdString(trace.Computed);
        p.setPen(trace.Colour);
        p.drawText(QPoint(left, plot.y() + p.fontMetrics().ascent() + 1), name);
        left += p.fontMetrics().horizontalAdvance(name) + 10;
    }
    DrawPauses(p, plot);
    DrawMarks(p, plot);
}

void OverviewStrip::DrawPauses(QPainter& p, const QRect& plot) const {
    if (!summary_) return;
    // A break mark: a dashed line where the pause lies and a pair of slashes at the top
    // and the bottom, as a break in an axis is drawn.
    QPen dashed(kPause, 1, Qt::DashLine);
    for (const LogPause& pause : pauses_) {
        const int x = plot.x() + ColumnOfSample(pause.After());
        p.setPen(dashed);
        p.drawLine(x, plot.top(), x, plot.bottom());
        p.setPen(QPen(kPause, 1.5));
        for (const int y : {plot.top() + 3, plot.bottom() - 3}) {
            p.drawLine(QPointF(x - 4, y + 2), QPointF(x - 1, y - 2));
            p.drawLine(QPointF(x + 1, y + 2), QPointF(x + 4, y - 2));
        }
    }
}

void OverviewStrip::ShowMarks() {
    if (session_.Markers() == markers_ && session_.Range() == range_) return;
    markers_ = session_.Markers();
    range_ = session_.Range();
    DrawStatic();
    update();
}

void OverviewStrip::DrawMarks(QPainter& p, const QRect& plot) const {
    if (!summary_) return;
    if (range_ && !range_->Empty()) {
        const int first = ColumnOfSample(range_->First);
        const int last = ColumnOfSample(range_->Last);
        const QRect span(plot.x() + first, plot.y(), last - first + 1, plot.height());
        p.fillRect(span, kRangeShade);
        p.fillRect(span.x(), span.y(), 1, span.height(), kRangeEdge);
        p.fillRect(span.right(), span.y(), 1, span.height(), kRangeEdge);
    }
    QFont font = p.font();
    font.setPointSizeF(7);
    p.setFont(font);
    const int textHeight = p.fontMetrics().height();
    for (std::size_t i = 0; i < markers_.size(); ++i) {
        const int x = plot.x() + ColumnOfSample(markers_[i]);
        p.fillRect(x, plot.y() + textHeight - 2, 1, plot.height() - textHeight + 2, kMarker);
        p.setPen(kMarker);
        p.drawText(QRect(x - 15, plot.y(), 30, textHeight), Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(i + 1));
    }
}

std::unique_ptr<QMenu> OverviewStrip::ContextMenuAt(int x) {
    const std::int64_t sample = SampleAt(x);
    auto menu = std::make_unique<QMenu>(this);
    // Each command with whether it can run now, and what it does.
    const auto add = [&](const QString& text, bool enabled, std::function<void()> fire) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, std::move(fire));
    };
    const bool hasSample = sample > 0;
    const bool marked = std::binary_search(markers_.begin(), markers_.end(), sample);
    const QString at = hasSample ? QStringLiteral(" at sample %1").arg(sample) : QString();
    add((marked ? QStringLiteral("Remove marker") : QStringLiteral("Set marker")) + at, hasSample,
        [this, sample] { session_.ToggleMarker(sample); });
    add(QStringLiteral("Set in point") + at, hasSample,
        [this, sample] { session_.SetInPoint(sample); });
    add(QStringLiteral("Set out point") + at, hasSample,
        [this, sample] { session_.SetOutPoint(sample); });
    add(QStringLiteral("Clear range"), range_.has_value(), [this] { session_.ClearRange(); });
    menu->addSeparator();
    if (!summary_) {
        for (QAction* action : menu->actions()) action->setEnabled(false);
    }
    // The player's own commands, as its keys and windows run them.
    for (const Command command : {Command::ExportRange, Command::Statistics, Command::Map,
                                  Command::Chart, Command::Compare, Command::StopComparing}) {
        menu->addAction(commands_.Action(command));
    }
    return menu;
}

void OverviewStrip::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu = ContextMenuAt(event->pos().x());
    menu->exec(event->globalPos());
}

void OverviewStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (static_.size() != size()) DrawStatic();
    p.drawImage(0, 0, static_);
    const QRect plot = PlotRect();

    const int column = ColumnOfSample(playhead_);
    if (column >= 0)
        p.fillRect(plot.x() + column, plot.y(), 1, plot.height() + kBandHeight + 2, kPlayhead);

    p.setPen(kText);
    const QRect timeArea(plot.right() + 1, 0, width() - plot.right() - 1, height() - kNoteHeight);
    p.drawText(timeArea, Qt::AlignCenter, summary_ ? TimeText() : QString());

    if (!note_.isEmpty()) {
        QColor colour = kText;
        if (noteAge_ > kNoteSteps) {
            colour.setAlphaF(std::max(0.0, 1.0 - double(noteAge_ - kNoteSteps) / kFadeSteps));
        }
        p.setPen(colour);
        p.drawText(QRect(4, height() - kNoteHeight, width() - 8, kNoteHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, note_);
    }
}

bool OverviewStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        // The traces and the alarm band under them.
        const QRect hover = PlotRect().adjusted(0, 0, 0, kBandHeight + 2);
        const QString text = hover.contains(help->pos()) ? ToolTipAt(help->pos().x()) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(ToolTipPlace(help->pos().x(), text), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void OverviewStrip::SeekAt(int x) {
    const std::int64_t sample = SampleAt(x);
    if (sample < 1) return;
    const int column = ColumnOfSample(sample);
    // A drag seeks once per column it enters, not once per pixel of movement.
    if (dragging_ && column == lastSeekColumn_) return;
    lastSeekColumn_ = column;
    session_.RequestSeek(sample);
}

void OverviewStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !PlotRect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragging_ = false;
    SeekAt(event->position().toPoint().x());
    dragging_ = true;
}

void OverviewStrip::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) SeekAt(event->position().toPoint().x());
}

void OverviewStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void OverviewStrip::resizeEvent(QResizeEvent* event) {
    DrawStatic();
    QWidget::resizeEvent(event);
}

// --- Traces of computed items ---

void OverviewStrip::SetUpComputedTraces() {
    computed_ = session_.ComputedMinMax();
    computedIndex_ = {};
    const auto& names = session_.Layout().Overview.ItemNames;
    for (std::size_t t = 0; t < traces_.size(); ++t) {
        if (names[t].empty() || traces_[t].Code >= 0) continue;
        // A name the log cannot compute traces nothing (the legend leaves it out too).
        if (!computed_ || !summary_ || !computed_->Matches(summary_->Whole())) continue;
        const FormulaSet& formulas = computed_->Formulas();
        const std::optional<std::size_t> index = formulas.IndexOf(names[t]);
        if (!index || !formulas.Present(*index)) continue;
        Trace& trace = traces_[t];
        trace.Computed = names[t];
        trace.Colour = kTraceColours[t];
        const ComputedItemDefinition& definition = formulas.Item(*index).Definition();
        trace.Unit = definition.Unit;
        if (definition.Min && definition.Max) {
            trace.ScaleMin = *definition.Min;
            trace.ScaleMax = *definition.Max;
        } else if (const auto range = computed_->Range(*index)) {
            trace.ScaleMin = range->Min;
            trace.ScaleMax = range->Max > range->Min ? range->Max : range->Min + 1;
        }
        computedIndex_[t] = index;
    }
}

std::optional<ValueRange> OverviewStrip::ComputedAt(std::size_t trace, int column,
                                                    int width) const {
    if (!summary_ || !computed_ || !computedIndex_[trace]) return std::nullopt;
    return summary_->ComputedExtremes(*computed_, *computedIndex_[trace], column, width);
}

void OverviewStrip::DrawComputedTraces(QPainter& p, const QRect& plot) const {
    for (std::size_t t = 0; t < traces_.size(); ++t) {
        if (!computedIndex_[t]) continue;
        for (int column = 0; column < plot.width(); ++column) {
            const auto values = ComputedAt(t, column, plot.width());
            if (!values) continue;
            const int top = RowOf(traces_[t], values->Max, plot);
            const int bottom = RowOf(traces_[t], values->Min, plot);
            p.fillRect(plot.x() + column, top, 1, bottom - top + 1, traces_[t].Colour);
        }
    }
}

}  // namespace orvane
