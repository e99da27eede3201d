#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/ChartSpan.h"
#include "analysis/ChartSpanComparison.h"
#include "analysis/ChartTimeline.h"
#include "analysis/LogTimeline.h"
#include "log/LogRecord.h"
#include "views/chart/ChartCanvas.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

namespace orvane {

class CommandSet;
class LogSession;
class PlayerHost;

// The chart window: several items of the open log on one time axis, in stacked panes,
// from the whole log down to a second or two, with the values of every item at the
// cursor (or the sample on display) and a measured span with its figures. Non-modal,
// beside the player; it follows the session (the log, the sample on display, the markers
// and the range) and changes it only through its public operations (a seek, the range).
//
// Keys of its own: F the whole log, Z the in/out range, L aligns the reference log (see
// below), Escape clears the span, Ctrl+C copies (the span's table, else the readout). A
// pane's menu (a right-click) adds and removes items and panes, fits the pane's scales
// to what is visible, turns following off and on (as the check box does), makes the
// span the in/out range, saves the chart as a picture, and compares with a reference
// log or stops comparing.
//
// While a reference log is open (the session's), the chart lays it over the log: every
// item both record is drawn for the reference too, paler and dashed; the legends, the
// readout and the copy give both values and the difference (log minus reference); a
// span's table has both logs' figures and their differences. "Align here" (L) puts the
// reference sample under the cursor at the sample on display (or, with none, at the
// log's sample under the cursor); Alt and a drag slide the reference. The offset and
// the reference's file name are shown under the readout; the session keeps the offset.
//
// Its panes are kept in the settings file (see ChartPanes), its place and size in a
// section of its own:
//
//   [Chart Window]
//   Left=…  Top=…  Width=…  Height=…
class ChartWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* SettingsSection = "Chart Window";
    // The playhead follows the sample on display at most this often (25 times a second:
    // smooth enough for a chart, and it leaves the player its pace at "Max").
    static constexpr int PlayheadIntervalMs = 40;

    ChartWindow(LogSession& session, PlayerHost& host, QWidget* parent = nullptr);
    ~ChartWindow() override;

    ChartCanvas* Canvas() const { return picChart; }
    // True once the log's timeline is ready and the chart draws.
    bool Ready() const { return picChart->Timeline() != nullptr; }
    // True while the timeline or the span's figures are being worked out.
    bool Computing() const;

    // The readout line above the panes: the cursor's (or the playhead's) sample, its
    // time of day to the millisecond and its elapsed time.
    QString ReadoutText() const;
    // What Ctrl+C copies: the span's table when there is a span, else the readout of the
    // cursor or the playhead: "Sample", "Time", then a line per series (name and value).
    QString CopyText() const;
    void Copy();

    // The span and its figures (once worked out).
    void SetSpan(std::optional<SampleRange> span);
    const std::optional<ChartSpan>& SpanFigures() const { return spanFigures_; }
    QTableWidget* SpanTable() const { return tblSpan; }
    // The span as the in/out range.
    void UseSpanAsRange();

    // The menu of pane `pane` (-1: below the panes).
    std::unique_ptr<QMenu> PaneMenu(int pane);
    void AddSeries(int pane, const ChartSeries& series);
    void RemoveSeries(int pane, std::size_t index);
    void AddPane();
    void RemovePane(int pane);

    // --- Comparing with a reference log ---
    // The player's commands, for the menu's "Compare with…" and "Stop comparing".
    void SetCommands(const CommandSet* commands) { commands_ = commands; }
    // True once the reference is laid over the chart.
    bool ReferenceReady() const { return picChart->ReferenceLog() != nullptr; }
    // "Align here": false (with a note in the status line) when there is nothing to align.
    bool AlignHere();
    // Puts reference sample `referenceSample` at sample `sample` of the log.
    bool AlignAt(std::int64_t sample, std::int64_t referenceSample);
    // The span's figures beside the reference's, once worked out.
    const std::optional<ChartSpanComparison>& SpanComparison() const { return spanComparison_; }
    // The offset and the reference's file name, shown under the readout ("" without one).
    QString ReferenceText() const;
    // --- Computed items and the filter ---
    // "New computed item…" of pane `pane`: the dialog, and on OK the new item in the pane.
    void NewComputedItem(int pane);
    // Adds the computed item named `name` to pane `pane`; false when the log cannot
    // compute it.
    bool AddComputedSeries(int pane, const std::string& name);
    // "Filter…": asks for the condition and sets it; ApplyFilter sets (blank: clears) it,
    // false with muparser's message in `problem` when it is refused.
    void EditFilter();
    bool ApplyFilter(const QString& condition, QString* problem = nullptr);
    // The status line's words on the filter: "tps > 90: 812 of 9,421 samples" (empty
    // without a filter).
    QString FilterText() const;
    QLabel* lblFilter = nullptr;

    void SavePng();
    void SavePlace() const;
    void RestorePlace(const QWidget& beside);

    // --- Controls (public for the tests, like the player's) ---
    QLabel* lblReadout = nullptr;
    QCheckBox* chkFollow = nullptr;
    QPushButton* cmdWholeLog = nullptr;
    QPushButton* cmdRange = nullptr;
    QPushButton* cmdSavePng = nullptr;
    ChartCanvas* picChart = nullptr;
    QLabel* lblSpan = nullptr;
    QTableWidget* tblSpan = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblReference = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    // A log opened or closed: nothing of the last one stays; the panes for the new one.
    void LogChanged();
    // Builds the timeline once the summary and the pauses are ready.
    void StartTimeline();
    void ShowSpanFigures();
    void UpdateReadout();
    void SavePanes() const;
    void SetPanes(std::vector<ChartCanvas::Pane> panes);
    // The filter's line under the chart, and the panes again with the session's computed
    // items (one that was added or went away).
    void CreateFilterControls();
    void FormulasChanged();
    void ShowFilter();
    // The panes of the settings file for the open log (the defaults when it names none).
    std::vector<ChartCanvas::Pane> PanesFromSettings() const;

    // The reference opened, closed, moved, or its summary ready; the log changed under it.
    void ReferenceChanged();
    void LogChangedUnderReference();
    // Reads the reference's counters, then lays it over the chart.
    void StartReferenceTimelines();
    void ApplyReference();
    // The figures of the reference samples under the span, once the span's are there.
    void StartReferenceSpan();
    void ShowSpanComparison();
    void SetSpanHeader(const std::vector<std::string>& cells);
    QString ComparedCopyText() const;

    const CommandSet* commands_ = nullptr;
    const LogSession* referenceOf_ = nullptr;
    QMetaObject::Connection referenceSummary_;
    std::shared_ptr<const LogTimeline> referenceSamples_;
    std::optional<ChartSpanComparison> spanComparison_;

    LogSession& session_;
    PlayerHost& host_;
    std::optional<ChartSpan> spanFigures_;
    std::int64_t pendingPlayhead_ = 0;
    QTimer playheadTimer_;
};

}  // namespace orvane
