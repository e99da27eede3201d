// The gauge's properties: defaults, validation with its texts and boundaries, the
// equal-value shortcuts, and the Qt property boundary.
#include <meter/LibraryInfo.h>
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMetaProperty>
#include <QTimer>

#include <cmath>
#include <functional>
#include <limits>

using meter::Colour;
using meter::PropertyError;

namespace {

const QString MinText = QStringLiteral("MaxValueより小さな値を指定してください。");
const QString MaxText = QStringLiteral("MinValueより大きな値を指定してください。");
const QString ZoneText = QStringLiteral("MinValueからMaxValueの範囲の値を指定してください。");
const QString DecimalsText = QStringLiteral("0～4までの範囲で指定してください。");

// Runs a write that must be refused as an invalid property value with the given text.
void ExpectRefused(const std::function<void()>& write, const QString& text) {
    try {
        write();
        ADD_FAILURE() << "accepted: " << text.toStdString();
    } catch (const PropertyError& error) {
        EXPECT_EQ(error.Number(), 380);
        EXPECT_EQ(error.Code(), 0x800A017Cu);
        EXPECT_EQ(error.Description(), text);
        EXPECT_EQ(QString::fromStdString(error.what()), text);
    }
}

}  // namespace

TEST(MeterProperties, DefaultsWithoutParent) {
    Meter gauge;
    EXPECT_EQ(gauge.ScaleColor(), Colour(0x00FF0000));
    EXPECT_EQ(gauge.NeedleColor(), Colour(0x000000FF));
    EXPECT_EQ(gauge.NumberColor(), Colour(0));
    EXPECT_EQ(gauge.CaptionColor(), Colour(0));
    EXPECT_TRUE(gauge.ThickNeedle());
    EXPECT_FALSE(gauge.TriggerEnabed());
    EXPECT_EQ(gauge.MinValue(), 0.0);
    EXPECT_EQ(gauge.MaxValue(), 100.0);
    EXPECT_EQ(gauge.DecmalLength(), 0);
    EXPECT_EQ(gauge.MaxGreenZone(), 0.0);
    EXPECT_EQ(gauge.MaxYellowZone(), 0.0);
    EXPECT_EQ(gauge.MaxRedZone(), 0.0);
    EXPECT_EQ(gauge.Value(), 0.0);
    EXPECT_EQ(gauge.Appearance(), 1);
    EXPECT_EQ(gauge.BorderStyle(), 1);
    EXPECT_EQ(gauge.Caption(), "meter");
    EXPECT_EQ(gauge.ReadyState(), 1);
    // The background: the face colour of windows, a system colour.
    EXPECT_EQ(gauge.BackColor(), Colour(0x8000000F));
    for (const QFont& font : {gauge.NumberFont(), gauge.CaptionFont()}) {
        EXPECT_EQ(font.family(), "MS Sans Serif");
        EXPECT_EQ(font.pointSize(), 12);
        EXPECT_EQ(font.weight(), QFont::Bold);
        EXPECT_FALSE(font.italic());
        EXPECT_FALSE(font.underline());
        EXPECT_FALSE(font.strikeOut());
    }
    EXPECT_FALSE(gauge.IsModified());
}

TEST(MeterProperties, FontsDefaultToTheParentsFont) {
    QWidget parent;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(7);
    parent.setFont(font);
    Meter gauge(&parent);
    EXPECT_EQ(gauge.NumberFont(), font);
    EXPECT_EQ(gauge.CaptionFont(), font);
}

TEST(MeterProperties, RangeLimitsAreStrict) {
    Meter gauge;
    ExpectRefused([&] { gauge.SetMinValue(100); }, MinText);
    ExpectRefused([&] { gauge.SetMinValue(150); }, MinText);
    ExpectRefused([&] { gauge.SetMaxValue(0); }, MaxText);
    ExpectRefused([&] { gauge.SetMaxValue(-1); }, MaxText);
    ExpectRefused([&] { gauge.SetMinValue(std::nan("")); }, MinText);
    ExpectRefused([&] { gauge.SetMaxValue(std::nan("")); }, MaxText);
    EXPECT_EQ(gauge.MinValue(), 0.0);
    EXPECT_EQ(gauge.MaxValue(), 100.0);
    EXPECT_FALSE(gauge.IsModified());

    gauge.SetMinValue(99.5);
    gauge.SetMaxValue(99.75);
    EXPECT_EQ(gauge.MinValue(), 99.5);
    EXPECT_EQ(gauge.MaxValue(), 99.75);
    EXPECT_TRUE(gauge.IsModified());
}

