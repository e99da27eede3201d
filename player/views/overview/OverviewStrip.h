#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/LogPauses.h"
#include "analysis/OverviewSummary.h"
#include "log/DateTime.h"
#include "log/LogRecord.h"
#include "log/SampleRange.h"

class QMenu;
class QPainter;

namespace orvane {

class CommandSet;
class LogSession;

// The overview strip: the whole log at a glance, under the transport strip.
//
// From a summary of the log it draws, per pixel column, the min/max envelope of up to
// two traced items (so a single-sample spike in a long log still shows), under them a
// band marking the columns that hold a sample in alarm (in that box's alarm colour), the
// playhead at the sample on display, and at its right end the elapsed time of that
// sample and the log's length. A line at the bottom shows short notes that fade.
//
// It follows the session: the summary when it is ready, the markers and the range, the
// sample on display and the session's notes; without a log it is empty. A press or a
// drag asks the session to seek to the first sample of the column under the pointer;
// hovering shows that column's sample, time of day and traced values; a right-click
// offers the marker and range commands for the sample under the pointer and the
// player's export, statistics and map commands. Markers show as numbered ticks, the
// range as a shaded span, pauses of the logging (gaps of 5 s or more) as break marks
// whose tooltip tells the pause's length; playback crossing one says so on the note line.
//
// The drawing reads only the summary: resizing never goes back to the file. The traces,
// the band and the marks are drawn once per change into an image; a paint copies it and
// adds the playhead and the texts, so neither a long log nor many markers slow playback.
class OverviewStrip : public QWidget {
    Q_OBJECT

public:
    // How one traced item is drawn.
    struct Trace {
        std::int16_t Code = -1;  // its item, for the tooltip's name and unit
        // A computed item's name instead of a code (the strip reads its extremes from
        // the session's computed items' summary), with its unit; empty for an item.
        std::string Computed;
        std::string Unit;
        double ScaleMin = 0;  // the values drawn at the bottom and the top of the plot
        double ScaleMax = 1;
        QColor Colour;
    };
    // The colours of alarm levels 1 and 2 of one value box (the summary's boxes, in order).
    struct BoxColours {
        QColor Alarm1;
        QColor Alarm2;
    };

    OverviewStrip(LogSession& session, const CommandSet& commands, QWidget* parent = nullptr);
    ~OverviewStrip() override;

    bool HasSummary() const { return summary_ != nullptr; }
    const OverviewSummary* Summary() const { return summary_.get(); }
    // How the traces are drawn (their items and scales), once the summary shows.
    const std::array<Trace, 2>& Traces() const { return traces_; }

    // The sample on display and its counter; 0 when none is shown.
    void SetPlayhead(std::int64_t sample, std::int32_t millis);
    std::int64_t Playhead() const { return playhead_; }

    // A short note on the bottom line; it fades after a few seconds, or goes at once
    // when another sample shows if it is about the sample on display.
    void ShowNote(const QString& text, bool untilAnotherSample = false);
    // The note shown now (empty once it has faded).
    QString Note() const;

    // The text at the right end: elapsed time of the sample on display and the log's length.
    QString TimeText() const;

    // The plot area, where the traces and the alarm band are drawn, and the pixel column
    // of it that shows `sample` (-1 without a summary).
    QRect PlotRect() const;
    int ColumnOfSample(std::int64_t sample) const;
    // The sample a press at `x` (in the strip's coordinates) seeks to; 0 without a summary.
    std::int64_t SampleAt(int x) const;

    // The tooltip text for the column under `x` (over a pause's break mark, the pause),
    // and where it shows (global position).
    QString ToolTipAt(int x) const;
    QPoint ToolTipPlace(int x, const QString& text) const;

    // The pauses of the logging, marked as breaks once the session has found them.
    const std::vector<LogPause>& Pauses() const { return pauses_; }
    // The pause whose break mark is at `x` (within a few pixels); null for none.
    const LogPause* PauseAt(int x) const;

    // The menu a right-click at `x` opens: commands for the sample under it (0 without
    // a summary: then only the commands that need no sample).
    std::unique_ptr<QMenu> ContextMenuAt(int x);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Shows the session's summary, with each trace on the scale the layout gives its item
    // and the band in the alarm colours of the boxes.
    void ShowSummary();
    // Forgets the summary (no log, or a new one being read).
    void ClearSummary();
    // The markers, drawn as ticks numbered from 1 in sample order, and the in/out range,
    // drawn as a shaded span.
    void ShowMarks();
    void DrawStatic();
    // The elapsed time of the sample on display since the log's first, in milliseconds;
    // 0 without a summary or a sample on display.
    std::int64_t ElapsedMillis() const;
    void SeekAt(int x);
    int RowOf(const Trace& trace, double value, const QRect& plot) const;
    // The traces that follow a computed item: set up from the session's computed items'
    // summary (none while it is not ready, or for a name the log cannot compute), and
    // drawn column by column; the extremes of such a trace at a column.
    void SetUpComputedTraces();
    void DrawComputedTraces(QPainter& p, const QRect& plot) const;
    std::optional<ValueRange> ComputedAt(std::size_t trace, int column, int width) const;
    void DrawMarks(QPainter& painter, const QRect& plot) const;
    // The session's pauses, marked on the strip; a sample shown just after one says so.
    void ShowPauses();
    void DrawPauses(QPainter& painter, const QRect& plot) const;
    void NotePauseCrossed(std::int64_t before, std::int64_t after);
    QString PauseText(const LogPause& pause) const;

    LogSession& session_;
    const CommandSet& commands_;
    std::shared_ptr<const OverviewSummary> summary_;
    std::array<Trace, 2> traces_{};
    std::shared_ptr<const ComputedSummary> computed_;
    std::array<std::optional<std::size_t>, 2> computedIndex_{};
    std::vector<BoxColours> boxes_;
    DateTime start_;
    QImage static_;  // background, band and traces of this size
    std::vector<std::int64_t> markers_;
    std::optional<SampleRange> range_;
    std::vector<LogPause> pauses_;
    std::int64_t playhead_ = 0;
    std::int32_t playheadMillis_ = 0;
    int lastSeekColumn_ = -1;
    bool dragging_ = false;
    QString note_;
    QTimer noteTimer_;                        // steps the note's fading
    int noteAge_ = 0;                         // steps since the note appeared
    std::optional<std::int64_t> noteSample_;  // the sample the note is about
};

}  // namespace orvane
