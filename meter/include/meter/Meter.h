#pragma once

#include <meter/Colour.h>
#include <meter/DispatchId.h>
#include <meter/PropertyBag.h>
#include <meter/PropertyError.h>
#include <meter/meter_export.h>

#include <QFont>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QPainter;

namespace meter::detail {
class MeterPrivate;
}

// Meter: a round gauge. A half-circle dial shows one measured value with a needle,
// over a scale arc with nine ticks, up to five scale numbers, optional green, yellow
// and red zone bands, and a caption.
//
// Writing properties
//   The typed setters (SetMinValue, SetScaleColor, ...) validate and throw
//   meter::PropertyError when they refuse a value (number 380, code 0x800A017C, with
//   the gauge's Japanese description); a refused write changes and redraws nothing.
//   SetProperty(DispId, QVariant) does the same by dispatch identifier.
//
//   The Qt properties carry the same names (ScaleColor, MinValue, TriggerEnabed,
//   DecmalLength, ...), so QObject::setProperty, QMetaProperty::write and Qt Designer
//   reach them. Their accessors are private and never throw: a refused value leaves
//   the gauge as it was (nothing redrawn, not marked modified) and is kept in
//   LastError(); every successful write through them clears LastError(). Because no
//   accessor is named setX, Designer marks the gauge's properties in a form as
//   non-standard and uic-generated code writes them with setProperty() too.
//   QObject::setProperty() and QMetaProperty::write() return what Qt documents for
//   them: true once the value reached the accessor, false only for Qt's own refusals
//   (no such property, read-only, a value Qt cannot convert). So a caller that must
//   know whether the gauge took the value checks LastError() afterwards:
//       gauge->setProperty("MinValue", v);
//       if (gauge->LastError()) ... // refused: LastError()->Description() says why
//   Designer's property editor reads the property back after a write, so it shows the
//   value the gauge kept.
//
// Events
//   Change() after every effective change of Value; YellowTrigger(status) and
//   RedTrigger(status) when TriggerEnabed is on and Value crosses MaxGreenZone or
//   MaxYellowZone (true upwards, false downwards), raised before the new value is
//   stored so that handlers still read the old Value. ReadyStateChange() exists for
//   callers that connect to it; the gauge never changes its ready state.
//
// Colours are meter::Colour values (RGB with red in the low byte, or a system colour
// with the top bit set, see meter::ToQColor), translated against the widget's palette
// when drawn. As Qt properties they are uint, the 32-bit value.
//
// Painting goes through an off-screen image copied to the screen in one block. The
// static part of the picture is kept between paints and rebuilt after any change of a
// property, font, size, palette or pixel ratio, so that the frequent Value updates
// only redraw the needle. DrawMetafile() draws straight into any painter (printing,
// QPicture, SVG), as does painting the widget into a non-raster device.
class METER_EXPORT Meter : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Appearance READ Appearance WRITE WriteAppearance)
    Q_PROPERTY(uint BackColor READ ReadBackColor WRITE WriteBackColor)
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE WriteBorderStyle)
    Q_PROPERTY(QString Caption READ Caption WRITE WriteCaption)
    Q_PROPERTY(double MinValue READ MinValue WRITE WriteMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE WriteMaxValue)
    Q_PROPERTY(uint ScaleColor READ ReadScaleColor WRITE WriteScaleColor)
    Q_PROPERTY(uint NeedleColor READ ReadNeedleColor WRITE WriteNeedleColor)
    Q_PROPERTY(uint NumberColor READ ReadNumberColor WRITE WriteNumberColor)
    Q_PROPERTY(uint CaptionColor READ ReadCaptionColor WRITE WriteCaptionColor)
    Q_PROPERTY(int DecmalLength READ DecmalLength WRITE WriteDecmalLength)
    Q_PROPERTY(int ReadyState READ ReadyState STORED false)
    Q_PROPERTY(QFont NumberFont READ NumberFont WRITE WriteNumberFont RESET ResetNumberFont)
    Q_PROPERTY(QFont CaptionFont READ CaptionFont WRITE WriteCaptionFont RESET ResetCaptionFont)
    Q_PROPERTY(double MaxGreenZone READ MaxGreenZone WRITE WriteMaxGreenZone)
    Q_PROPERTY(double MaxYellowZone READ MaxYellowZone WRITE WriteMaxYellowZone)
    Q_PROPERTY(double MaxRedZone READ MaxRedZone WRITE WriteMaxRedZone)
    Q_PROPERTY(bool ThickNeedle READ ThickNeedle WRITE WriteThickNeedle)
    Q_PROPERTY(double Value READ Value WRITE WriteValue)
    Q_PROPERTY(bool TriggerEnabed READ TriggerEnabed WRITE WriteTriggerEnabed)