TEST(MeterProperties, ZoneMaximaAreAClosedIntervalOfTheRange) {
    Meter gauge;
    gauge.SetMinValue(-20);
    gauge.SetMaxValue(80);
    using Setter = void (Meter::*)(double);
    using Getter = double (Meter::*)() const;
    const std::pair<Setter, Getter> zones[] = {{&Meter::SetMaxGreenZone, &Meter::MaxGreenZone},
                                               {&Meter::SetMaxYellowZone, &Meter::MaxYellowZone},
                                               {&Meter::SetMaxRedZone, &Meter::MaxRedZone}};
    for (const auto& [set, get] : zones) {
        (gauge.*set)(-20);
        EXPECT_EQ((gauge.*get)(), -20);
        (gauge.*set)(80);
        EXPECT_EQ((gauge.*get)(), 80);
        ExpectRefused([&, set = set] { (gauge.*set)(80.000001); }, ZoneText);
        ExpectRefused([&, set = set] { (gauge.*set)(-20.000001); }, ZoneText);
        ExpectRefused([&, set = set] { (gauge.*set)(std::nan("")); }, ZoneText);
        EXPECT_EQ((gauge.*get)(), 80);
    }
}

TEST(MeterProperties, DecmalLengthIsZeroToFour) {
    Meter gauge;
    ExpectRefused([&] { gauge.SetDecmalLength(5); }, DecimalsText);
    ExpectRefused([&] { gauge.SetDecmalLength(-1); }, DecimalsText);
    ExpectRefused([&] { gauge.SetDecmalLength(65536); }, DecimalsText);  // no narrowing to 0
    gauge.SetDecmalLength(4);
    EXPECT_EQ(gauge.DecmalLength(), 4);
    gauge.SetDecmalLength(0);
    EXPECT_EQ(gauge.DecmalLength(), 0);
}

TEST(MeterProperties, StockAppearanceAndBorderStyleAreZeroOrOne) {
    Meter gauge;
    const QString standard = QStringLiteral("プロパティの値が不正です。");
    ExpectRefused([&] { gauge.SetAppearance(2); }, standard);
    ExpectRefused([&] { gauge.SetBorderStyle(-1); }, standard);
    gauge.SetAppearance(0);
    gauge.SetBorderStyle(0);
    EXPECT_EQ(gauge.Appearance(), 0);
    EXPECT_EQ(gauge.BorderStyle(), 0);
    EXPECT_EQ(gauge.contentsMargins().left(), 0);
    gauge.SetBorderStyle(1);
    EXPECT_EQ(gauge.contentsMargins().left(), 1);  // flat single line
    gauge.SetAppearance(1);
    EXPECT_EQ(gauge.contentsMargins().left(), 2);  // sunken 3D edge
}

TEST(MeterProperties, EqualValueShortcutsAndZoneRewrites) {
    Meter gauge;
    gauge.SetModified(false);
    gauge.SetMinValue(0);
    gauge.SetMaxValue(100);
    gauge.SetDecmalLength(0);
    gauge.SetValue(0);
    EXPECT_FALSE(gauge.IsModified());
    // Setting MinValue to its own value needs no check against MaxValue either.
    gauge.SetMinValue(0);
    // Zones have no shortcut: the same value is stored again and marks the gauge.
    gauge.SetMaxGreenZone(0);
    EXPECT_TRUE(gauge.IsModified());
    gauge.SetModified(false);
    gauge.SetTriggerEnabed(true);
    EXPECT_TRUE(gauge.IsModified());
}

TEST(MeterProperties, RangeChangesLeaveZonesAndValueAlone) {
    Meter gauge;
    gauge.SetMaxRedZone(90);
    gauge.SetValue(1000);  // no range check on Value
    gauge.SetMaxValue(50);
    EXPECT_EQ(gauge.MaxRedZone(), 90);
    EXPECT_EQ(gauge.Value(), 1000);
    gauge.SetMinValue(-10);
    EXPECT_EQ(gauge.Value(), 1000);
}

TEST(MeterQtProperties, EveryMemberIsAQtPropertyByItsName) {
    Meter gauge;
    const QMetaObject* meta = gauge.metaObject();
    for (const auto& member : meter::DispatchMembers()) {
        if (member.type == meter::MemberType::Method) continue;
        const QByteArray name(member.name.data(), static_cast<qsizetype>(member.name.size()));
        const int index = meta->indexOfProperty(name.constData());
        ASSERT_GE(index, meta->propertyOffset()) << name.constData();
        EXPECT_EQ(meta->property(index).isWritable(), !member.readOnly) << name.constData();
        EXPECT_EQ(gauge.property(name.constData()), gauge.GetProperty(member.id))
            << name.constData();
    }
}

