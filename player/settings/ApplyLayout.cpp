#include "settings/ApplyLayout.h"

#include <meter/ColourTranslation.h>
#include <meter/Meter.h>

#include <QLabel>
#include <QWidget>

#include "common/RuntimeError.h"
#include "graph/usrGraph.h"
#include "log/modOrvane.h"
#include "settings/SectionReader.h"
#include "settings/ValueConversion.h"

namespace orvane {
namespace {

// Font sizes the form engine accepts, in points.
constexpr double kLargestFontSize = 2160;

QString Text(const SettingValue& value) {
    return QString::fromStdString(value.text);
}

// A position or size in whole pixels; beyond the 32-bit range is an overflow.
int Pixels(const SettingValue& value) {
    return ToInt32(value.Single());
}

// A width or height: negative ones are refused like any invalid property value.
int Extent(const SettingValue& value) {
    const int pixels = Pixels(value);
    if (pixels < 0) throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    return std::min(pixels, QWIDGETSIZE_MAX);
}

// Applies one geometry key; false when the key is not one of Left, Top, Width, Height.
bool ApplyGeometry(QWidget* widget, Key key, const SettingValue& value) {
    QRect r = widget->geometry();
    switch (key) {
        case Key::Left:
            r.moveLeft(Pixels(value));
            break;
        case Key::Top:
            r.moveTop(Pixels(value));
            break;
        case Key::Width:
            r.setWidth(Extent(value));
            break;
        case Key::Height:
            r.setHeight(Extent(value));
            break;
        default:
            return false;
    }
    widget->setGeometry(r);
    return true;
}

double FontSize(double points) {
    if (!(points > 0 && points <= kLargestFontSize)) {
        throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    }
    return points;
}

// Applies one font key to a widget's font; false when the key is not a font key.
bool ApplyFont(QWidget* widget, Key key, const SettingValue& value) {
    QFont font = widget->font();
    switch (key) {
        case Key::FontName:
            font.setFamily(Text(value));
            break;
        case Key::FontSize:
            font.setPointSizeF(FontSize(value.number));
            break;
        case Key::FontBold:
            font.setBold(value.flag);
            break;
        case Key::FontItalic:
            font.setItalic(value.flag);
            break;
        case Key::FontStrikethru:
            font.setStrikeOut(value.flag);
            break;
        case Key::FontUnderline:
            font.setUnderline(value.flag);
            break;
        default:
            return false;
    }
    widget->setFont(font);
    return true;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, meter::Colour colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, meter::ToQColor(colour, palette));
    widget->setPalette(palette);
    if (role == QPalette::Window || role == QPalette::Base) widget->setAutoFillBackground(true);
}

// Copies a gauge font, changes one attribute and sets it back.
template <typename Change>
void ChangeFont(Meter* gauge, bool caption, Change&& change) {
    QFont font = caption ? gauge->CaptionFont() : gauge->NumberFont();
    change(font);
    if (caption) {
        gauge->SetCaptionFont(font);
    } else {
        gauge->SetNumberFont(font);
    }
}

void LayoutNameLabel(const LayoutWindow& w, int n) {
    QLabel* label = w.lvlResult[n];
    const SectionReader s(SectionId::SensorName, n);
    for (const KeyDef& key : s.Keys()) {
        const SettingValue v = s.Read(key);
        if (key.key == Key::Visible) {
            if (!v.flag) {
                label->hide();
                return;
            }
            label->show();
            const std::int16_t code = (*w.SlotItem)[n];
            const auto name = code >= 0 ? SensorName(code) : std::string_view();
            label->setText(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
        } else if (key.key == Key::ForeColor) {
            SetColour(label, QPalette::WindowText, v.Colour());
        } else if (key.key == Key::BackColor) {
            SetColour(label, QPalette::Window, v.Colour());
        } else if (!ApplyGeometry(label, key.key, v)) {
            ApplyFont(label, key.key, v);
        }
    }
}

void LayoutValueBox(const LayoutWindow& w, int n) {
    QWidget* box = w.txtResult[n];
    const SectionReader s(SectionId::SensorData, n);
    bool shown = true;
    for (const KeyDef& key : s.Keys()) {
        if (!shown && !key.readWhenHidden) continue;
        switch (key.key) {
            case Key::Visible:
                shown = s.Read(key).flag;
                box->setVisible(shown);
                break;
            case Key::ForeColor: {
                const meter::Colour colour = s.Read(key).Colour();
                SetColour(box, QPalette::Text, colour);
                (*w.SlotTextColor)[n] = colour;  // the box's text colour, read back
                break;
            }
            case Key::BackColor:
                SetColour(box, QPalette::Base, s.Read(key).Colour());
                break;
            case Key::Threshold1:
                (*w.SlotThreshold1)[n] = s.Read(key).number;
                break;
            case Key::Threshold2:
                (*w.SlotThreshold2)[n] = s.Read(key).number;
                // Ordered so that the first threshold is the smaller one.
                if ((*w.SlotThreshold1)[n] > (*w.SlotThreshold2)[n]) {
                    (*w.SlotThreshold1)[n] = (*w.SlotThreshold2)[n];
                    (*w.SlotThreshold2)[n] = s.Read(Key::Threshold1).number;
                }
                break;
            case Key::AlarmColor1:
                (*w.SlotAlarmColor1)[n] = s.Read(key.key, (*w.SlotTextColor)[n].ToInt32()).Colour();
                break;
            case Key::AlarmColor2:
                (*w.SlotAlarmColor2)[n] = s.Read(key.key, (*w.SlotTextColor)[n].ToInt32()).Colour();
                break;
            default: {
                const SettingValue v = s.Read(key);
                if (!ApplyGeometry(box, key.key, v)) ApplyFont(box, key.key, v);
            }
        }
    }
}

// Sets the coloured zones from the two thresholds: green up to the lower, yellow up to
// the higher, red up to the end of the scale. A boundary outside the scale is skipped.
void SetZones(Meter* gauge, double t1, double t2) {
    if (!(t1 > 0 || t2 > 0)) return;
    const double low = std::min(t1, t2);
    const double high = std::max(t1, t2);
    if (gauge->MinValue() <= low && low <= gauge->MaxValue()) gauge->SetMaxGreenZone(low);
    if (gauge->MinValue() <= high && high <= gauge->MaxValue()) gauge->SetMaxYellowZone(high);
    gauge->SetMaxRedZone(gauge->MaxValue());
}

void LayoutGauge(const LayoutWindow& w, int n) {
    Meter* gauge = w.mtrSensor[n];
    const SectionReader s(SectionId::SensorMeter, n, (*w.SlotItem)[n]);
    double threshold1 = 0;
    for (const KeyDef& key : s.Keys()) {
        const SettingValue v = s.Read(key);
        switch (key.key) {
            case Key::Visible:
                if (!v.flag) {
                    gauge->hide();
                    return;
                }
                gauge->show();
                break;
            case Key::BackColor:
                gauge->SetBackColor(v.Colour());
                break;
            case Key::ScaleColor:
                gauge->SetScaleColor(v.Colour());
                break;
            case Key::NeedleColor:
                gauge->SetNeedleColor(v.Colour());
                break;
            case Key::CaptionColor:
                gauge->SetCaptionColor(v.Colour());
                break;
            case Key::NumberColor:
                gauge->SetNumberColor(v.Colour());
                break;
            case Key::Caption:
                gauge->SetCaption(Text(v));
                break;
            case Key::CaptionFontName:
            case Key::NumberFontName:
                ChangeFont(gauge, key.key == Key::CaptionFontName,
                           [&](QFont& f) { f.setFamily(Text(v)); });
                break;
            case Key::CaptionFontSize:
            case Key::NumberFontSize:
                ChangeFont(gauge, key.key == Key::CaptionFontSize,
                           [&](QFont& f) { f.setPointSizeF(FontSize(v.number)); });
                break;
            case Key::CaptionFontBold:
            case Key::NumberFontBold:
                ChangeFont(gauge, key.key == Key::CaptionFontBold,
                           [&](QFont& f) { f.setBold(v.flag); });
                break;
            case Key::CaptionFontItalic:
            case Key::NumberFontItalic:
                ChangeFont(gauge, key.key == Key::CaptionFontItalic,
                           [&](QFont& f) { f.setItalic(v.flag); });
                break;
            case Key::Min:
                gauge->SetMinValue(v.number);
                break;
            case Key::Max:
                gauge->SetMaxValue(v.number);
                break;
            case Key::Threshold1:
                threshold1 = v.number;
                break;
            case Key::Threshold2:
                SetZones(gauge, threshold1, v.number);
                break;
            case Key::ThickNeedle:
                gauge->SetThickNeedle(v.flag);
                break;
            default:
                ApplyGeometry(gauge, key.key, v);
        }
    }
}

void LayoutGraph(const LayoutWindow& w, int n) {
    orvane::usrGraph* graph = w.usrGraph[n];
    const SectionReader s(SectionId::SensorGraph, n, (*w.SlotItem)[n]);
    for (const KeyDef& key : s.Keys()) {
        const SettingValue v = s.Read(key);
        switch (key.key) {
            case Key::Visible:
                if (!v.flag) {
                    graph->hide();
                    return;
                }
                graph->show();
                break;
            case Key::BackColor:
                graph->SetBackColor(v.Colour());
                break;
            case Key::ForeColor:
                graph->SetForeColor(v.Colour());
                break;
            case Key::Min:
                graph->SetMinValue(v.number);
                break;
            case Key::Max:
                graph->SetMaxValue(v.number);
                // A reversed range is swapped: for falling formulas (temperatures) the
                // default lower end lies above the upper one.
                if (graph->MinValue().value_or(0) > graph->MaxValue().value_or(0)) {
                    graph->SetMinValue(graph->MaxValue());
                    graph->SetMaxValue(s.Read(Key::Min).number);
                }
                break;
            case Key::LineWidth:
                graph->SetLineWidth(ToInt32(v.number));
                break;
            case Key::Threshold1:
                graph->Threshold1 = v.number;
                break;
            case Key::Threshold2:
                graph->Threshold2 = v.number;
                break;
            case Key::ThresholdColor1:
                graph->SetThresholdColor1(v.Colour());
                break;
            case Key::ThresholdColor2:
                graph->SetThresholdColor2(v.Colour());
                break;
            case Key::FontColor:
                graph->SetFontColor(v.Colour());
                break;
            case Key::FontName:
                graph->SetFontName(Text(v));
                break;
            case Key::FontSize:
                graph->SetFontSize(ToInt16(v.number));
                break;
            case Key::FontBold:
                graph->SetFontBold(v.flag);
                break;
            case Key::FontItalic:
                graph->SetFontItalic(v.flag);
                break;
            case Key::TextVisible:
                graph->SetTextVisible(v.flag);
                break;
            case Key::ThresholdLineWidth:
                graph->SetThresholdLineWidth(ToInt32(v.number));
                break;
            default:
                ApplyGeometry(graph, key.key, v);
        }
    }
}

void LayoutSwitchPanel(const LayoutWindow& w) {
    const SectionReader panel(SectionId::SwitchStatus);
    for (const KeyDef& key : panel.Keys()) {
        const SettingValue v = panel.Read(key);
        if (key.key == Key::Visible) {
            w.picSwitch->setVisible(v.flag);
        } else {
            ApplyGeometry(w.picSwitch, key.key, v);
        }
    }
    // The caption's place and font are read only when there is a caption.
    const SectionReader label(SectionId::SwitchStatusLabel);
    for (const KeyDef& key : label.Keys()) {
        if (key.key != Key::Label && w.lvlStatus->text().isEmpty()) break;
        const SettingValue v = label.Read(key);
        if (key.key == Key::Label) {
            w.lvlStatus->setText(Text(v));
        } else if (!ApplyGeometry(w.lvlStatus, key.key, v)) {
            ApplyFont(w.lvlStatus, key.key, v);
        }
    }
}

void LayoutLamp(const LayoutWindow::Lamp& lamp) {
    const SectionReader shape(lamp.IndicatorSection);
    for (const KeyDef& key : shape.Keys()) ApplyGeometry(lamp.Shape, key.key, shape.Read(key));
    const SectionReader label(lamp.LabelSection);
    for (const KeyDef& key : label.Keys()) {
        const SettingValue v = label.Read(key);
        if (key.key == Key::Label) {
            lamp.Label->setText(Text(v));
        } else if (!ApplyGeometry(lamp.Label, key.key, v)) {
            ApplyFont(lamp.Label, key.key, v);
        }
    }
}

}  // namespace

void ApplyLayout(const LayoutWindow& w) {
    const SectionReader main(SectionId::Main);
    // The window's constant opacity, 0 (invisible) to 255 (opaque).
    const std::int32_t opacity = main.Read(Key::Transparent).Int32();
    w.Window->setWindowOpacity(opacity / 255.0);
    for (int n = 1; n <= MainSensorCount; ++n)
        (*w.SlotItem)[n] = main.ReadNumbered(Key::Sensor, n).Int16();

    for (int n = 1; n <= DisplaySlotCount; ++n) LayoutNameLabel(w, n);
    for (int n = 1; n <= DisplaySlotCount; ++n) LayoutValueBox(w, n);
    for (int n = 1; n <= DisplaySlotCount; ++n) LayoutGauge(w, n);
    for (int n = 1; n <= DisplaySlotCount; ++n) LayoutGraph(w, n);
    LayoutSwitchPanel(w);
    for (const auto& lamp : w.Lamps) LayoutLamp(lamp);
}

int LayoutErrorNumber(const std::exception& error) noexcept {
    if (const auto* runtime = dynamic_cast<const RuntimeError*>(&error)) return runtime->Number();
    if (const auto* property = dynamic_cast<const meter::PropertyError*>(&error))
        return property->Number();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return ErrorNumber::OutOfMemory;
    return ErrorNumber::InvalidProcedureCall;
}

}  // namespace orvane
