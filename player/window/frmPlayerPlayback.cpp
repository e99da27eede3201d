// Playback: loading a log, the transport commands, the play loop and its timed wait.
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QTimer>
#include <filesystem>

#include "common/CleanPath.h"
#include "graph/usrGraph.h"
#include "log/CsvExport.h"
#include "log/CsvRangeExport.h"
#include "log/LogFormat.h"
#include "log/LogLoader.h"
#include "log/RecordScan.h"
#include "playback/PlaybackRules.h"
#include "playback/SlotBinding.h"
#include "views/common/PlayerHost.h"
#include "window/ExportRunner.h"
#include "window/LogSlider.h"
#include "window/RepaintThrottle.h"
#include "window/frmPlayer.h"

namespace orvane {
void frmPlayer::OpenLog(const std::string& fileName) {
    // Stop everything that uses the previous log; the views hear of it however this ends.
    SetTimer1Enabled(false);
    session_.Close();
    state_.LogLoaded = false;
    cmdPlay->setEnabled(false);
    cmdOutput->setEnabled(false);
    sldLog->setEnabled(false);

    // Measure, open, read and check the header, as the log reader's rules say; a file
    // that vanished before it could be measured is one that cannot be opened.
    const LogLoadResult log = LoadLogFile(fileName, state_.LogFileHandle);
    state_.RecordCount = log.RecordCount;
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
    // The outline the views work from: the header read here, and the records the file
    // holds whole (at most RecordCount, whose rounding may count a partial one).
    LogOutline outline;
    outline.Codes = log.Header.SlotItemCodes;
    outline.Start = log.Start;
    outline.Records = std::clamp<std::int64_t>(CompleteRecords(log.Length), 0, state_.RecordCount);
    session_.Open(fileName, state_.LogFileHandle, outline, log.Length);
    state_.PlayPosition = 1;
    ResetDisplay();
    state_.LogLoaded = true;
    ShowTitle();
    cmdPlay->setEnabled(true);
    cmdOutput->setEnabled(true);
    sldLog->setEnabled(true);
}

void frmPlayer::CloseLog() {
    state_.LogFileHandle.Close();
    session_.Close();
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
        repaints_->RepaintIfDue();
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

void frmPlayer::SeekToSample(std::int32_t sample) {
    SetTimer1Enabled(false);
    SeekRecord(sample);
    ResetDisplay();
    ShowNextSample(true);
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
        repaints_->RepaintIfDue();
    }
    playLoopRunning_ = false;
    // The screen shows the sample playback stopped on, whatever the last frame held back.
    if (!ended_) repaints_->RepaintNow();
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
    // No playback step reads the log meanwhile: the play loop either waits in the pump
    // the export runs from, or starts only after it.
    const auto result = exports_->Run(csvPath, totalLines, [&](const CsvExportControl& control) {
        return exporter.AppendTo(log, csvPath, control);
    });
    // The window was closed during the export: it unloads now that it is taken back.
    if (!result) return Form_Unload();
    const QString path = QString::fromStdString(ShownPath(csvPath));
    if (result->Cancelled) {
        session_.Note(QStringLiteral("Output cancelled: %1 is as it was").arg(path));
    } else if (result->Ok) {
        session_.Note(
            QStringLiteral("%1 samples written to %2").arg(result->RecordLines).arg(path));
    }
}

void frmPlayer::ExportRange() {
    if (!LogOpen() || !session_.Reader()) return;
    const SampleRange range = session_.RangeOrWholeLog();
    if (range.Empty()) {
        session_.Note(QStringLiteral("The log has no sample to export."));
        return;
    }
    const std::string csvPath = RangeCsvPathFor(session_.FileName(), range);
    const CsvExport exporter = LogCsvExport();
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    const auto result = exports_->Run(csvPath, range.Count(), [&](const CsvExportControl& control) {
        return orvane::ExportRange(exporter, *reader, range, csvPath, control);
    });
    if (!result) return Form_Unload();
    if (result->Cancelled) {
        session_.Note(QStringLiteral("Range export cancelled: %1 is as it was")
                          .arg(QString::fromStdString(ShownPath(csvPath))));
        return;
    }
    if (!result->Ok) return;
    session_.Note(QStringLiteral("Samples %1 to %2 written to %3")
                      .arg(range.First)
                      .arg(range.Last)
                      .arg(QString::fromStdString(ShownPath(csvPath))));
}

CsvExport frmPlayer::LogCsvExport() const {
    return CsvExport(state_.LogStartDate,
                     std::span<const std::int16_t, SlotCount>(&state_.SlotItem[1], SlotCount));
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