TEST(MeterQtProperties, RefusedGenericWriteChangesNothingAndKeepsTheRefusal) {
    // QObject::setProperty says whether Qt handed the value to the write accessor, as
    // Qt documents it; whether the gauge took it is LastError().
    Meter gauge;
    gauge.SetModified(false);
    EXPECT_TRUE(gauge.setProperty("MinValue", 100.0));
    EXPECT_EQ(gauge.MinValue(), 0.0);
    EXPECT_FALSE(gauge.IsModified());
    ASSERT_TRUE(gauge.LastError().has_value());
    EXPECT_EQ(gauge.LastError()->Number(), 380);
    EXPECT_EQ(gauge.LastError()->Code(), 0x800A017Cu);
    EXPECT_EQ(gauge.LastError()->Description(), MinText);

    EXPECT_TRUE(gauge.setProperty("MinValue", 10.0));
    EXPECT_EQ(gauge.MinValue(), 10.0);
    EXPECT_FALSE(gauge.LastError().has_value());

    gauge.setProperty("DecmalLength", 7);
    EXPECT_EQ(gauge.DecmalLength(), 0);
    EXPECT_EQ(gauge.LastError()->Description(), DecimalsText);
    gauge.setProperty("MaxRedZone", 101.0);
    EXPECT_EQ(gauge.MaxRedZone(), 0.0);
    EXPECT_EQ(gauge.LastError()->Description(), ZoneText);
    // Qt's own refusals still make setProperty return false.
    EXPECT_FALSE(gauge.setProperty("ReadyState", 4));
    EXPECT_EQ(gauge.ReadyState(), 1);
}

TEST(MeterQtProperties, FormsWriteThemThroughSetProperty) {
    // Designer saves a property whose write accessor is named setX as a standard one,
    // and uic then calls setX() directly; the gauge's accessors are private, so every
    // one must be named otherwise for uic to write the property with setProperty().
    const QMetaObject& meta = Meter::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        EXPECT_FALSE(meta.property(i).hasStdCppSet()) << meta.property(i).name();
    }
}

TEST(MeterQtProperties, ColoursAreTheirThirtyTwoBitValues) {
    Meter gauge;
    EXPECT_TRUE(gauge.setProperty("ScaleColor", 255u));
    EXPECT_EQ(gauge.ScaleColor(), Colour(255));
    EXPECT_TRUE(gauge.setProperty("BackColor", 0x80000012u));
    EXPECT_EQ(gauge.BackColor(), Colour::System(meter::SystemColour::ButtonText));
    EXPECT_EQ(gauge.property("NeedleColor").toUInt(), 0x000000FFu);
}

TEST(MeterQtProperties, ResettingAFontGivesTheDefaultDescription) {
    QWidget parent;
    parent.setFont(QFont(QStringLiteral("DejaVu Sans"), 7));
    Meter gauge(&parent);
    EXPECT_TRUE(gauge.setProperty("NumberFont", QVariant()));
    EXPECT_EQ(gauge.NumberFont().family(), "MS Sans Serif");
    EXPECT_EQ(gauge.NumberFont().pointSize(), 12);
    EXPECT_EQ(gauge.CaptionFont().pointSize(), 7);
}

TEST(MeterAbout, ModalDialogWithNameAndVersion) {
    // Every form of the version is the build's one version number.
    EXPECT_EQ(meter::LoadedLibraryVersion(), METER_PROJECT_VERSION);
    EXPECT_STREQ(METER_VERSION_TEXT, METER_PROJECT_VERSION);
    EXPECT_EQ(QStringLiteral("%1.%2.%3.%4")
                  .arg(METER_VERSION_MAJOR)
                  .arg(METER_VERSION_MINOR)
                  .arg(METER_VERSION_PATCH)
                  .arg(METER_VERSION_BUILD),
              METER_PROJECT_VERSION);

    Meter gauge;
    QStringList texts;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) return;
        modal = dialog->isModal();
        for (const QLabel* label : dialog->findChildren<QLabel*>()) texts.append(label->text());
        dialog->close();
    });
    gauge.AboutBox();  // returns once the dialog is closed
    EXPECT_TRUE(modal);
    EXPECT_TRUE(texts.contains("Brask Meter ActiveX Control Module"));
    EXPECT_TRUE(texts.contains("Version 1.0.0.5"));
}
