#pragma once

#include <QWidget>
#include <array>
#include <chrono>
#include <memory>
#include <optional>

#include "log/CsvExport.h"
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

class ExportRunner;
class OverviewStrip;
class PlayerHost;
class RepaintThrottle;
class ShapeLamp;
class TextBox;
class ViewWindows;
class usrGraph;

// The main window: the player state, the controls of the 15 display slots, the switch
// lamps, the transport strip, the four command buttons and the overview strip; it runs
// playback and presents each sample. What else is known of the open log lives in
// Session(), which the views observe; keys and menus run Commands(). The controls are
// public, as the window's designed parts; arrays of them are numbered from 1 like the
// slots (element 0 is null).
class frmPlayer : public QWidget, public TransportControls {
    Q_OBJECT

public:
    // `host` (sleep, event pump, messages, dialogs, the program's end) outlives the window.
    explicit frmPlayer(PlayerHost& host, QWidget* parent = nullptr);
    ~frmPlayer() override;

    static constexpr const char* Title = "E39A Orvane LogFile Player";
    static constexpr const char* ErrorTitle = "E39A Orvane LogFile Player Error";

    PlayerState& State() { return state_; }
    LogSession& Session() { return session_; }
    const CommandSet& Commands() const { return *commands_; }
    ViewWindows& Views() const { return *views_; }

    void Form_Load();
    void cmdOpen_Click();
    void cmdClose_Click();
    void Form_Unload();
    // Opens a log by name as cmdOpen_Click opens the file chosen (command line, drops).
    void OpenLogFile(const std::string& fileName);
    // Lays the window out from the settings file; a failure is reported and ends the program.
    void ApplyLayout();
    void FillSpeedList();
    // True once the program has ended: no handler does anything after that.
    bool Ended() const { return ended_; }
    // Where the open dialog starts: off, the program's folder; on, the last log's folder.
    void SetRememberLogFolder(bool on) { rememberLogFolder_ = on; }

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
    // Shows `sample` paused, the graphs restarted: the seek of the slider and the views.
    void SeekToSample(std::int32_t sample);
    void Timer1_Timer();
    bool Timer1Enabled() const;
    void SetTimer1Enabled(bool enabled);

    void cmdOutput_Click();
    // Writes the session's range (the whole log without one) to a CSV file of its own.
    void ExportRange();
    // True while an export runs: it pumps events, and no handler runs meanwhile.
    bool Exporting() const;
    // An export that runs longer than this shows its progress and a Cancel button.
    void SetExportProgressDelay(std::chrono::milliseconds delay);

    void ShowSample(const LogRecord& record, std::int32_t number);
    void ResetDisplay();
    // At "Max" the window is repainted at most once a frame (off: every pump repaints).
    void SetRepaintThrottle(bool on);

    std::array<QLabel*, DisplaySlotCount + 1> lvlResult{};
    std::array<TextBox*, DisplaySlotCount + 1> txtResult{};
    std::array<Meter*, DisplaySlotCount + 1> mtrSensor{};
    std::array<orvane::usrGraph*, DisplaySlotCount + 1> usrGraph{};
    QFrame* picSwitch = nullptr;
    QLabel* lvlStatus = nullptr;
    // The switch lamps and their captions, in the order of Lamps().
    std::array<ShapeLamp*, LampCount> shpLamp{};
    std::array<QLabel*, LampCount> lblLamp{};
    TransportStrip* fraLog = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdOutput = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* Timer1 = nullptr;
    OverviewStrip* picOverview = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void ConnectHandlers();
    // The layout's size grown to hold every control, the strip and the overview below.
    void FitToControls(int contentWidth, int contentHeight);
    void PlaceButton(QPushButton* button, SectionId section, bool design);
    void LoadComputedItems();
    bool LogOpen() const;
    void ShowTitle();
    void ShowError(const QString& text);
    CsvExport LogCsvExport() const;
    void EndProgram(int status);

    PlayerHost& host_;
    PlayerState state_;
    LogSession session_;
    CommandSet* commands_ = nullptr;
    ViewWindows* views_ = nullptr;
    RepaintThrottle* repaints_ = nullptr;
    std::unique_ptr<ExportRunner> exports_;
    bool playLoopRunning_ = false;
    bool ended_ = false;
    bool rememberLogFolder_ = false;
};

}  // namespace orvane
