// Access to the gauge's properties by dispatch identifier.
#include <meter/Meter.h>

#include "MeterPrivate.h"
#include "VariantConversion.h"

using meter::DispId;
using meter::PropertyError;
using namespace meter::detail;

QVariant Meter::GetProperty(DispId id) const {
    switch (id) {
        case DispId::ScaleColor:
            return ScaleColor().Value();
        case DispId::NeedleColor:
            return NeedleColor().Value();
        case DispId::NumberColor:
            return NumberColor().Value();
        case DispId::CaptionColor:
            return CaptionColor().Value();
        case DispId::ThickNeedle:
            return ThickNeedle();
        case DispId::TriggerEnabed:
            return TriggerEnabed();
        case DispId::MinValue:
            return MinValue();
        case DispId::MaxValue:
            return MaxValue();
        case DispId::DecmalLength:
            return static_cast<int>(DecmalLength());
        case DispId::NumberFont:
            return NumberFont();
        case DispId::CaptionFont:
            return CaptionFont();
        case DispId::MaxGreenZone:
            return MaxGreenZone();
        case DispId::MaxYellowZone:
            return MaxYellowZone();
        case DispId::MaxRedZone:
            return MaxRedZone();
        case DispId::Value:
            return Value();
        case DispId::Appearance:
            return static_cast<int>(Appearance());
        case DispId::BackColor:
            return BackColor().Value();
        case DispId::BorderStyle:
            return static_cast<int>(BorderStyle());
        case DispId::Caption:
            return Caption();
        case DispId::ReadyState:
            return static_cast<int>(ReadyState());
        case DispId::AboutBox:
            break;
    }
    throw PropertyError::NotSupported();
}

void Meter::SetProperty(DispId id, const QVariant& value) {
    switch (id) {
        case DispId::ScaleColor:
            return SetScaleColor(ToColour(value));
        case DispId::NeedleColor:
            return SetNeedleColor(ToColour(value));
        case DispId::NumberColor:
            return SetNumberColor(ToColour(value));
        case DispId::CaptionColor:
            return SetCaptionColor(ToColour(value));
        case DispId::ThickNeedle:
            return SetThickNeedle(ToBool(value));
        case DispId::TriggerEnabed:
            return SetTriggerEnabed(ToBool(value));
        case DispId::MinValue:
            return SetMinValue(ToDouble(value));
        case DispId::MaxValue:
            return SetMaxValue(ToDouble(value));
        case DispId::DecmalLength:
            return SetDecmalLength(ToInt16(value));
        case DispId::NumberFont:
            // No font given: the default description's font.
            return value.isValid() ? SetNumberFont(ToFont(value)) : ResetNumberFont();
        case DispId::CaptionFont:
            return value.isValid() ? SetCaptionFont(ToFont(value)) : ResetCaptionFont();
        case DispId::MaxGreenZone:
            return SetMaxGreenZone(ToDouble(value));
        case DispId::MaxYellowZone:
            return SetMaxYellowZone(ToDouble(value));
        case DispId::MaxRedZone:
            return SetMaxRedZone(ToDouble(value));
        case DispId::Value:
            return SetValue(ToDouble(value));
        case DispId::Appearance:
            return SetAppearance(ToInt16(value));
        case DispId::BackColor:
            return SetBackColor(ToColour(value));
        case DispId::BorderStyle:
            return SetBorderStyle(ToInt16(value));
        case DispId::Caption:
            return SetCaption(ToText(value));
        case DispId::ReadyState:
        case DispId::AboutBox:
            break;
    }
    throw PropertyError::NotSupported();
}
