#include "layout/ApplyLayout.h"

#include <meter/ColourTranslation.h>
#include <meter/Meter.h>

#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/RuntimeError.h"
#include "graph/usrGraph.h"
#include "log/modOrvane.h"
#include "settings/SectionReader.h"
#include "settings/ValueConversion.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

// The largest font size, in points, a label, value box, gauge or graph takes; a larger
// one is a mistake in the file and is refused like any invalid property value.
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

// A font size in points. Sizes below one point (0, an empty or non-numeric value in a
// hand-edited file) are drawn at one point, as the graph draws them; a size no font
// can take is refused.
double FontSize(double points) {
    if (!(points <= kLargestFontSize)) throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    return std::max(points, 1.0);
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

SectionReader Reader(LayoutSource source, SectionId id, int slot = 0, int itemCode = -1) {
    return source == LayoutSource::Design ? SectionReader::Defaults(id, slot, itemCode)
                                          : SectionReader(id, slot, itemCode);
}

}  // namespace

void LayoutOpacity(QWidget* window) {
    const SectionReader main(SectionId::Main);
    const std::int32_t opacity = main.Read(Key::Transparent).Int32();
    window->setWindowOpacity(opacity / 255.0);
}

SlotAssignment ReadSlotAssignment() {
    const SectionReader main(SectionId::Main);
    SlotAssignment assignment;
    const KeyDef& sensor = LayoutKey(SectionId::Main, Key::Sensor);
    for (int n = 1; n <= SlotCount; ++n) {
        assignment.Items[n - 1] = main.ReadNumbered(Key::Sensor, n).Int16();
        if (SettingPresent(main.Name(), KeyNameOf(sensor, n))) assignment.NamesItems = true;
    }
    assignment.Binding = SlotBindingModeFromText(main.Read(Key::SlotBinding).text);
    return assignment;
}

void LayoutNameLabel(QLabel* label, int n, std::int16_t code, LayoutSource source) {
    const SectionReader s = Reader(source, SectionId::SensorName, n);
    for (const KeyDef& key : s.Keys()) {
        const SettingValue v = s.Read(key);
        if (key.key == Key::Visible) {
            if (!v.flag) {
                label->hide();
                return;
            }
            label->show();
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

ValueBoxAlarms LayoutValueBox(QWidget* box, int n, meter::Colour textColor, LayoutSource source) {
    const SectionReader s = Reader(source, SectionId::SensorData, n);
    ValueBoxAlarms alarms;
    alarms.TextColor = textColor;
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
                alarms.TextColor = colour;  // the box's text colour, read back
                break;
            }
            case Key::BackColor:
                SetColour(box, QPalette::Base, s.Read(key).Colour());
                break;
            case Key::Threshold1:
                alarms.Threshold1 = s.Read(key).number;
                break;
            case Key::Threshold2:
                alarms.Threshold2 = s.Read(key).number;
                // Ordered so that the first threshold is the smaller one.
                if (alarms.Threshold1 > alarms.Threshold2) {
                    alarms.Threshold1 = alarms.Threshold2;
                    alarms.Threshold2 = s.Read(Key::Threshold1).number;
                }
                break;
            case Key::AlarmColor1:
                alarms.AlarmColor1 = s.Read(key.key, alarms.TextColor.ToInt32()).Colour();
                break;
            case Key::AlarmColor2:
                alarms.AlarmColor2 = s.Read(key.key, alarms.TextColor.ToInt32()).Colour();
                break;
            default: {
                const SettingValue v = s.Read(key);
                if (!ApplyGeometry(box, key.key, v)) ApplyFont(box, key.key, v);
            }
        }
    }
    return alarms;
}

