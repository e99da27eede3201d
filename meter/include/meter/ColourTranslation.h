#pragma once

#include <meter/Colour.h>
#include <meter/meter_export.h>

#include <QColor>
#include <QPalette>

namespace meter {

// Turns a 32-bit colour value into the colour to draw with. An RGB value is taken as it
// is (the top byte below 0x80 is ignored). A system colour (top bit set) is looked up
// by the index in its low byte in the given palette, in the palette's current colour
// group, so that the gauge, the graph and the player's window follow the desktop's
// colour scheme:
//
//    0 ScrollBar -> Mid                  16 ButtonShadow -> Dark
//    1 Background -> Dark                17 GrayText -> Text of the Disabled group
//    2 ActiveCaption -> Highlight        18 ButtonText -> ButtonText
//    3 InactiveCaption -> Dark           19 InactiveCaptionText -> Midlight
//    4 Menu -> Window                    20 ButtonHighlight -> Light
//    5 Window -> Base                    21 DarkShadow3D -> Shadow
//    6 WindowFrame -> Shadow             22 Light3D -> Midlight
//    7 MenuText -> WindowText            23 InfoText -> ToolTipText
//    8 WindowText -> Text                24 InfoBackground -> ToolTipBase
//    9 CaptionText -> HighlightedText    26 HotLight -> Link
//   10 ActiveBorder -> Button            27 GradientActiveCaption -> Highlight
//   11 InactiveBorder -> Button          28 GradientInactiveCaption -> Dark
//   12 AppWorkspace -> Dark              29 MenuHighlight -> Highlight
//   13 Highlight -> Highlight            30 MenuBar -> Window
//   14 HighlightText -> HighlightedText
//   15 ButtonFace -> Window
//
// ButtonFace, the background of dialogs and windows, maps to the Window role so that a
// control whose background is ButtonFace matches the widget it sits on. Index 25 and
// any index above 30 are black.
METER_EXPORT QColor ToQColor(Colour colour, const QPalette& palette);

// The RGB colour value of a colour (alpha is dropped).
METER_EXPORT Colour FromQColor(const QColor& colour);

}  // namespace meter
