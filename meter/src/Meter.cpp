#include <meter/Meter.h>

#include "AboutDialog.h"
#include "MeterPrivate.h"

#include <QPointer>

using meter::Colour;
using meter::PropertyError;
using meter::detail::MeterPrivate;

namespace {

// The gauge's own refusal texts.
QString MinValueText() {
    return QStringLiteral("MaxValueより小さな値を指定してください。");
}
QString MaxValueText() {
    return QStringLiteral("MinValueより大きな値を指定してください。");
}
QString ZoneText() {
    return QStringLiteral("MinValueからMaxValueの範囲の値を指定してください。");
}
QString DecmalLengthText() {
    return QStringLiteral("0～4までの範囲で指定してください。");
}

}  // namespace

namespace meter::detail {

QFont DefaultDescriptionFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(12);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace meter::detail

Meter::Meter(QWidget* parent) : QWidget(parent), d_(std::make_unique<MeterPrivate>()) {
    // Every pixel is painted by the gauge: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    ResetProperties();
}

Meter::~Meter() = default;

// A change of anything in the static layer of the picture.
void Meter::StaticPropertyChanged() {
    d_->cache.InvalidateAll();
    update();
    d_->modified = true;
}

// --- Colours ---

Colour Meter::ScaleColor() const {
    return d_->state.scaleColor;
}
void Meter::SetScaleColor(Colour colour) {
    d_->state.scaleColor = colour;
    StaticPropertyChanged();
}

Colour Meter::NeedleColor() const {
    return d_->state.needleColor;
}
void Meter::SetNeedleColor(Colour colour) {
    d_->state.needleColor = colour;
    d_->cache.InvalidateNeedle();
    update();
    d_->modified = true;
}

Colour Meter::NumberColor() const {
    return d_->state.numberColor;
}
void Meter::SetNumberColor(Colour colour) {
    d_->state.numberColor = colour;
    StaticPropertyChanged();
}

Colour Meter::CaptionColor() const {
    return d_->state.captionColor;
}
void Meter::SetCaptionColor(Colour colour) {
    d_->state.captionColor = colour;
    StaticPropertyChanged();
}

// --- Needle and triggers ---

bool Meter::ThickNeedle() const {
    return d_->state.thickNeedle;
}
void Meter::SetThickNeedle(bool thick) {
    d_->state.thickNeedle = thick;
    d_->cache.InvalidateNeedle();
    update();
    d_->modified = true;
}

bool Meter::TriggerEnabed() const {
    return d_->state.triggerEnabed;
}
void Meter::SetTriggerEnabed(bool enabled) {
    d_->state.triggerEnabed = enabled;
    d_->modified = true;
}

// --- Range and decimals ---

double Meter::MinValue() const {
    return d_->state.minValue;
}
void Meter::SetMinValue(double value) {
    if (value == d_->state.minValue) return;
    if (!(value < d_->state.maxValue)) throw PropertyError::InvalidValue(MinValueText());
    d_->state.minValue = value;
    StaticPropertyChanged();
}

double Meter::MaxValue() const {
    return d_->state.maxValue;
}
void Meter::SetMaxValue(double value) {
    if (value == d_->state.maxValue) return;
    if (!(value > d_->state.minValue)) throw PropertyError::InvalidValue(MaxValueText());
    d_->state.maxValue = value;
    StaticPropertyChanged();
}

std::int16_t Meter::DecmalLength() const {
    return d_->state.decmalLength;
}
void Meter::SetDecmalLength(int decimals) {
    if (decimals == d_->state.decmalLength) return;
    if (decimals < 0 || decimals > 4) throw PropertyError::InvalidValue(DecmalLengthText());
    d_->state.decmalLength = static_cast<std::int16_t>(decimals);
    StaticPropertyChanged();
}

// --- Fonts ---

QFont Meter::NumberFont() const {
    return d_->state.numberFont;
}
void Meter::SetNumberFont(const QFont& font) {
    d_->state.numberFont = font;
    StaticPropertyChanged();
}
void Meter::ResetNumberFont() {
    SetNumberFont(meter::detail::DefaultDescriptionFont());
}

QFont Meter::CaptionFont() const {
    return d_->state.captionFont;
}
void Meter::SetCaptionFont(const QFont& font) {
    d_->state.captionFont = font;
    StaticPropertyChanged();
}
void Meter::ResetCaptionFont() {
    SetCaptionFont(meter::detail::DefaultDescriptionFont());
}

// --- Zones: closed intervals, no shortcut for the current value ---

namespace {
void CheckZone(double value, double minValue, double maxValue) {
    if (!(minValue <= value && value <= maxValue)) throw PropertyError::InvalidValue(ZoneText());
}
}  // namespace

double Meter::MaxGreenZone() const {
    return d_->state.maxGreenZone;
}
void Meter::SetMaxGreenZone(double value) {
    CheckZone(value, d_->state.minValue, d_->state.maxValue);
    d_->state.maxGreenZone = value;
    StaticPropertyChanged();
}

double Meter::MaxYellowZone() const {
    return d_->state.maxYellowZone;
}
void Meter::SetMaxYellowZone(double value) {
    CheckZone(value, d_->state.minValue, d_->state.maxValue);
    d_->state.maxYellowZone = value;
    StaticPropertyChanged();
}

double Meter::MaxRedZone() const {
    return d_->state.maxRedZone;
}
void Meter::SetMaxRedZone(double value) {
    CheckZone(value, d_->state.minValue, d_->state.maxValue);
    d_->state.maxRedZone = value;
    StaticPropertyChanged();
}

// --- Value ---

double Meter::Value() const {
    return d_->state.value;
}

void Meter::SetValue(double value) {
    const double old = d_->state.value;
    if (value == old) return;
    if (d_->state.triggerEnabed) {
        const double green = d_->state.maxGreenZone;
        const double yellow = d_->state.maxYellowZone;
        // A handler may delete the gauge; stop touching it then.
        const QPointer<Meter> alive(this);
        if (old <= green && value > green) {
            emit YellowTrigger(true);
            if (!alive) return;
        }
        if (old <= yellow && value > yellow) {
            emit RedTrigger(true);
            if (!alive) return;
        }
        if (old > yellow && value <= yellow) {
            emit RedTrigger(false);
            if (!alive) return;
        }
        if (old > green && value <= green) {
            emit YellowTrigger(false);
            if (!alive) return;
        }
    }
    // Stored only now: the trigger handlers above still read the old value.
    d_->state.value = value;
    d_->cache.InvalidateNeedle();
    update();
    d_->modified = true;
    emit Change();
}

// --- Stock properties ---

std::int16_t Meter::Appearance() const {
    return d_->state.appearance;
}
void Meter::SetAppearance(int appearance) {
    if (appearance != 0 && appearance != 1) throw PropertyError::InvalidValue();
    if (appearance == d_->state.appearance) return;
    d_->state.appearance = static_cast<std::int16_t>(appearance);
    UpdateBorder();
    StaticPropertyChanged();
}

Colour Meter::BackColor() const {
    return d_->state.backColor;
}
void Meter::SetBackColor(Colour colour) {
    d_->state.backColor = colour;
    StaticPropertyChanged();
}

std::int16_t Meter::BorderStyle() const {
    return d_->state.borderStyle;
}
void Meter::SetBorderStyle(int style) {
    if (style != 0 && style != 1) throw PropertyError::InvalidValue();
    if (style == d_->state.borderStyle) return;
    d_->state.borderStyle = static_cast<std::int16_t>(style);
    UpdateBorder();
    StaticPropertyChanged();
}

QString Meter::Caption() const {
    return d_->state.caption;
}
void Meter::SetCaption(const QString& caption) {
    d_->state.caption = caption;
    StaticPropertyChanged();
}

std::int32_t Meter::ReadyState() const {
    return d_->state.readyState;
}

void Meter::AboutBox() {
    meter::detail::AboutDialog dialog(this);
    dialog.exec();
}

bool Meter::IsModified() const {
    return d_->modified;
}
void Meter::SetModified(bool modified) {
    d_->modified = modified;
}

const std::optional<PropertyError>& Meter::LastError() const {
    return d_->lastError;
}

QSize Meter::sizeHint() const {
    return {200, 100};
}
QSize Meter::minimumSizeHint() const {
    return {16, 8};
}

// --- Qt property accessors: the boundary to Qt's generic property code ---

// Qt's property system (QObject::setProperty, QMetaProperty::write, Designer and the
// forms made with it) calls the write accessors and has no way to take an exception or
// a refusal back: the refusal is caught here and kept for LastError().
template <typename Write>
void Meter::GenericWrite(Write&& write) {
    d_->lastError.reset();
    try {
        write();
    } catch (const PropertyError& error) {
        d_->lastError = error;
    }
}

uint Meter::ReadScaleColor() const {
    return ScaleColor().Value();
}
void Meter::WriteScaleColor(uint colour) {
    GenericWrite([&] { SetScaleColor(Colour(colour)); });
}
uint Meter::ReadNeedleColor() const {
    return NeedleColor().Value();
}
void Meter::WriteNeedleColor(uint colour) {
    GenericWrite([&] { SetNeedleColor(Colour(colour)); });
}
uint Meter::ReadNumberColor() const {
    return NumberColor().Value();
}
void Meter::WriteNumberColor(uint colour) {
    GenericWrite([&] { SetNumberColor(Colour(colour)); });
}
uint Meter::ReadCaptionColor() const {
    return CaptionColor().Value();
}
void Meter::WriteCaptionColor(uint colour) {
    GenericWrite([&] { SetCaptionColor(Colour(colour)); });
}
uint Meter::ReadBackColor() const {
    return BackColor().Value();
}
void Meter::WriteBackColor(uint colour) {
    GenericWrite([&] { SetBackColor(Colour(colour)); });
}
void Meter::WriteThickNeedle(bool thick) {
    GenericWrite([&] { SetThickNeedle(thick); });
}
void Meter::WriteTriggerEnabed(bool enabled) {
    GenericWrite([&] { SetTriggerEnabed(enabled); });
}
void Meter::WriteMinValue(double value) {
    GenericWrite([&] { SetMinValue(value); });
}
void Meter::WriteMaxValue(double value) {
    GenericWrite([&] { SetMaxValue(value); });
}
void Meter::WriteDecmalLength(int decimals) {
    GenericWrite([&] { SetDecmalLength(decimals); });
}
void Meter::WriteNumberFont(const QFont& font) {
    GenericWrite([&] { SetNumberFont(font); });
}
void Meter::WriteCaptionFont(const QFont& font) {
    GenericWrite([&] { SetCaptionFont(font); });
}
void Meter::WriteMaxGreenZone(double value) {
    GenericWrite([&] { SetMaxGreenZone(value); });
}
void Meter::WriteMaxYellowZone(double value) {
    GenericWrite([&] { SetMaxYellowZone(value); });
}
void Meter::WriteMaxRedZone(double value) {
    GenericWrite([&] { SetMaxRedZone(value); });
}
void Meter::WriteValue(double value) {
    GenericWrite([&] { SetValue(value); });
}
void Meter::WriteAppearance(int appearance) {
    GenericWrite([&] { SetAppearance(appearance); });
}
void Meter::WriteBorderStyle(int style) {
    GenericWrite([&] { SetBorderStyle(style); });
}
void Meter::WriteCaption(const QString& caption) {
    GenericWrite([&] { SetCaption(caption); });
}