void LayoutGauge(Meter* gauge, int n, std::int16_t itemCode, LayoutSource source) {
    const SectionReader s = Reader(source, SectionId::SensorMeter, n, itemCode);
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

void LayoutGraph(usrGraph* graph, int n, std::int16_t itemCode, LayoutSource source) {
    const SectionReader s = Reader(source, SectionId::SensorGraph, n, itemCode);
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

void LayoutSwitchPanel(QWidget* panel, QLabel* caption, LayoutSource source) {
    const SectionReader s = Reader(source, SectionId::SwitchStatus);
    for (const KeyDef& key : s.Keys()) {
        const SettingValue v = s.Read(key);
        if (key.key == Key::Visible) {
            panel->setVisible(v.flag);
        } else {
            ApplyGeometry(panel, key.key, v);
        }
    }
    // The caption's place and font are read only when there is a caption; as designed,
    // the caption label has them whether or not it has a text.
    const SectionReader label = Reader(source, SectionId::SwitchStatusLabel);
    for (const KeyDef& key : label.Keys()) {
        if (key.key != Key::Label && caption->text().isEmpty() && !label.ReadsDefaults()) break;
        const SettingValue v = label.Read(key);
        if (key.key == Key::Label) {
            caption->setText(Text(v));
        } else if (!ApplyGeometry(caption, key.key, v)) {
            ApplyFont(caption, key.key, v);
        }
    }
}

void LayoutLamp(const LampDef& lamp, QWidget* shape, QLabel* label, LayoutSource source) {
    const SectionReader indicator = Reader(source, lamp.IndicatorSection);
    for (const KeyDef& key : indicator.Keys()) ApplyGeometry(shape, key.key, indicator.Read(key));
    const SectionReader caption = Reader(source, lamp.LabelSection);
    for (const KeyDef& key : caption.Keys()) {
        const SettingValue v = caption.Read(key);
        if (key.key == Key::Label) {
            label->setText(Text(v));
        } else if (!ApplyGeometry(label, key.key, v)) {
            ApplyFont(label, key.key, v);
        }
    }
}

OverviewSettings ReadOverviewSettings(LayoutSource source) {
    const SectionReader s = Reader(source, SectionId::Overview);
    OverviewSettings settings;
    settings.Visible = s.Read(Key::Visible).flag;
    settings.Height =
        static_cast<int>(std::clamp(std::round(double{s.Read(Key::Height).Single()}), 0.0, 4000.0));
    settings.Items = {s.Read(Key::Item1).Int16(), s.Read(Key::Item2).Int16()};
    // A trace may name a computed item instead of a code: text that does not start as a
    // number does ("Item1=Inj duty"); a number stays a code, read as before.
    if (source == LayoutSource::SettingsFile) {
        const std::string names[] = {ReadSetting(s.Name(), "Item1", ""),
                                     ReadSetting(s.Name(), "Item2", "")};
        for (std::size_t t = 0; t < 2; ++t) {
            const std::string& text = names[t];
            const auto first = text.find_first_not_of(" \t");
            if (first == std::string::npos) continue;
            const unsigned char c = static_cast<unsigned char>(text[first]);
            if (std::isdigit(c) || c == '-' || c == '+' || c == '.' || c == '&') continue;
            settings.Items[t] = -1;
            settings.ItemNames[t] = text.substr(first, text.find_last_not_of(" \t") - first + 1);
        }
    }
    return settings;
}

OverviewSettings LayoutOverview(QWidget* strip, LayoutSource source) {
    const OverviewSettings settings = ReadOverviewSettings(source);
    strip->setVisible(settings.Visible && settings.Height > 0);
    strip->resize(strip->width(), settings.Height);
    return settings;
}

DisplaySlotLayout DescribeSlot(const QLabel* name, const QWidget* valueBox,
                               const ValueBoxAlarms& alarms, const Meter* gauge,
                               const usrGraph* graph) {
    DisplaySlotLayout slot;
    slot.NameShown = !name->isHidden();
    slot.ValueShown = !valueBox->isHidden();
    slot.GaugeShown = !gauge->isHidden();
    slot.GraphShown = !graph->isHidden();
    slot.Threshold1 = alarms.Threshold1;
    slot.Threshold2 = alarms.Threshold2;
    slot.TextColour = alarms.TextColor;
    slot.AlarmColour1 = alarms.AlarmColor1;
    slot.AlarmColour2 = alarms.AlarmColor2;
    slot.GaugeMin = gauge->MinValue();
    slot.GaugeMax = gauge->MaxValue();
    slot.GraphMin = graph->MinValue();
    slot.GraphMax = graph->MaxValue();
    return slot;
}

int LayoutErrorNumber(const std::exception& error) noexcept {
    if (const auto* runtime = dynamic_cast<const RuntimeError*>(&error)) return runtime->Number();
    if (const auto* property = dynamic_cast<const meter::PropertyError*>(&error))
        return property->Number();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return ErrorNumber::OutOfMemory;
    return ErrorNumber::InvalidProcedureCall;
}

}  // namespace orvane
