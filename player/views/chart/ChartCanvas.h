#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/ChartFrame.h"
#include "analysis/ChartSeries.h"
#include "analysis/ChartTimeline.h"
#include "analysis/LogTimeline.h"
#include "analysis/ReferenceFrame.h"
#include "analysis/SlotPairing.h"
#include "log/LogRecord.h"
#include "log/SampleRange.h"

class QMenu;
class QPainter;

namespace orvane {

class LogSession;

// The chart's drawing: panes stacked on one time axis, each with its series in colours
// of their own, over the whole log or any part of it down to about 20 samples across.
//
// Every pixel column shows each series' smallest and largest value over the samples that
// fall into it (see ChartFrame); once the columns hold a sample or less each, the samples
// are points joined by lines. Pauses are narrow breaks with their length written on the
// time axis. The in/out range is shaded, markers are vertical lines, the value boxes'
// alarm thresholds are dashed lines in their alarm colours, the sample on display is the
// playhead. Hovering shows a cursor whose sample every legend reads out; a measured span
// (A to B) is shaded.
//
// The mouse: the wheel zooms around the pointer, a drag pans, Shift and a drag measure a
// span, Alt and a drag slide a reference log laid over the chart, a click (without a
// drag) asks the session to show the sample under the pointer.
// The frame is worked out again only when the view, the size or the series change; a
// repaint during playback copies it and draws the playhead.
class ChartCanvas : public QWidget {
    Q_OBJECT

public:
    struct Pane {
        std::vector<ChartSeries> Series;
        bool FitToVisible = false;
    };

    explicit ChartCanvas(LogSession& session, QWidget* parent = nullptr);
    ~ChartCanvas() override;

    // The log's timeline (null: nothing to draw) and the panes to draw.
    void SetTimeline(std::shared_ptr<const ChartTimeline> timeline);
    const ChartTimeline* Timeline() const { return timeline_.get(); }
    void SetPanes(std::vector<Pane> panes);
    const std::vector<Pane>& Panes() const { return panes_; }
    // Every series of every pane, from the top.
    std::vector<ChartSeries> AllSeries() const;

    // The view: what part of the log shows, at which zoom.
    const ChartView& View() const { return view_; }
    void SetView(const ChartView& view);
    void ShowWholeLog();
    // Shows the samples `range` (with a little room either side).
    void ShowSamples(SampleRange range);
    void ZoomAt(double x, double factor);
    void PanBy(double pixels);

    // The sample on display; when following, the view moves to keep it in sight.
    void SetPlayhead(std::int64_t sample);
    std::int64_t Playhead() const { return playhead_; }
    void SetFollow(bool on);
    bool Follows() const { return follow_; }

    // The cursor (hover) and its sample; 0 when the pointer is not over the chart.
    void SetCursorAt(std::optional<int> x);
    std::int64_t CursorSample() const { return cursor_; }
    // The sample the legends read out: the cursor's, else the playhead's (0: none).
    std::int64_t ReadoutSample() const { return cursor_ > 0 ? cursor_ : playhead_; }

    // The measured span (ordered), if any.
    std::optional<SampleRange> Span() const { return span_; }
    void SetSpan(std::optional<SampleRange> span);

    // The markers and the in/out range, as the session has them.
    void SetMarks(std::vector<std::int64_t> markers, std::optional<SampleRange> range);

    // The plot area (between the scale labels on the left and the time axis below) and
    // its width; the frame drawn there now, worked out when needed (null without a log).
    QRect PlotRect() const;
    const ChartFrame* Frame();
    // The pane under a point (-1: none) and its rectangle.
    int PaneAt(QPoint point) const;
    QRect PaneRect(int pane) const;
    // The scale series `series` of pane `pane` is drawn on (the layout's, the catalogue's,
    // or fitted to what is visible).
    std::pair<double, double> ScaleOf(int pane, std::size_t series);

    // The text of a legend line: the series' name, its value at the readout sample as the
    // value box writes it, and its scale.
    QString LegendText(const ChartSeries& series, std::optional<double> value,
                       std::pair<double, double> scale) const;
    // The raw bytes of a sample (read from the log), nullopt when it cannot be read.
    std::optional<LogRecord> RecordOf(std::int64_t sample) const;

    // The chart as shown, for "Save PNG…".
    QImage Picture();

    // Memory the chart holds for the log: the summary it shares with the overview, the
    // timeline, the frame, its read buffer and the picture of the panes.
    std::size_t MemoryBytes() const;

    // Elapsed time on the axis: "m:ss.s" below one hour, "h:mm:ss" from one on.
    static QString AxisTimeText(double elapsedMillis);

