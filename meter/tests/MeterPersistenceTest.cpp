// Saving, loading and resetting the property set.
#include <meter/Meter.h>
#include <meter/PropertyBag.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

using meter::Colour;
using meter::PropertyBag;

TEST(MeterPersistence, SavesEveryPropertyByNameInOrder) {
    Meter gauge;
    gauge.resize(210, 110);
    const PropertyBag bag = gauge.SaveProperties();
    EXPECT_EQ(bag.Names(),
              (QStringList{"_Version",    "_ExtentX",     "_ExtentY",     "Caption",
                           "BackColor",   "Appearance",   "BorderStyle",  "Value",
                           "MinValue",    "MaxValue",     "MaxGreenZone", "MaxYellowZone",
                           "MaxRedZone",  "CaptionColor", "ScaleColor",   "NeedleColor",
                           "NumberColor", "DecmalLength", "ThickNeedle",  "TriggerEnabed",
                           "NumberFont",  "CaptionFont"}));
    EXPECT_EQ(bag.Value("_Version").toInt(), 0x00010000);
    EXPECT_EQ(bag.Value("_ExtentX").toInt(), 210);
    EXPECT_EQ(bag.Value("ScaleColor").toUInt(), 0x00FF0000u);
}

TEST(MeterPersistence, RoundTripThroughAFile) {
    Meter source;
    source.resize(321, 123);
    source.SetCaption(QStringLiteral("水温"));
    source.SetBackColor(Colour(0x00112233));
    source.SetAppearance(0);
    source.SetBorderStyle(0);
    source.SetMinValue(-40);
    source.SetMaxValue(120);
    source.SetMaxGreenZone(80);
    source.SetMaxYellowZone(100);
    source.SetMaxRedZone(120);
    source.SetValue(95.5);
    source.SetCaptionColor(Colour(0x00FFFFFF));
    source.SetScaleColor(Colour::System(meter::SystemColour::WindowText));
    source.SetNeedleColor(Colour(0x0000FF00));
    source.SetNumberColor(Colour(0x00808080));
    source.SetDecmalLength(3);
    source.SetThickNeedle(false);
    source.SetTriggerEnabed(true);
    QFont numberFont(QStringLiteral("DejaVu Sans"), 8);
    numberFont.setItalic(true);
    source.SetNumberFont(numberFont);
    QFont captionFont(QStringLiteral("IPAPGothic"), 14);
    captionFont.setBold(true);
    source.SetCaptionFont(captionFont);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("gauge.props"));
    ASSERT_TRUE(source.SaveProperties().SaveToFile(path));
    const auto loaded = PropertyBag::LoadFromFile(path);
    ASSERT_TRUE(loaded.has_value());

    Meter copy;
    int changes = 0;
    QObject::connect(&copy, &Meter::Change, [&changes] { ++changes; });
    copy.LoadProperties(*loaded);
    EXPECT_EQ(copy.SaveProperties(), source.SaveProperties());
    EXPECT_EQ(copy.size(), QSize(321, 123));
    EXPECT_EQ(copy.CaptionFont(), captionFont);
    EXPECT_EQ(copy.Value(), 95.5);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(copy.IsModified());
}

TEST(MeterPersistence, LoadingWritesValuesWithoutValidation) {
    PropertyBag bag;
    bag.Set("MinValue", 50.0);
    bag.Set("MaxValue", 10.0);
    bag.Set("MaxRedZone", 500.0);
    bag.Set("DecmalLength", 9);
    bag.Set("Appearance", 7);
    Meter gauge;
    gauge.LoadProperties(bag);
    EXPECT_EQ(gauge.MinValue(), 50.0);
    EXPECT_EQ(gauge.MaxValue(), 10.0);
    EXPECT_EQ(gauge.MaxRedZone(), 500.0);
    EXPECT_EQ(gauge.DecmalLength(), 9);
    EXPECT_EQ(gauge.Appearance(), 7);
    gauge.resize(200, 100);
    EXPECT_FALSE(gauge.grab().isNull());  // drawn as the angles give, without failing
}

TEST(MeterPersistence, MissingOrUnusableEntriesTakeTheirDefaults) {
    PropertyBag bag;
    bag.Set("MinValue", QStringLiteral("not a number"));
    bag.Set("NumberFont", 12);
    bag.Set("DecmalLength", 1e9);
    bag.Set("Caption", QStringLiteral("boost"));
    QWidget parent;
    parent.setFont(QFont(QStringLiteral("DejaVu Sans"), 7));
    Meter gauge(&parent);
    gauge.SetMaxValue(300);
    gauge.LoadProperties(bag);
    EXPECT_EQ(gauge.MinValue(), 0.0);
    EXPECT_EQ(gauge.MaxValue(), 100.0);
    EXPECT_EQ(gauge.DecmalLength(), 0);
    EXPECT_EQ(gauge.Caption(), "boost");
    EXPECT_EQ(gauge.NumberFont(), parent.font());  // the parent's font
    EXPECT_EQ(gauge.BackColor(), Colour(0x8000000F));
}

TEST(MeterPersistence, ResetRestoresEveryDefault) {
    Meter fresh;
    Meter gauge;
    gauge.SetMaxValue(10);
    gauge.SetValue(5);
    gauge.SetThickNeedle(false);
    gauge.SetCaption(QString());
    gauge.SetNumberFont(QFont(QStringLiteral("DejaVu Sans"), 5));
    gauge.ResetProperties();
    PropertyBag expected = fresh.SaveProperties();
    PropertyBag actual = gauge.SaveProperties();
    EXPECT_EQ(actual, expected);
    EXPECT_FALSE(gauge.IsModified());
}

TEST(MeterPersistence, DamagedDataIsRefused) {
    PropertyBag bag;
    bag.Set("Caption", QStringLiteral("x"));
    bag.Set("Value", 3.0);
    QByteArray data;
    {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(bag.Write(buffer));
    }
    for (qsizetype length : {qsizetype(0), qsizetype(6), data.size() - 1}) {
        QByteArray cut = data.left(length);
        QBuffer buffer(&cut);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_FALSE(PropertyBag::Read(buffer).has_value()) << length;
    }
    QByteArray wrongTag = data;
    wrongTag[0] = 'X';
    QBuffer buffer(&wrongTag);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_FALSE(PropertyBag::Read(buffer).has_value());

    QBuffer whole(&data);
    whole.open(QIODevice::ReadOnly);
    EXPECT_EQ(PropertyBag::Read(whole), bag);
}
