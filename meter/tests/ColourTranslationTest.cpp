// Colour values to drawing colours: RGB as it is, system colours from the palette.
#include <meter/ColourTranslation.h>

#include <gtest/gtest.h>

using meter::Colour;
using meter::SystemColour::ButtonFace;

TEST(ColourTranslation, RgbValuesHaveRedInTheLowByte) {
    const QPalette palette;
    EXPECT_EQ(meter::ToQColor(Colour(255), palette), QColor(255, 0, 0));
    EXPECT_EQ(meter::ToQColor(Colour(65280), palette), QColor(0, 255, 0));
    EXPECT_EQ(meter::ToQColor(Colour(16711680), palette), QColor(0, 0, 255));
    EXPECT_EQ(meter::ToQColor(Colour(0x02123456), palette), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(meter::FromQColor(QColor(0x56, 0x34, 0x12)), Colour(0x00123456));
}

TEST(ColourTranslation, SystemColoursFollowThePalette) {
    QPalette palette;
    const auto set = [&](QPalette::ColorRole role, int shade) {
        palette.setColor(QPalette::Active, role, QColor(shade, 1, 2));
    };
    set(QPalette::Window, 10);
    set(QPalette::ButtonText, 20);
    set(QPalette::Base, 30);
    set(QPalette::Text, 40);
    set(QPalette::Highlight, 50);
    set(QPalette::ToolTipBase, 60);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(70, 1, 2));
    palette.setCurrentColorGroup(QPalette::Active);
    const auto shade = [&](int index) {
        return meter::ToQColor(Colour::System(static_cast<std::uint8_t>(index)), palette).red();
    };
    EXPECT_EQ(shade(ButtonFace), 10);
    EXPECT_EQ(shade(18), 20);  // button text
    EXPECT_EQ(shade(5), 30);   // window (an edit field's background)
    EXPECT_EQ(shade(8), 40);   // window text
    EXPECT_EQ(shade(13), 50);  // highlight
    EXPECT_EQ(shade(24), 60);  // info background
    EXPECT_EQ(shade(17), 70);  // grey text
    EXPECT_EQ(meter::ToQColor(Colour(0x80000019), palette), QColor(Qt::black));  // unused index
    EXPECT_EQ(meter::ToQColor(Colour(0x800000FF), palette), QColor(Qt::black));
}
