#include "graph/ColourTranslation.h"

#include <array>

namespace orvane {

namespace {

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Index = meter::SystemColour value. Roles picked for what each classic colour is used
// for: captions and selections as highlights, 3-D edges as the bevel roles, and so on.
constexpr std::array<SystemRole, 25> kSystemRoles{{
    {QPalette::Active, QPalette::Midlight},           // ScrollBar
    {QPalette::Active, QPalette::Dark},               // Background (desktop)
    {QPalette::Active, QPalette::Highlight},          // ActiveCaption
    {QPalette::Inactive, QPalette::Mid},              // InactiveCaption
    {QPalette::Active, QPalette::Window},             // Menu
    {QPalette::Active, QPalette::Base},               // Window
    {QPalette::Active, QPalette::Shadow},             // WindowFrame
    {QPalette::Active, QPalette::WindowText},         // MenuText
    {QPalette::Active, QPalette::Text},               // WindowText
    {QPalette::Active, QPalette::HighlightedText},    // CaptionText
    {QPalette::Active, QPalette::Window},             // ActiveBorder
    {QPalette::Inactive, QPalette::Window},           // InactiveBorder
    {QPalette::Active, QPalette::Dark},               // AppWorkspace
    {QPalette::Active, QPalette::Highlight},          // Highlight
    {QPalette::Active, QPalette::HighlightedText},    // HighlightText
    {QPalette::Active, QPalette::Button},             // ButtonFace
    {QPalette::Active, QPalette::Dark},               // ButtonShadow
    {QPalette::Disabled, QPalette::Text},             // GrayText
    {QPalette::Active, QPalette::ButtonText},         // ButtonText
    {QPalette::Inactive, QPalette::HighlightedText},  // InactiveCaptionText
    {QPalette::Active, QPalette::Light},              // ButtonHighlight
    {QPalette::Active, QPalette::Shadow},             // DarkShadow3D
    {QPalette::Active, QPalette::Midlight},           // Light3D
    {QPalette::Active, QPalette::ToolTipText},        // InfoText
    {QPalette::Active, QPalette::ToolTipBase},        // InfoBackground
}};

}  // namespace

QColor ToQColor(meter::Colour colour, const QPalette& palette) {
    if (!colour.IsSystem()) return QColor(colour.Red(), colour.Green(), colour.Blue());
    const std::uint8_t index = colour.SystemIndex();
    if (index >= kSystemRoles.size()) return QColor(Qt::black);
    const SystemRole& entry = kSystemRoles[index];
    return palette.color(entry.group, entry.role);
}

}  // namespace orvane
