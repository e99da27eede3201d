// Saving, loading and resetting the gauge's property set.
#include <meter/Meter.h>

#include "MeterPrivate.h"
#include "VariantConversion.h"

#include <meter/Colour.h>

using meter::Colour;
using meter::PropertyBag;
using meter::PropertyError;
using namespace meter::detail;

namespace {

constexpr int FormatVersion = 0x00010000;  // 1.0

// The entry's value in the property's type, or the default when the entry is missing
// or holds something the property cannot take.
template <typename T, typename Convert>
T Read(const PropertyBag& bag, const char* name, T fallback, Convert convert) {
    const QVariant value = bag.Value(QLatin1String(name));
    if (!value.isValid()) return fallback;
    try {
        return convert(value);
    } catch (const PropertyError&) {
        return fallback;
    }
}

}  // namespace

PropertyBag Meter::SaveProperties() const {
    const MeterState& s = d_->state;
    PropertyBag bag;
    bag.Set(QStringLiteral("_Version"), FormatVersion);
    bag.Set(QStringLiteral("_ExtentX"), width());
    bag.Set(QStringLiteral("_ExtentY"), height());
    bag.Set(QStringLiteral("Caption"), s.caption);
    bag.Set(QStringLiteral("BackColor"), s.backColor.Value());
    bag.Set(QStringLiteral("Appearance"), static_cast<int>(s.appearance));
    bag.Set(QStringLiteral("BorderStyle"), static_cast<int>(s.borderStyle));
    bag.Set(QStringLiteral("Value"), s.value);
    bag.Set(QStringLiteral("MinValue"), s.minValue);
    bag.Set(QStringLiteral("MaxValue"), s.maxValue);
    bag.Set(QStringLiteral("MaxGreenZone"), s.maxGreenZone);
    bag.Set(QStringLiteral("MaxYellowZone"), s.maxYellowZone);
    bag.Set(QStringLiteral("MaxRedZone"), s.maxRedZone);
    bag.Set(QStringLiteral("CaptionColor"), s.captionColor.Value());
    bag.Set(QStringLiteral("ScaleColor"), s.scaleColor.Value());
    bag.Set(QStringLiteral("NeedleColor"), s.needleColor.Value());
    bag.Set(QStringLiteral("NumberColor"), s.numberColor.Value());
    bag.Set(QStringLiteral("DecmalLength"), static_cast<int>(s.decmalLength));
    bag.Set(QStringLiteral("ThickNeedle"), s.thickNeedle);
    bag.Set(QStringLiteral("TriggerEnabed"), s.triggerEnabed);
    bag.Set(QStringLiteral("NumberFont"), s.numberFont);
    bag.Set(QStringLiteral("CaptionFont"), s.captionFont);
    return bag;
}

void Meter::LoadProperties(const PropertyBag& bag) {
    // Missing fonts take the parent's font, so a gauge matches the window it sits on;
    // a missing background takes the face colour of dialogs and windows, which follows
    // the palette the gauge inherits.
    const QFont parentFont = parentWidget() ? parentWidget()->font() : DefaultDescriptionFont();
    const Colour faceColour = Colour::System(meter::SystemColour::ButtonFace);

    MeterState s;
    s.caption = Read(bag, "Caption", QStringLiteral("meter"), ToText);
    s.backColor = Read(bag, "BackColor", faceColour, ToColour);
    s.appearance = Read<std::int16_t>(bag, "Appearance", 1, ToInt16);
    s.borderStyle = Read<std::int16_t>(bag, "BorderStyle", 1, ToInt16);
    s.value = Read(bag, "Value", 0.0, ToDouble);
    s.minValue = Read(bag, "MinValue", 0.0, ToDouble);
    s.maxValue = Read(bag, "MaxValue", 100.0, ToDouble);
    s.maxGreenZone = Read(bag, "MaxGreenZone", 0.0, ToDouble);
    s.maxYellowZone = Read(bag, "MaxYellowZone", 0.0, ToDouble);
    s.maxRedZone = Read(bag, "MaxRedZone", 0.0, ToDouble);
    s.captionColor = Read(bag, "CaptionColor", Colour(0), ToColour);
    s.scaleColor = Read(bag, "ScaleColor", Colour(0x00FF0000), ToColour);
    s.needleColor = Read(bag, "NeedleColor", Colour(0x000000FF), ToColour);
    s.numberColor = Read(bag, "NumberColor", Colour(0), ToColour);
    s.decmalLength = Read<std::int16_t>(bag, "DecmalLength", 0, ToInt16);
    s.thickNeedle = Read(bag, "ThickNeedle", true, ToBool);
    s.triggerEnabed = Read(bag, "TriggerEnabed", false, ToBool);
    s.numberFont = Read(bag, "NumberFont", parentFont, ToFont);
    s.captionFont = Read(bag, "CaptionFont", parentFont, ToFont);
    s.readyState = d_->state.readyState;
    d_->state = std::move(s);

    const int extentX = Read(bag, "_ExtentX", -1, ToInt32);
    const int extentY = Read(bag, "_ExtentY", -1, ToInt32);
    if (extentX >= 0 && extentY >= 0) resize(extentX, extentY);

    UpdateBorder();
    d_->cache.InvalidateAll();
    update();
    d_->modified = false;
}

void Meter::ResetProperties() {
    LoadProperties(PropertyBag());
}
