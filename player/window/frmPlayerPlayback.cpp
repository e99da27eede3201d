// Playback: loading a log, the transport commands, the play loop and its timed wait.
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QTimer>
#include <filesystem>

#include "common/DeferredSignals.h"
#include "graph/usrGraph.h"
#include "log/CsvExport.h"
#include "log/LogFormat.h"
#include "log/LogLoader.h"
#include "playback/PlaybackRules.h"
#include "playback/SlotBinding.h"
#include "window/ExportProgress.h"
#include "window/LogSlider.h"
#include "window/OverviewBuilder.h"
#include "window/OverviewStrip.h"
#include "window/PlayerHost.h"
#include "window/frmPlayer.h"

namespace orvane {
namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void frmPlayer::OpenLog(const std::string& fileName) {
    // Stop everything that uses the previous log.
    SetTimer1Enabled(false);
    overviewBuilder->Cancel();
    summary_.reset();
    picOverview->ClearSummary();
    // Windows that follow the log and its range hear of the new one however this ends.
    range_.reset();
    const auto announce = qScopeGuard([this] { emit RangeChanged(); });
    state_.LogLoaded = false;
    cmdPlay->setEnabled(false);
    cmdOutput->setEnabled(false);
    sldLog->setEnabled(false);

    // Measure, open, read and check the header, as the log reader's rules say; a file
    // that vanished before it could be measured is one that cannot be opened.
    const LogLoadResult log = LoadLogFile(fileName, state_.LogFileHandle);
    state_.RecordCount = log.RecordCount;
    logLength_ = log.Length;
    {
        // A log without a whole record leaves the slider at its minimum of 1.
        const QSignalBlocker blocker(sldLog);
        sldLog->setRange(1, std::max(1, state_.RecordCount));
    }
    switch (log.Status) {
        case LogLoadStatus::CannotOpen:
            ShowError(QString::fromUtf8(CannotOpenLogMessage.data(), CannotOpenLogMessage.size()));
            return;
        case LogLoadStatus::NoHeader:  // shorter than a header: silently no log
            return;
        case LogLoadStatus::InvalidStartDate:
            ShowError(QString::fromUtf8(InvalidLogMessage.data(), InvalidLogMessage.size()));
            return;
        case LogLoadStatus::Ok:
            break;
    }
    state_.LogStartDate = log.Start;
    for (int k = 1; k <= SlotCount; ++k) state_.SlotItem[k] = log.Header.SlotItemCodes[k - 1];
    BindDisplaySlots();
    state_.PlayPosition = 1;
    ResetDisplay();
    state_.LogLoaded = true;
    ShowTitle();
    cmdPlay->setEnabled(true);
    cmdOutput->setEnabled(true);
    sldLog->setEnabled(true);
    LoadMarks();
    StartOverview();
}

void frmPlayer::BindDisplaySlots() {
    SlotBindingInput input;
    input.LayoutItems = std::span<const std::int16_t>(&state_.LayoutSlotItem[1], DisplaySlotCount);
    input.LayoutNamesItems = state_.LayoutNamesItems;
    input.Mode = state_.SlotBinding;
    input.LogItems = std::span<const std::int16_t>(&state_.SlotItem[1], SlotCount);
    input.LampsShown = !picSwitch->isHidden();
    const std::vector<DisplaySlotBinding> binding = orvane::BindDisplaySlots(input);
    for (int s = 1; s <= DisplaySlotCount; ++s) {
        state_.DisplaySource[s] = binding[s - 1].Source;
        state_.DisplayItem[s] = binding[s - 1].Item;
    }
}

void frmPlayer::CloseLog() {
    state_.LogFileHandle.Close();
    ShowTitle();
}

void frmPlayer::ShowTitle() {
    const QString caption = QString::fromLatin1(Title);
    if (!LogOpen()) {
        setWindowTitle(caption);
        return;
    }
    const QString name = QFileInfo(QString::fromStdString(state_.LogFileName)).fileName();
    setWindowTitle(name + QStringLiteral(" \u2014 ") + caption);
}

void frmPlayer::SeekRecord(std::int32_t position) {
    if (!LogOpen()) return;
    if (position >= 1 && position <= state_.RecordCount) state_.LogFileHandle.SeekRecord(position);
    state_.PlayPosition = position;
}

bool frmPlayer::ShowNextSample(bool skipWait) {
    LogFile& log = state_.LogFileHandle;
    if (!LogOpen()) {
        SetTimer1Enabled(false);
        return false;
    }
    const auto record = log.ReadRecord();
    if (!record) {
        // The end of the log: the display keeps the last sample.
        SetTimer1Enabled(false);
        return false;
    }
    // A record is taken only when it is shown.
    log.SetPosition(log.Position() - RecordSize);
    const std::int32_t n = state_.PlayPosition;
    const std::int32_t millis = record->Millis;

    const int slices = skipWait ? 0 : WaitSlices(state_.PreviousMillis, millis);
    for (int i = 0; i < slices; ++i) {
        // The speed is read anew for every slice: a change takes effect at once.
        const int sleep = SliceSleepMilliseconds(state_.SpeedFactor);
        if (sleep > 0) host_.Sleep(sleep);
        host_.DoEvents();
        RepaintIfDue();
        // A command that ran in the pump stopped playback or moved the position.
        if (ended_ || !Timer1Enabled() || state_.PlayPosition != n) return false;
    }

    state_.PreviousMillis = millis;
    ShowSample(*record, n);
    if (log.IsOpen()) log.SeekRecord(static_cast<std::int64_t>(n) + 1);
    state_.PlayPosition = n + 1;
    // A sample played without a wait (gaps under 26 ms, of a second or more, or going
    // back) still lets the events run once, without sleeping, before the next one: the
    // window repaints and every command works, whatever the log's pace.
    if (!skipWait && slices == 0) host_.DoEvents();
    return true;
}

void frmPlayer::StepBack() {
    if (state_.PlayPosition < 3) return;
    SeekRecord(state_.PlayPosition - 2);
    ShowNextSample(true);
    // Scroll away the point just added and the one of the sample that was on display.
    for (int i = 1; i <= DisplaySlotCount; ++i) {
        usrGraph[i]->BackMove();
        usrGraph[i]->BackMove();
    }
}

void frmPlayer::cmdPlay_Click() {
    SetTimer1Enabled(false);
    SeekRecord(1);
    ResetDisplay();
    SetTimer1Enabled(true);
}

void frmPlayer::cmdPlay2_Click() {
    SetTimer1Enabled(true);
}

void frmPlayer::cmdPause_Click() {
    SetTimer1Enabled(false);
}

void frmPlayer::cmdStop_Click() {
    SetTimer1Enabled(false);
    SeekRecord(1);
    ResetDisplay();
}

void frmPlayer::cmdBack_Click() {
    SetTimer1Enabled(false);
    StepBack();
}

void frmPlayer::cmdNext_Click() {
    SetTimer1Enabled(false);
    ShowNextSample(true);
}

void frmPlayer::cboSpeed_Click() {
    const int index = cboSpeed->currentIndex();
    if (index < 0) return;
    state_.SpeedFactor = static_cast<std::int16_t>(cboSpeed->itemData(index).toInt());
}

void frmPlayer::sldLog_Click() {
    SeekToSample(sldLog->value());
}

void frmPlayer::Timer1_Timer() {
    // One play loop at a time: ticks that fall due while the loop pumps events return.
    if (playLoopRunning_) return;
    playLoopRunning_ = true;
    while (Timer1Enabled() && !ended_) {
        ShowNextSample(false);
        RepaintIfDue();
    }
    playLoopRunning_ = false;
    // The screen shows the sample playback stopped on, whatever the last frame held back.
    if (!ended_) RepaintNow();
}

void frmPlayer::cmdOutput_Click() {
    // The CSV file goes beside the log: without a log name (a cancelled open dialog
    // closed the log) there is nowhere to write it.
    if (!state_.LogLoaded || state_.LogFileName.empty()) return;
    const std::string csvPath = CsvExport::CsvPathFor(state_.LogFileName);
    const CsvExport exporter = LogCsvExport();
    // The lines still to write: from the shared read position to the end of the log.
    LogFile& log = state_.LogFileHandle;
    const std::int64_t totalLines =
        log.IsOpen() ? std::max<std::int64_t>(
                           0, state_.RecordCount - (log.Position() - HeaderSize) / RecordSize)
                     : 0;

    CsvExportResult result;
    {
        // An ending signal stops the export, which takes back what it appended, and
        // then ends the program.
        DeferredSignals endingSignals;
        const BusyCursor busy;
        ExportProgress progress(host_, this,
                                QString::fromStdString(std::filesystem::path(csvPath).filename()),
                                totalLines, exportProgressDelay_);
        const auto goOn = [&] {
            return endingSignals.Pending() == 0 && !quitAfterExport_ && !ended_;
        };
        CsvExportControl control;
        control.Progress = [&](std::int64_t lines) { return goOn() && progress.Progress(lines); };
        control.Waiting = [&](std::chrono::milliseconds waited) {
            return goOn() && progress.Waiting(waited);
        };
        // No playback step reads the log meanwhile: the play loop either waits in the
        // pump this runs from, or starts only after the export.
        exporting_ = true;
        result = exporter.AppendTo(log, csvPath, control);
        exporting_ = false;
        if (endingSignals.Pending() != 0) DeferredSignals::EndBySignal(endingSignals.Pending());
    }
    if (quitAfterExport_) {
        quitAfterExport_ = false;
        Form_Unload();
        return;
    }
    if (result.Cancelled) {
        picOverview->ShowNote(QStringLiteral("Output cancelled: %1 is as it was")
                                  .arg(QString::fromStdString(csvPath)));
        return;
    }
    if (!result.Ok) {
        ShowCsvWriteError(csvPath, result.Error);
        return;
    }
    picOverview->ShowNote(QStringLiteral("%1 samples written to %2")
                              .arg(result.RecordLines)
                              .arg(QString::fromStdString(csvPath)));
}

CsvExport frmPlayer::LogCsvExport() const {
    return CsvExport(state_.LogStartDate,
                     std::span<const std::int16_t, SlotCount>(&state_.SlotItem[1], SlotCount));
}

void frmPlayer::ShowCsvWriteError(const std::string& csvPath, const std::string& error) {
    ShowError(QStringLiteral("CSV ファイルに書き込めませんでした。\n%1\n%2")
                  .arg(QString::fromStdString(csvPath), QString::fromStdString(error)));
}

void frmPlayer::FillSpeedList() {
    cboSpeed->clear();
    for (const SpeedChoice& speed : SpeedChoices()) {
        cboSpeed->addItem(
            QString::fromLatin1(speed.Text.data(), static_cast<int>(speed.Text.size())),
            speed.Factor);
    }
    cboSpeed->setCurrentIndex(0);
    state_.SpeedFactor = SpeedChoices().front().Factor;
}

}  // namespace orvane
