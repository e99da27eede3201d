#pragma once

#include <QWidget>
#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/AlarmTable.h"
#include "analysis/OverviewSummary.h"
#include "layout/ApplyLayout.h"
#include "log/LogRecord.h"
#include "log/SampleRange.h"
#include "log/modOrvane.h"
#include "window/PlayerState.h"
#include "window/TransportStrip.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class Meter;

namespace orvane {

class CsvExport;
class MapWindow;
class OverviewBuilder;
class StatisticsWindow;
class OverviewStrip;
class PlayerHost;
class ShapeLamp;
class TextBox;
class usrGraph;

// The main window of the player: it holds the player state, the display controls of
// the 15 display slots, the switch lamps, the transport strip and the four command
// buttons, and runs playback.
//
// The controls are public, as the window's designed parts: the layout places and
// styles them, the presentation writes to them, and tests drive them. Arrays of
// controls are numbered from 1 like the slots; element 0 is null.
class frmPlayer : public QWidget, public TransportControls {
    Q_OBJECT

public:
    // `host` supplies sleep, event pump, messages, the open dialog and the program's
    // end; it must outlive the window.
    explicit frmPlayer(PlayerHost& host, QWidget* parent = nullptr);
    ~frmPlayer() override;

    static constexpr const char* Title = "E39A Orvane LogFile Player";
    static constexpr const char* ErrorTitle = "E39A Orvane LogFile Player Error";

    PlayerState& State() { return state_; }
    const PlayerState& State() const { return state_; }

    // --- Start-up and shut-down ---
    void Form_Load();
    void cmdOpen_Click();
    void cmdClose_Click();
    void Form_Unload();
    // Opens a log by name as cmdOpen_Click does with the file chosen in its dialog:
    // closes the loaded log, keeps the name in LogFileName and loads it (which stops
    // playback). For a log named on the command line or dropped on the window.
    void OpenLogFile(const std::string& fileName);
    // Lays the window out from the settings file; a failure is reported and ends the
    // program.
    void ApplyLayout();
    // Fills the speed list ("x1" to "x5" and "Max") and selects "x1".
    void FillSpeedList();
    // True once the program has ended: no handler does anything after that.
    bool Ended() const { return ended_; }
    // Where the open dialog starts. Off (a portable copy, and the default): in the
    // program's own folder. On: in the folder of the last log opened, kept in the
    // settings file (LogFolderMemory), else in the user's home folder.
    void SetRememberLogFolder(bool on) { rememberLogFolder_ = on; }

    // --- Playback ---
    void OpenLog(const std::string& fileName);
    void CloseLog();
    void SeekRecord(std::int32_t position);
    bool ShowNextSample(bool skipWait);
    void StepBack();

    void cmdPlay_Click();
    void cmdPlay2_Click();
    void cmdPause_Click();
    void cmdStop_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cboSpeed_Click();
    void sldLog_Click();
    // Shows sample `sample` paused, with the graphs restarted: the slider's seek, also
    // taken by the overview strip, the alarm jumps and End.
    void SeekToSample(std::int32_t sample);
    void Timer1_Timer();
    void cmdOutput_Click();

    // The playing flag: the enabled state of Timer1.
    bool Timer1Enabled() const;
    void SetTimer1Enabled(bool enabled);

    // While a log plays at "Max", every sample still goes into the controls, but the
    // window is repainted and flushed to the screen at most once a frame, and once more
    // when playback stops, pauses or ends. Off: every pump repaints what changed, as
    // at the other speeds (for comparisons).
    void SetRepaintThrottle(bool on) { repaintThrottle_ = on; }
    static constexpr std::chrono::microseconds FrameInterval{16667};

    // --- The overview and jumps ---
    // Shows the next (forward) or previous alarm start, like a seek; with none, says so
    // on the overview strip and moves nothing.
    void JumpToAlarm(bool forward);
    // Shows the log's last sample, paused, like a seek.
    void ShowLastSample();
    // The value boxes that can show an alarm for the open log, as the whole-log work
    // needs them, and the display slot of each.
    std::vector<AlarmBox> AlarmBoxes(std::vector<int>* displaySlots = nullptr) const;
    // An export that runs longer than this shows its progress and a Cancel button.
    void SetExportProgressDelay(std::chrono::milliseconds delay) { exportProgressDelay_ = delay; }
    static constexpr std::chrono::milliseconds ExportProgressDelay{500};

    // --- Markers and the in/out range ---
    // The range of samples the in and out points select; the range export, the
    // statistics and the map cover it (the whole log without one). Setting only an in
    // point selects from there to the end, only an out point from the start.
    std::optional<SampleRange> Range() const { return range_; }
    SampleRange RangeOrWholeLog() const;
    // The markers, in sample order.
    const std::vector<std::int64_t>& Markers() const { return markers_; }
    // The sample on display; 0 when none is.
    std::int64_t ShownSample() const;

    // Sets a marker at `sample`, or removes the one there.
    void ToggleMarker(std::int64_t sample);
    // Shows the next (forward) or previous marker, like a seek.
    void JumpToMarker(bool forward);
    // Sets the in or the out point; one set before the other swaps them.
    void SetInPoint(std::int64_t sample);
    void SetOutPoint(std::int64_t sample);
    void ClearRange();
    // Writes the range (the whole log without one) to a CSV file of its own beside the log.
    void ExportRange();
    // Opens (or raises) the statistics window of the range.
    void ShowStatistics();
    StatisticsWindow* StatisticsView() const { return statisticsWindow_; }

    // --- The map ---
    // Opens the map window of the open log, or raises it; nothing without a log.
    void OpenMapWindow();

