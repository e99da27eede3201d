// The overview strip, seeking to a sample, and the jumps to alarms and to the end.
#include <meter/ColourTranslation.h>
#include <meter/Meter.h>

#include <QFrame>

#include "analysis/AlarmStarts.h"
#include "graph/usrGraph.h"
#include "log/LogFormat.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"
#include "window/OverviewBuilder.h"
#include "window/OverviewStrip.h"
#include "window/TextBox.h"
#include "window/frmPlayer.h"

namespace orvane {
namespace {

const QColor kTraceColours[2] = {QColor(0, 210, 90), QColor(90, 170, 255)};

}  // namespace

void frmPlayer::CreateOverview() {
    picOverview = new OverviewStrip(this);
    overviewBuilder = new OverviewBuilder(this);
    connect(overviewBuilder, &OverviewBuilder::Ready, this,
            [this](std::shared_ptr<const OverviewSummary> summary) { OverviewReady(summary); });
    connect(picOverview, &OverviewStrip::Seek, this, &frmPlayer::RequestSeek);
    connect(picOverview, &OverviewStrip::MarkerRequested, this, &frmPlayer::ToggleMarker);
    connect(picOverview, &OverviewStrip::InRequested, this, &frmPlayer::SetInPoint);
    connect(picOverview, &OverviewStrip::OutRequested, this, &frmPlayer::SetOutPoint);
    connect(picOverview, &OverviewStrip::ClearRangeRequested, this, &frmPlayer::ClearRange);
    connect(picOverview, &OverviewStrip::ExportRangeRequested, this, &frmPlayer::ExportRange);
    connect(picOverview, &OverviewStrip::StatisticsRequested, this, &frmPlayer::ShowStatistics);
    connect(picOverview, &OverviewStrip::MapRequested, this, &frmPlayer::OpenMapWindow);
    LayoutOverview(LayoutSource::Design);
}

void frmPlayer::LayoutOverview(LayoutSource source) {
    overviewSettings_ = ReadOverviewSettings(source);
    picOverview->setVisible(overviewSettings_.Visible && overviewSettings_.Height > 0);
    picOverview->resize(picOverview->width(), overviewSettings_.Height);
}

std::vector<AlarmBox> frmPlayer::AlarmBoxes(std::vector<int>* displaySlots) const {
    // The shown value boxes bound to a value of the log, with their thresholds: the boxes
    // whose colour can change.
    std::vector<AlarmBox> boxes;
    const bool lampsShown = !picSwitch->isHidden();
    for (int s = 1; s <= DisplaySlotCount; ++s) {
        const int k = state_.DisplaySource[s];
        if (k == 0 || txtResult[s]->isHidden()) continue;
        const std::int16_t code = state_.SlotItem[k];
        if (code <= 0 || !IsByteCode(code)) continue;
        if (lampsShown && (code == SwitchStatusCode || code == SwitchStatus2Code)) continue;
        if (state_.SlotThreshold1[s] <= 0 && state_.SlotThreshold2[s] <= 0) continue;
        boxes.push_back({k, code, state_.SlotThreshold1[s], state_.SlotThreshold2[s]});
        if (displaySlots) displaySlots->push_back(s);
    }
    return boxes;
}

void frmPlayer::StartOverview() {
    // OpenLog has already cleared the strip and the summary of the previous log.
    OverviewRequest request;
    for (std::size_t t = 0; t < request.TracedSlots.size(); ++t) {
        const std::int16_t item = overviewSettings_.Items[t];
        for (int k = 1; k <= SlotCount && item >= 0; ++k) {
            if (state_.SlotItem[k] == item) {
                request.TracedSlots[t] = k;
                break;
            }
        }
    }
    request.Boxes = AlarmBoxes();
    // When the file cannot be opened a second time nothing is under way, and the strip
    // stays empty for this log.
    overviewBuilder->Start(state_.LogFileHandle, std::move(request));
}

void frmPlayer::OverviewReady(std::shared_ptr<const OverviewSummary> summary) {
    summary_ = std::move(summary);
    if (ended_ || !summary_) return;
    const OverviewRequest& request = summary_->Request();

    // Each trace on the scale the layout gives its item: the range of a graph or gauge
    // that shows it, else the item's whole range.
    std::array<OverviewStrip::Trace, 2> traces;
    for (std::size_t t = 0; t < traces.size(); ++t) {
        const int k = request.TracedSlots[t];
        if (k < 1 || k > SlotCount) continue;
        const std::int16_t code = state_.SlotItem[k];
        OverviewStrip::Trace& trace = traces[t];
        trace.Code = code;
        trace.Colour = kTraceColours[t];
        trace.ScaleMin = IsByteCode(code) ? ConvertValue(static_cast<std::uint8_t>(code), 0) : 0;
        trace.ScaleMax = IsByteCode(code) ? ConvertValue(static_cast<std::uint8_t>(code), 255) : 1;
        for (int s = 1; s <= DisplaySlotCount; ++s) {
            if (state_.DisplaySource[s] != k) continue;
            if (!usrGraph[s]->isHidden() && usrGraph[s]->MinValue() && usrGraph[s]->MaxValue()) {
                trace.ScaleMin = *usrGraph[s]->MinValue();
                trace.ScaleMax = *usrGraph[s]->MaxValue();
                break;
            }
            if (!mtrSensor[s]->isHidden()) {
                trace.ScaleMin = mtrSensor[s]->MinValue();
                trace.ScaleMax = mtrSensor[s]->MaxValue();
                break;
            }
        }
    }
    std::vector<int> displaySlots;
    AlarmBoxes(&displaySlots);
    std::vector<OverviewStrip::BoxColours> colours;
    const QPalette palette = this->palette();
    for (int s : displaySlots) {
        colours.push_back({meter::ToQColor(state_.SlotAlarmColor1[s], palette),
                           meter::ToQColor(state_.SlotAlarmColor2[s], palette)});
    }
    picOverview->SetSummary(summary_, traces, std::move(colours), state_.LogStartDate);
    if (state_.PlayPosition > 1) {
        picOverview->SetPlayhead(state_.PlayPosition - 1, state_.PreviousMillis);
    }
}

std::int32_t frmPlayer::LastSample() const {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(CompleteRecords(logLength_), 0, state_.RecordCount));
}

