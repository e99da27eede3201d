#pragma once

#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "layout/ApplyLayout.h"
#include "log/CsvExport.h"
#include "log/LogRecord.h"
#include "session/LogSession.h"
#include "views/common/CommandSet.h"
#include "window/PlayerState.h"
#include "window/TransportStrip.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class Meter;

namespace orvane {

class CommandKeys;
class OverviewStrip;
class PlayerCommands;
class PlayerHost;
class ShapeLamp;
class TextBox;
class ViewWindows;
class usrGraph;

// The main window of the player: the player state, the display controls of the 15
// display slots, the switch lamps, the transport strip, the four command buttons and the
// overview strip; it runs playback and presents each sample. What else is known of the
// open log lives in Session(), which the views beside the window observe; the commands
// that keys and menus run are Commands().
//
// The controls are public, as the window's designed parts: the layout places and styles
// them, the presentation writes to them. Arrays of controls are numbered from 1 like the
// slots; element 0 is null.
class frmPlayer : public QWidget, public TransportControls {
    Q_OBJECT

public:
    // `host` supplies sleep, event pump, messages, dialogs and the program's end; it must
    // outlive the window.
    explicit frmPlayer(PlayerHost& host, QWidget* parent = nullptr);
    ~frmPlayer() override;

    static constexpr const char* Title = "E39A Orvane LogFile Player";
    static constexpr const char* ErrorTitle = "E39A Orvane LogFile Player Error";

    PlayerState& State() { return state_; }
    const PlayerState& State() const { return state_; }
    LogSession& Session() { return session_; }
    const CommandSet& Commands() const { return *commands_; }
    ViewWindows& Views() const { return *views_; }

    // --- Start-up and shut-down ---
    void Form_Load();
    void cmdOpen_Click();
    void cmdClose_Click();
    void Form_Unload();
    // Opens a log by name as cmdOpen_Click does with the file chosen in its dialog (a log
    // named on the command line or dropped on the window).
    void OpenLogFile(const std::string& fileName);
    // Lays the window out from the settings file; a failure is reported and ends the program.
    void ApplyLayout();
    void FillSpeedList();
    // True once the program has ended: no handler does anything after that.
    bool Ended() const { return ended_; }
    // Where the open dialog starts: off, the program's folder; on, the last log's folder.
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
    // taken by the views and the jumps.
    void SeekToSample(std::int32_t sample);
    void Timer1_Timer();
    bool Timer1Enabled() const;
    void SetTimer1Enabled(bool enabled);

    // --- Export ---
    void cmdOutput_Click();
    // Writes the session's range (the whole log without one) to a CSV file of its own.
    void ExportRange();
    // True while an export runs: it pumps events, and no handler runs meanwhile.
    bool Exporting() const { return exporting_; }
    // An export that runs longer than this shows its progress and a Cancel button.
    void SetExportProgressDelay(std::chrono::milliseconds delay) { exportProgressDelay_ = delay; }
    static constexpr std::chrono::milliseconds ExportProgressDelay{500};

    // --- Presentation ---
    void ShowSample(const LogRecord& record, std::int32_t number);
    void ResetDisplay();
    // At "Max" the window is repainted at most once a frame (off: every pump repaints).
    void SetRepaintThrottle(bool on) { repaintThrottle_ = on; }
    static constexpr std::chrono::microseconds FrameInterval{16667};

    // --- Controls ---
    std::array<QLabel*, DisplaySlotCount + 1> lvlResult{};
    std::array<TextBox*, DisplaySlotCount + 1> txtResult{};
    std::array<Meter*, DisplaySlotCount + 1> mtrSensor{};
    std::array<orvane::usrGraph*, DisplaySlotCount + 1> usrGraph{};
    QFrame* picSwitch = nullptr;
    QLabel* lvlStatus = nullptr;
    // The switch lamps and their captions, in the order of Lamps().
    std::array<ShapeLamp*, LampCount> shpLamp{};
    std::array<QLabel*, LampCount> lblLamp{};
    ShapeLamp* Lamp(SwitchKind kind) const;
    TransportStrip* fraLog = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdOutput = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* Timer1 = nullptr;
    OverviewStrip* picOverview = nullptr;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void ConnectHandlers();
    // Sizes the window to the layout's size grown to hold every visible control, with
    // the transport strip and the overview below them.
    void FitToControls(int contentWidth, int contentHeight);
    void PlaceButton(QPushButton* button, SectionId section, bool design);
    // The layout as data, for the session, from the controls the layout just styled.
    DisplayLayout DescribeLayout(const OverviewSettings& overview) const;
    // True while a log is loaded and its file is open.
    bool LogOpen() const { return state_.LogLoaded && state_.LogFileHandle.IsOpen(); }
    void ShowTitle();
    void ShowError(const QString& text);
    // Runs an export with Output's progress, Cancel and signal handling.
    // nullopt when the program ended meanwhile; a failure was reported.
    std::optional<CsvExportResult> RunExport(
        const std::string& csvPath, std::int64_t lines,
        const std::function<CsvExportResult(const CsvExportControl&)>& run);
    CsvExport LogCsvExport() const;
    void SetValueTextColor(int slot, meter::Colour colour);
    void EndProgram(int status);
    bool RepaintsThrottled() const;
    void RepaintIfDue();
    void RepaintNow();

    PlayerHost& host_;
    PlayerState state_;
    LogSession session_;
    CommandSet* commands_ = nullptr;
    CommandKeys* keys_ = nullptr;
    ViewWindows* views_ = nullptr;
    PlayerCommands* playerCommands_ = nullptr;
    bool playLoopRunning_ = false;
    bool ended_ = false;
    bool exporting_ = false;
    bool quitAfterExport_ = false;
    std::chrono::milliseconds exportProgressDelay_ = ExportProgressDelay;
    bool rememberLogFolder_ = false;
    bool repaintThrottle_ = true;
    bool repaintHeldBack_ = false;
    std::chrono::steady_clock::time_point lastRepaint_{};
};

}  // namespace orvane
