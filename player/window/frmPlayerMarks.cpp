// Markers, the in/out range and what covers it: the range export and the statistics.
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "analysis/MarksFile.h"
#include "log/CsvRangeExport.h"
#include "window/OverviewStrip.h"
#include "window/StatisticsWindow.h"
#include "window/frmPlayer.h"

namespace orvane {

std::int64_t frmPlayer::ShownSample() const {
    if (!LogOpen()) return 0;
    const std::int64_t shown = state_.PlayPosition - 1;
    return shown >= 1 && shown <= LastSample() ? shown : 0;
}

void frmPlayer::LoadMarks() {
    markers_.clear();
    range_.reset();
    marksSaved_ = true;
    const std::string path = MarksFile::PathFor(state_.LogFileName);
    const MarksResult read = MarksFile::Read(path, LastSample());
    if (read.Status == MarksStatus::Ok) {
        markers_ = read.Marks.Markers;
        range_ = read.Marks.Range;
    } else if (read.Status == MarksStatus::Invalid) {
        // Marks that do not fit this log are no reason to refuse it.
        std::fprintf(stderr, "OrvanePlayer: %s: markers ignored: %s\n", path.c_str(),
                     read.Reason.c_str());
    }
    picOverview->SetMarks(markers_, range_);
}

void frmPlayer::MarksChanged(bool rangeChanged) {
    picOverview->SetMarks(markers_, range_);
    const std::string path = MarksFile::PathFor(state_.LogFileName);
    const MarksResult written = MarksFile::Write(path, LogMarks{markers_, range_}, LastSample());
    if (written.Status == MarksStatus::Failed) {
        // Kept in memory for as long as the log stays open; said once.
        if (marksSaved_) {
            picOverview->ShowNote(QStringLiteral("Markers are kept for this session only: %1")
                                      .arg(QString::fromStdString(written.Reason)));
        }
        marksSaved_ = false;
    } else {
        marksSaved_ = true;
    }
    if (rangeChanged) emit RangeChanged();
}

void frmPlayer::ToggleMarker(std::int64_t sample) {
    if (ended_ || !LogOpen()) return;
    if (sample < 1 || sample > LastSample()) return;
    const auto at = std::lower_bound(markers_.begin(), markers_.end(), sample);
    if (at != markers_.end() && *at == sample) {
        markers_.erase(at);
        picOverview->ShowNote(QStringLiteral("Marker at sample %1 removed.").arg(sample));
    } else {
        markers_.insert(at, sample);
    }
    MarksChanged(false);
}

void frmPlayer::JumpToMarker(bool forward) {
    if (!LogOpen()) return;
    const std::int64_t shown = ShownSample();
    std::optional<std::int64_t> target;
    if (forward) {
        const auto next = std::upper_bound(markers_.begin(), markers_.end(), shown);
        if (next != markers_.end()) target = *next;
    } else {
        const auto next = std::lower_bound(markers_.begin(), markers_.end(), shown);
        if (next != markers_.begin() && shown > 0) target = *std::prev(next);
    }
    if (!target) {
        picOverview->ShowNote(markers_.empty() ? QStringLiteral("This log has no markers.")
                              : forward        ? QStringLiteral("No marker after this sample.")
                                               : QStringLiteral("No marker before this sample."));
        return;
    }
    SeekToSample(static_cast<std::int32_t>(*target));
}

void frmPlayer::SetInPoint(std::int64_t sample) {
    if (ended_ || !LogOpen()) return;
    if (sample < 1 || sample > LastSample()) return;
    // Without an out point the range runs to the end; an in point after the out point
    // swaps the two.
    const std::int64_t out = range_ ? range_->Last : LastSample();
    range_ = SampleRange{std::min(sample, out), std::max(sample, out)};
    MarksChanged(true);
}

void frmPlayer::SetOutPoint(std::int64_t sample) {
    if (ended_ || !LogOpen()) return;
    if (sample < 1 || sample > LastSample()) return;
    const std::int64_t in = range_ ? range_->First : 1;
    range_ = SampleRange{std::min(sample, in), std::max(sample, in)};
    MarksChanged(true);
}

void frmPlayer::ClearRange() {
    if (ended_ || !LogOpen()) return;
    if (!range_) return;
    range_.reset();
    MarksChanged(true);
}

SampleRange frmPlayer::RangeOrWholeLog() const {
    return range_.value_or(SampleRange::Whole(LastSample()));
}

void frmPlayer::ExportRange() {
    if (!LogOpen() || state_.LogFileName.empty()) return;
    const SampleRange range = RangeOrWholeLog();
    if (range.Empty()) {
        picOverview->ShowNote(QStringLiteral("The log has no sample to export."));
        return;
    }
    const std::string csvPath = RangeCsvPathFor(state_.LogFileName, range);
    const CsvExport exporter = LogCsvExport();
    const CsvExportResult result =
        orvane::ExportRange(exporter, state_.LogFileHandle, range, csvPath);
    if (!result.Ok) {
        ShowCsvWriteError(csvPath, result.Error);
        return;
    }
    picOverview->ShowNote(QStringLiteral("Samples %1 to %2 written to %3")
                              .arg(range.First)
                              .arg(range.Last)
                              .arg(QString::fromStdString(csvPath)));
}

void frmPlayer::ShowStatistics() {
    if (!LogOpen()) return;
    if (!statisticsWindow_) {
        statisticsWindow_ = new StatisticsWindow(this);
        connect(statisticsWindow_, &StatisticsWindow::SeekRequested, this, &frmPlayer::RequestSeek);
        // The table follows the range, and the log, for as long as it is open.
        connect(this, &frmPlayer::RangeChanged, statisticsWindow_, [this] {
            if (statisticsWindow_->isVisible()) UpdateStatistics();
        });
    }
    UpdateStatistics();
    statisticsWindow_->show();
    statisticsWindow_->raise();
    statisticsWindow_->activateWindow();
}

void frmPlayer::UpdateStatistics() {
    if (!LogOpen()) {
        statisticsWindow_->ShowProblem(QStringLiteral("No log is open."));
        return;
    }
    // The thresholds of the value boxes that show each of the log's slots.
    std::array<SlotThresholds, SlotCount> thresholds{};
    for (const AlarmBox& box : AlarmBoxes()) {
        SlotThresholds& slot = thresholds[static_cast<std::size_t>(box.Slot - 1)];
        if (slot.Threshold1 <= 0 && slot.Threshold2 <= 0) slot = {box.Threshold1, box.Threshold2};
    }
    std::string error;
    auto statistics =
        LogStatistics::Compute(state_.LogFileHandle, RangeOrWholeLog(), thresholds, {}, error);
    if (!statistics) {
        statisticsWindow_->ShowProblem(QString::fromStdString(error));
        return;
    }
    statisticsWindow_->ShowStatistics(
        std::move(*statistics), QFileInfo(QString::fromStdString(state_.LogFileName)).fileName());
}

}  // namespace orvane
