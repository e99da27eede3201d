// Presentation: one sample on the window, and the blank window between logs.
#include <meter/ColourTranslation.h>
#include <meter/Meter.h>

#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <charconv>

#include "common/RuntimeError.h"
#include "graph/usrGraph.h"
#include "log/DateTime.h"
#include "log/LogFormat.h"
#include "log/modOrvane.h"
#include "playback/PlaybackRules.h"
#include "window/LogSlider.h"
#include "window/ShapeLamp.h"
#include "window/TextBox.h"
#include "window/frmPlayer.h"

namespace orvane {

namespace {

// Re-styling a box costs far more than comparing: only changes are applied.
void SetTextColour(TextBox* box, meter::Colour colour) {
    const QColor wanted = meter::ToQColor(colour, box->palette());
    if (box->palette().color(QPalette::Text) == wanted) return;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, wanted);
    box->setPalette(palette);
}

}  // namespace

void frmPlayer::ShowSample(const LogRecord& record, std::int32_t number) {
    sldLog->ShowValue(number);
    session_.SetShownSample(number, record);
    txtSeq->setText(QString::number(number));
    const DateTime t = SampleTime(state_.LogStartDate, record.Millis);
    char text[DateTime::FormattedLength];
    t.FormatDate(text);
    txtDate->setText(QString::fromLatin1(text, DateTime::FormattedLength));
    t.FormatTime(text);
    txtTime->setText(QString::fromLatin1(text, DateTime::FormattedLength));
    txtMs->setText(QString::number(MillisPart(record.Millis)));

    // The lamps follow the switch bytes wherever the log records them.
    const bool lampsShown = !picSwitch->isHidden();
    if (lampsShown) {
        for (int k = 1; k <= SlotCount; ++k) {
            const std::int16_t c = state_.SlotItem[k];
            if (c != SwitchStatusCode && c != SwitchStatus2Code) continue;
            const std::uint8_t b = record.SlotBytes[k - 1];
            for (int i = 0; i < LampCount; ++i) {
                const SwitchKind kind = Lamps()[i].Switch;
                if (SwitchItemCode(kind) == c) shpLamp[i]->SetOn(SwitchIsOn(kind, b));
            }
        }
    }
    const std::vector<DisplaySlotBinding>& bindings = session_.Bindings();
    for (int s = 1; s <= DisplaySlotCount; ++s) {
        const int k = bindings[s - 1].Source;
        if (k == 0) continue;
        const std::int16_t c = state_.SlotItem[k];
        if (lampsShown && (c == SwitchStatusCode || c == SwitchStatus2Code)) continue;
        // Codes above 255 have no formula a byte can select: such a slot shows nothing.
        if (c <= 0 || !IsByteCode(c)) continue;
        const double v = ConvertValue(static_cast<std::uint8_t>(c), record.SlotBytes[k - 1]);
        TextBox* box = txtResult[s];
        if (!box->isHidden()) {
            char value[FormatValueMaxLength];
            const std::size_t length = FormatValueTo(value, v);
            const auto unit = SensorUnit(c);
            box->setText(QString::fromLatin1(value, static_cast<int>(length)) +
                         QString::fromLatin1(QByteArrayView(unit)));
            const ValueColours colours{state_.SlotTextColor[s], state_.SlotAlarmColor1[s],
                                       state_.SlotAlarmColor2[s], state_.SlotThreshold1[s],
                                       state_.SlotThreshold2[s]};
            SetTextColour(box, ValueTextColour(colours, v));
        }
        Meter* gauge = mtrSensor[s];
        if (!gauge->isHidden() && gauge->MinValue() <= v && v <= gauge->MaxValue()) {
            gauge->SetValue(v);
        }
        orvane::usrGraph* graph = usrGraph[s];
        if (!graph->isHidden() && graph->MinValue().value_or(0) <= v &&
            v <= graph->MaxValue().value_or(0)) {
            try {
                graph->AddPoint(v);
            } catch (const RuntimeError&) {
                // A graph whose scale cannot plot (its ends equal) skips the point;
                // the rest of the sample is still shown.
            }
        }
    }
}

void frmPlayer::ResetDisplay() {
    // The panel's visibility plays no part here.
    for (int k = 1; k <= SlotCount; ++k) {
        const std::int16_t c = state_.SlotItem[k];
        if (c != SwitchStatusCode && c != SwitchStatus2Code) continue;
        for (int i = 0; i < LampCount; ++i) {
            if (SwitchItemCode(Lamps()[i].Switch) == c) shpLamp[i]->SetOn(false);
        }
    }
    // Bound by item, a display slot that stands for no item shows nothing, so that no
    // name or value of an earlier log stays on it. Bound by position, such a slot keeps
    // what it shows.
    const DisplayLayout& layout = session_.Layout();
    const bool byItem = BindsByItem(layout.Binding, layout.NamesItems);
    for (int s = 1; s <= DisplaySlotCount; ++s) {
        const std::int16_t c = session_.Bindings()[s - 1].Item;
        if (c == SwitchStatusCode || c == SwitchStatus2Code) continue;
        if (c < 0 && !byItem) continue;
        const auto name = c > 0 ? SensorName(c) : std::string_view();
        lvlResult[s]->setText(QString::fromLatin1(QByteArrayView(name)));
        txtResult[s]->setText(QString());
        mtrSensor[s]->SetValue(mtrSensor[s]->MinValue());
        usrGraph[s]->Clear();
    }
    txtSeq->setText(QString());
    txtDate->setText(QString());
    txtTime->setText(QString());
    txtMs->setText(QString());
    sldLog->ShowValue(sldLog->minimum());
    session_.SetShownSample(0, LogRecord{});
}

}  // namespace orvane