public:
    // A new gauge has every property at its default; NumberFont and CaptionFont start
    // as copies of the parent's font (without a parent: "MS Sans Serif", 12 pt, bold).
    explicit Meter(QWidget* parent = nullptr);
    ~Meter() override;

    // --- The gauge's own properties (dispatch identifiers 1 to 15) ---
    meter::Colour ScaleColor() const;
    void SetScaleColor(meter::Colour colour);
    meter::Colour NeedleColor() const;
    void SetNeedleColor(meter::Colour colour);
    meter::Colour NumberColor() const;
    void SetNumberColor(meter::Colour colour);
    meter::Colour CaptionColor() const;
    void SetCaptionColor(meter::Colour colour);
    bool ThickNeedle() const;
    void SetThickNeedle(bool thick);
    // Enables YellowTrigger and RedTrigger. Does not redraw.
    bool TriggerEnabed() const;
    void SetTriggerEnabed(bool enabled);
    // Refused unless below MaxValue; setting the current value does nothing.
    double MinValue() const;
    void SetMinValue(double value);
    // Refused unless above MinValue; setting the current value does nothing.
    double MaxValue() const;
    void SetMaxValue(double value);
    // Decimals of the scale numbers, 0 to 4; setting the current value does nothing.
    std::int16_t DecmalLength() const;
    void SetDecmalLength(int decimals);
    // The fonts are the gauge's own copies; any change redraws.
    QFont NumberFont() const;
    void SetNumberFont(const QFont& font);
    // Sets the default description's font ("MS Sans Serif", 12 pt, bold).
    void ResetNumberFont();
    QFont CaptionFont() const;
    void SetCaptionFont(const QFont& font);
    void ResetCaptionFont();
    // Zone maxima: refused outside [MinValue, MaxValue]; an accepted value is stored
    // and redrawn even when it is the current one.
    double MaxGreenZone() const;
    void SetMaxGreenZone(double value);
    // Also the threshold of RedTrigger.
    double MaxYellowZone() const;
    void SetMaxYellowZone(double value);
    double MaxRedZone() const;
    void SetMaxRedZone(double value);
    // The measured value; never range-checked (the needle is clamped when drawn).
    double Value() const;
    void SetValue(double value);

    // --- Stock properties ---
    // 0 flat, 1 three-dimensional border; anything else is refused.
    std::int16_t Appearance() const;
    void SetAppearance(int appearance);
    meter::Colour BackColor() const;
    void SetBackColor(meter::Colour colour);
    // 0 no border, 1 single border; anything else is refused.
    std::int16_t BorderStyle() const;
    void SetBorderStyle(int style);
    QString Caption() const;
    void SetCaption(const QString& caption);
    // 1 (loading); read-only.
    std::int32_t ReadyState() const;

    // Shows the modal About dialog with the library's name and version.
    void AboutBox();

    // --- Access by dispatch identifier ---
    // Colours come and go as uint, the 16-bit properties as int. Throws PropertyError:
    // the property's own refusal, TypeMismatch for a value of the wrong kind, Overflow
    // for a number outside the 16-bit range, NotSupported for an unknown identifier,
    // AboutBox, or a write to ReadyState. An invalid QVariant given for a font resets it.
    QVariant GetProperty(meter::DispId id) const;
    void SetProperty(meter::DispId id, const QVariant& value);

    // --- Persistence ---
    // Saves the property set: "_Version" (0x00010000, format 1.0), "_ExtentX" and
    // "_ExtentY" (size in pixels), then Caption, BackColor, Appearance, BorderStyle,
    // Value, MinValue, MaxValue, MaxGreenZone, MaxYellowZone, MaxRedZone, CaptionColor,
    // ScaleColor, NeedleColor, NumberColor, DecmalLength, ThickNeedle, TriggerEnabed,
    // NumberFont, CaptionFont.
    meter::PropertyBag SaveProperties() const;
    // Loads a property set by those names; a missing or unusable entry takes its
    // default. Writes the values as they are: no validation, no events. Clears the
    // modified flag and redraws.
    void LoadProperties(const meter::PropertyBag& bag);
    // Every property back to its default (loading an empty set).
    void ResetProperties();

    // Set by every accepted property write; cleared by loading and resetting.
    bool IsModified() const;
    void SetModified(bool modified);

    // The refusal of the last write through a Qt property (QObject::setProperty,
    // QMetaProperty::write, Designer and the forms made with it); empty after a
    // successful one. The typed setters and SetProperty() throw instead and leave it alone.
    const std::optional<meter::PropertyError>& LastError() const;

    // Draws the whole gauge into bounds on any painter, without the off-screen image
    // (for printing, QPicture or SVG). IsDrawingMetafile() is true during the call.
    void DrawMetafile(QPainter& painter, const QRect& bounds);
    bool IsDrawingMetafile() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Change();
    void RedTrigger(bool status);
    void YellowTrigger(bool status);
    void ReadyStateChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // --- Qt property accessors: never throw, see "Writing properties" above ---
    template <typename Write>
    void GenericWrite(Write&& write);
    uint ReadScaleColor() const;
    void WriteScaleColor(uint colour);
    uint ReadNeedleColor() const;
    void WriteNeedleColor(uint colour);
    uint ReadNumberColor() const;
    void WriteNumberColor(uint colour);
    uint ReadCaptionColor() const;
    void WriteCaptionColor(uint colour);
    uint ReadBackColor() const;
    void WriteBackColor(uint colour);
    void WriteThickNeedle(bool thick);
    void WriteTriggerEnabed(bool enabled);
    void WriteMinValue(double value);
    void WriteMaxValue(double value);
    void WriteDecmalLength(int decimals);
    void WriteNumberFont(const QFont& font);
    void WriteCaptionFont(const QFont& font);
    void WriteMaxGreenZone(double value);
    void WriteMaxYellowZone(double value);
    void WriteMaxRedZone(double value);
    void WriteValue(double value);
    void WriteAppearance(int appearance);
    void WriteBorderStyle(int style);
    void WriteCaption(const QString& caption);

    void StaticPropertyChanged();
    void UpdateBorder();
    void PaintBorder(QPainter& painter);

    std::unique_ptr<meter::detail::MeterPrivate> d_;
};