    // --- A reference log laid over the chart ---
    // Every series the reference records too is drawn for it in the same pane on the
    // same scale, paler and dashed, placed on this log's axis by the clock (reference
    // sample r at this log's elapsed time Reference.ElapsedMillis(r) + OffsetMillis).
    // Alt and a drag slide it: the offset follows the pointer live, and is handed on once
    // (ReferenceSlid) when the button is let go.
    struct Reference {
        std::shared_ptr<const LogFile> Log;
        std::shared_ptr<const MinMaxSummary> Summary;
        std::shared_ptr<const LogTimeline> Samples;  // the reference's counters
        SlotPairing Pairing;
        std::int64_t OffsetMillis = 0;
    };
    void SetReference(std::optional<Reference> reference);
    const Reference* ReferenceLog() const { return reference_ ? &*reference_ : nullptr; }
    void SetReferenceOffset(std::int64_t millis);
    // The reference's series for each series of AllSeries() (nullopt: it lacks the item).
    std::vector<std::optional<ChartSeries>> ReferenceSeries() const;
    // What is drawn of the reference at the current view (null without one).
    const ReferenceFrame* RefFrame();
    // The pixel (in the plot) of reference sample `sample`, nullopt without a reference.
    std::optional<double> PixelOfReferenceSample(std::int64_t sample) const;
    // The reference sample drawn nearest to plot pixel x; nullopt without a reference or
    // beyond either end of it.
    std::optional<std::int64_t> ReferenceSampleAt(double x) const;
    // The reference sample the legends read out: the one under the cursor, else the one
    // on show beside the playhead's sample.
    std::optional<std::int64_t> ReferenceReadoutSample() const;
    // A legend line with the reference beside the log: the name, the log's value, the
    // reference's and the difference (log minus reference), then the scale; a series
    // the reference lacks is marked "(main only)".
    QString ComparedLegendText(const ChartSeries& series, std::optional<double> value,
                               const std::optional<ChartSeries>& partner,
                               std::optional<double> referenceValue,
                               std::pair<double, double> scale) const;
    // The time of this log's sample `sample` since its first sample, by their counters
    // (as the reference's are counted); nullopt when it cannot be read.
    std::optional<std::int64_t> ElapsedOfSample(std::int64_t sample) const;
    // The raw bytes of a reference sample, nullopt when it cannot be read.
    std::optional<LogRecord> ReferenceRecordOf(std::int64_t sample) const;
    // The colour of the log's series `index` of AllSeries(), and the paler one of the
    // reference's line for it.
    static QColor SeriesColour(std::size_t index);
    static QColor ReferenceColour(std::size_t index);
    // --- Computed items and the filter ---
    // The value of a series at a sample: the record's for a logged item, the formula's
    // for a computed one (evaluated with the samples before it); nullopt for none.
    std::optional<double> ValueAtSample(const ChartSeries& series, std::int64_t sample) const;
    // The session's computed items' summary or filter changed: the frame is worked out
    // again with the new one.
    void ComputedChanged();
    // The samples where the filter does not hold are shaded in this colour (per column
    // where a column holds several: fully where none passes, lighter where some do).
    static QColor FilterShade(bool partly);

signals:
    // The user clicked at `sample` (the chart asks the session to show it).
    void SampleClicked(std::int64_t sample);
    // A span was marked with Shift and a drag.
    void SpanMarked(SampleRange span);
    void CursorMoved(std::int64_t sample);
    // The view changed (zoom, pan, follow).
    void ViewChanged();
    void ContextMenuAt(int pane, QPoint globalPos);
    // Alt and a drag moved the reference to `offsetMillis` (told once, on release).
    void ReferenceSlid(std::int64_t offsetMillis);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Invalidate();
    void DrawStatic(QPainter& p);
    void DrawPane(QPainter& p, int pane, const ChartFrame& frame);
    void DrawAxis(QPainter& p, const ChartFrame& frame);
    void DrawLegends(QPainter& p);
    // A sample's pixel in the plot (nullopt when it is far outside the view or unreadable).
    std::optional<double> PixelOfSample(std::int64_t sample) const;
    double RowOf(double value, std::pair<double, double> scale, const QRect& rect) const;
    // The scale of a computed series: its definition's, else the range of its values in
    // the log (while that is not known yet, 0 to 1).
    std::pair<double, double> ComputedScale(const ChartSeries& series) const;
    void DrawFilterShade(QPainter& p, const QRect& box, const ChartFrame& frame);
    int BreakPixels() const;
    void DrawReference(QPainter& p, int pane, const QRect& area);

    LogSession& session_;
    std::shared_ptr<const ChartTimeline> timeline_;
    std::vector<Pane> panes_;
    ChartView view_;
    bool viewSet_ = false;
    std::optional<ChartFrame> frame_;
    std::vector<std::uint8_t> scratch_;
    QImage static_;
    bool staticValid_ = false;
    std::int64_t playhead_ = 0;
    std::int64_t cursor_ = 0;
    std::optional<int> cursorX_;
    bool follow_ = true;
    std::optional<SampleRange> span_;
    std::vector<std::int64_t> markers_;
    std::optional<SampleRange> range_;

    std::optional<Reference> reference_;
    std::optional<ReferenceFrame> refFrame_;
    // What refFrame_ was worked out for.
    ChartView refFrameView_;
    std::int64_t refFrameOffset_ = 0;
    std::vector<ChartSeries> refFrameSeries_;
    std::vector<std::uint8_t> refScratch_;
    bool altPress_ = false;
    std::int64_t slideFrom_ = 0;  // the offset when Alt and a drag began

    // The mouse: where a press began, whether it has become a drag, and of which kind.
    enum class Drag { None, Pan, Span, Slide };
    QPoint pressAt_;
    Drag drag_ = Drag::None;
    bool pressed_ = false;
    bool shiftPress_ = false;
    double lastDragX_ = 0;
};

}  // namespace orvane
