#include <meter/ColourTranslation.h>

#include <array>

namespace meter {

namespace {

using Role = QPalette::ColorRole;

// Palette roles of the system colour indexes 0 to 30 (25 is unused).
constexpr int NoRole = -1;
constexpr std::array<int, 31> SystemRoles = {
    Role::Mid,              // 0 ScrollBar
    Role::Dark,             // 1 Background (desktop)
    Role::Highlight,        // 2 ActiveCaption
    Role::Dark,             // 3 InactiveCaption
    Role::Window,           // 4 Menu
    Role::Base,             // 5 Window
    Role::Shadow,           // 6 WindowFrame
    Role::WindowText,       // 7 MenuText
    Role::Text,             // 8 WindowText
    Role::HighlightedText,  // 9 CaptionText
    Role::Button,           // 10 ActiveBorder
    Role::Button,           // 11 InactiveBorder
    Role::Dark,             // 12 AppWorkspace
    Role::Highlight,        // 13 Highlight
    Role::HighlightedText,  // 14 HighlightText
    Role::Window,           // 15 ButtonFace
    Role::Dark,             // 16 ButtonShadow
    Role::Text,             // 17 GrayText (from the Disabled group)
    Role::ButtonText,       // 18 ButtonText
    Role::Midlight,         // 19 InactiveCaptionText
    Role::Light,            // 20 ButtonHighlight
    Role::Shadow,           // 21 DarkShadow3D
    Role::Midlight,         // 22 Light3D
    Role::ToolTipText,      // 23 InfoText
    Role::ToolTipBase,      // 24 InfoBackground
    NoRole,                 // 25
    Role::Link,             // 26 HotLight
    Role::Highlight,        // 27 GradientActiveCaption
    Role::Dark,             // 28 GradientInactiveCaption
    Role::Highlight,        // 29 MenuHighlight
    Role::Window,           // 30 MenuBar
};

}  // namespace

QColor ToQColor(Colour colour, const QPalette& palette) {
    if (!colour.IsSystem()) return {colour.Red(), colour.Green(), colour.Blue()};
    const std::uint8_t index = colour.SystemIndex();
    if (index >= SystemRoles.size() || SystemRoles[index] == NoRole) return Qt::black;
    const auto role = static_cast<Role>(SystemRoles[index]);
    if (index == SystemColour::GrayText) return palette.color(QPalette::Disabled, role);
    return palette.color(palette.currentColorGroup(), role);
}

Colour FromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return Colour::Rgb(static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
                       static_cast<std::uint8_t>(rgb.blue()));
}

}  // namespace meter
