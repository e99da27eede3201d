// The dispatch table and access to properties by identifier.
#include <meter/Meter.h>

#include <gtest/gtest.h>

#include <QFont>

#include <functional>

using meter::Colour;
using meter::DispId;
using meter::PropertyError;

namespace {

int ErrorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const PropertyError& error) {
        return error.Number();
    }
    return 0;
}

}  // namespace

TEST(MeterDispatch, OwnPropertiesAreOneToFifteenInTableOrder) {
    const auto members = meter::DispatchMembers();
    ASSERT_EQ(members.size(), 21u);
    const char* own[] = {"ScaleColor",    "NeedleColor",   "NumberColor", "CaptionColor",
                         "ThickNeedle",   "TriggerEnabed", "MinValue",    "MaxValue",
                         "DecmalLength",  "NumberFont",    "CaptionFont", "MaxGreenZone",
                         "MaxYellowZone", "MaxRedZone",    "Value"};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(static_cast<int>(members[i].id), i + 1);
        EXPECT_EQ(members[i].name, own[i]);
        EXPECT_FALSE(members[i].bindable);
    }
    EXPECT_EQ(meter::FindMember("Appearance")->id, DispId::Appearance);
    EXPECT_EQ(static_cast<int>(DispId::Appearance), -520);
    EXPECT_EQ(static_cast<int>(DispId::BackColor), -501);
    EXPECT_EQ(static_cast<int>(DispId::BorderStyle), -504);
    EXPECT_EQ(static_cast<int>(DispId::Caption), -518);
    EXPECT_EQ(static_cast<int>(DispId::ReadyState), -525);
    EXPECT_EQ(static_cast<int>(DispId::AboutBox), -552);
    EXPECT_TRUE(meter::FindMember(DispId::Caption)->bindable);
    EXPECT_TRUE(meter::FindMember(DispId::ReadyState)->readOnly);
    EXPECT_EQ(meter::FindMember("DecmalLength")->helpString,
              "ｽｹｰﾙｽｳﾁ ﾉ ｼｮｳｽｳﾃﾝｲｶ ﾉ ｹﾀｽｳ (0ｶﾗ4ﾏﾃﾞ ｼﾃｲ ｶﾉｳ)");
    EXPECT_EQ(meter::FindMember("DecimalLength"), nullptr);  // the spelling is the interface
    EXPECT_EQ(meter::TypeLibraryOrder().front(), DispId::Appearance);
    EXPECT_EQ(meter::TypeLibraryOrder().back(), DispId::AboutBox);
    EXPECT_EQ(meter::TypeLibraryOrder().size(), 21u);
}

TEST(MeterDispatch, GetAndSetByIdentifier) {
    Meter gauge;
    gauge.SetProperty(DispId::ScaleColor, -2147483633);  // signed decimal form
    EXPECT_EQ(gauge.ScaleColor(), Colour(0x8000000F));
    gauge.SetProperty(DispId::NeedleColor, 65280u);
    EXPECT_EQ(gauge.GetProperty(DispId::NeedleColor).toUInt(), 65280u);
    gauge.SetProperty(DispId::ThickNeedle, QStringLiteral("False"));
    EXPECT_FALSE(gauge.ThickNeedle());
    gauge.SetProperty(DispId::TriggerEnabed, 1);
    EXPECT_TRUE(gauge.TriggerEnabed());
    gauge.SetProperty(DispId::MaxValue, QStringLiteral(" 250.5 "));
    EXPECT_EQ(gauge.MaxValue(), 250.5);
    gauge.SetProperty(DispId::DecmalLength, 2.5);  // exact halves round to even
    EXPECT_EQ(gauge.DecmalLength(), 2);
    gauge.SetProperty(DispId::Caption, QStringLiteral("油温"));
    EXPECT_EQ(gauge.GetProperty(DispId::Caption).toString(), "油温");
    QFont font(QStringLiteral("DejaVu Sans"), 9);
    gauge.SetProperty(DispId::CaptionFont, font);
    EXPECT_EQ(gauge.GetProperty(DispId::CaptionFont).value<QFont>(), font);
    gauge.SetProperty(DispId::Value, 12);
    EXPECT_EQ(gauge.GetProperty(DispId::Value).toDouble(), 12.0);
    EXPECT_EQ(gauge.GetProperty(DispId::ReadyState).toInt(), 1);
}

TEST(MeterDispatch, RefusalsByIdentifier) {
    Meter gauge;
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::MinValue, 100); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::MinValue, QStringLiteral("abc")); }),
              13);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::Caption, QFont()); }), 13);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::NumberFont, 12); }), 13);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::DecmalLength, 70000); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::ScaleColor, 5000000000LL); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.SetProperty(DispId::ReadyState, 4); }), 438);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.GetProperty(DispId::AboutBox); }), 438);
    EXPECT_EQ(ErrorNumberOf([&] { gauge.GetProperty(static_cast<DispId>(99)); }), 438);
    EXPECT_EQ(gauge.MinValue(), 0.0);
    EXPECT_EQ(gauge.DecmalLength(), 0);
}