void frmPlayer::SeekToSample(std::int32_t sample) {
    SetTimer1Enabled(false);
    SeekRecord(sample);
    ResetDisplay();
    ShowNextSample(true);
}

void frmPlayer::RequestSeek(std::int64_t sample) {
    // Not while an export reads the log: it pumps events, and a seek would move the
    // read position it writes from.
    if (ended_ || exporting_ || !LogOpen()) return;
    if (sample >= 1 && sample <= LastSample()) SeekToSample(static_cast<std::int32_t>(sample));
}

void frmPlayer::ShowLastSample() {
    if (!LogOpen()) return;
    const std::int32_t last = LastSample();
    if (last >= 1) SeekToSample(last);
}

void frmPlayer::JumpToAlarm(bool forward) {
    if (!LogOpen()) return;
    const std::int64_t shown = state_.PlayPosition - 1;  // 0 when no sample is shown
    const AlarmStarts starts(AlarmBoxes());
    // The summary speeds the search up only when it was made for these very boxes.
    const std::optional<std::int64_t> found =
        forward ? starts.Next(state_.LogFileHandle, shown, summary_.get())
                : starts.Previous(state_.LogFileHandle, shown, summary_.get());
    if (!found) {
        QString note;
        if (shown < 1) {
            note = QStringLiteral("No alarm in this log.");
        } else {
            note = (forward ? QStringLiteral("No alarm after sample %1.")
                            : QStringLiteral("No alarm before sample %1."))
                       .arg(shown);
        }
        picOverview->ShowNote(note);
        return;
    }
    SeekToSample(static_cast<std::int32_t>(*found));
}

}  // namespace orvane