    // --- Presentation ---
    void ShowSample(const LogRecord& record, std::int32_t number);
    void ResetDisplay();

    // --- Controls ---
    std::array<QLabel*, DisplaySlotCount + 1> lvlResult{};
    std::array<TextBox*, DisplaySlotCount + 1> txtResult{};
    std::array<Meter*, DisplaySlotCount + 1> mtrSensor{};
    std::array<orvane::usrGraph*, DisplaySlotCount + 1> usrGraph{};

    QFrame* picSwitch = nullptr;
    QLabel* lvlStatus = nullptr;
    // The switch lamps and their caption labels, in the order of Lamps() (Idle, Power,
    // AC, AC relay, TDC); Lamp() and LampLabel() find them by switch.
    std::array<ShapeLamp*, LampCount> shpLamp{};
    std::array<QLabel*, LampCount> lblLamp{};
    ShapeLamp* Lamp(SwitchKind kind) const;
    QLabel* LampLabel(SwitchKind kind) const;

    // The transport strip; its controls (txtSeq ... sldLog) are the window's own, from
    // TransportControls.
    TransportStrip* fraLog = nullptr;

    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdOutput = nullptr;
    QPushButton* cmdClose = nullptr;

    QTimer* Timer1 = nullptr;

    // The overview strip under the transport strip, and the worker that summarises logs
    // for it.
    OverviewStrip* picOverview = nullptr;
    OverviewBuilder* overviewBuilder = nullptr;
    // The map window, once opened (it is hidden, not deleted, when closed).
    MapWindow* mapWindow = nullptr;

signals:
    // The in/out range was set, moved or cleared, or a log was opened.
    void RangeChanged();
    // A sample was put on display, for windows that follow playback. Emitted for every
    // sample (thousands a second at "Max"): a receiver keeps it cheap and repaints at
    // most once a frame.
    void SampleShown(std::int32_t number, const LogRecord& record);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateSlotControls();
    void CreateSwitchPanel();
    void CreateTransportStrip();
    void CreateCommandButtons();
    void CreateOverview();
    // Reads [Overview] and shows or hides the strip.
    void LayoutOverview(LayoutSource source);
    // Starts summarising the log just opened for the overview; OpenLog clears the strip
    // before.
    void StartOverview();
    void OverviewReady(std::shared_ptr<const OverviewSummary> summary);
    // A seek asked for by the overview strip, the statistics window or the map window:
    // taken as a seek with the slider when `sample` is one the log holds whole, and
    // ignored after the end, without a log and while an export runs.
    void RequestSeek(std::int64_t sample);
    // Hands the open log and its range to the map window.
    void UpdateMapSource();
    // Keeps the map window's place when the program ends with it open.
    void SaveMapWindowPlace();
    // True while a log is loaded and its file is open: what every command that reads
    // the log needs.
    bool LogOpen() const { return state_.LogLoaded && state_.LogFileHandle.IsOpen(); }
    // The last sample the log holds whole (0 for none).
    std::int32_t LastSample() const;
    // Reads the marks file of the log just opened.
    void LoadMarks();
    // Shows the markers and the range, writes the marks file, and tells who follows the
    // range when it changed.
    void MarksChanged(bool rangeChanged);
    void UpdateStatistics();
    void ConnectHandlers();
    // Sizes the window to the layout's width and height (without the strips), grown to
    // hold every visible control and the transport strip; puts the strip below them and
    // the overview, when shown, below the strip: the one place that adds the strips to
    // the layout's height.
    void FitToControls(int contentWidth, int contentHeight);
    // Places a command button from its section: the settings file, or the design.
    void PlaceButton(QPushButton* button, SectionId section, bool design);

    // Works out which log slot each display slot shows for the log just opened.
    void BindDisplaySlots();
    // The title: the open log's file name before the caption, or the caption alone.
    void ShowTitle();

    void ShowError(const QString& text);
    // The CSV lines of the open log, for Output and the range export, and the message
    // both show when the CSV file cannot be written.
    CsvExport LogCsvExport() const;
    void ShowCsvWriteError(const std::string& csvPath, const std::string& error);
    void SetValueTextColor(int slot, meter::Colour colour);
    // Ends the program: nothing runs after this.
    void EndProgram(int status);

    // True while repaints wait for the next frame: playing at "Max" with the throttle on.
    bool RepaintsThrottled() const;
    // Repaints what changed if a repaint was held back and its frame has come (or the
    // throttle no longer applies).
    void RepaintIfDue();
    // Repaints what changed and flushes it to the screen at once.
    void RepaintNow();

    PlayerHost& host_;
    PlayerState state_;
    bool playLoopRunning_ = false;
    bool ended_ = false;
    // While an export shows its progress, events are pumped: no handler runs then, and
    // a request to quit waits for the export to be taken back.
    bool exporting_ = false;
    bool quitAfterExport_ = false;
    std::chrono::milliseconds exportProgressDelay_ = ExportProgressDelay;
    bool rememberLogFolder_ = false;
    bool repaintThrottle_ = true;
    bool repaintHeldBack_ = false;
    std::chrono::steady_clock::time_point lastRepaint_{};
    // The overview: whether it shows, its height, the items it traces, and the summary
    // of the open log once it is ready.
    OverviewSettings overviewSettings_;
    std::shared_ptr<const OverviewSummary> summary_;
    std::int64_t logLength_ = 0;  // bytes, when the log was opened
    std::optional<SampleRange> range_;
    std::vector<std::int64_t> markers_;
    bool marksSaved_ = true;  // false once the marks file could not be written
    StatisticsWindow* statisticsWindow_ = nullptr;
};

}  // namespace orvane
