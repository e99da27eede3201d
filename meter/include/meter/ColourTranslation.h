#pragma once

#include <meter/Colour.h>
#include <meter/meter_export.h>

#include <QColor>
#include <QPalette>

namespace meter {

// Turns a 32-bit colour value into the colour to draw with. An RGB value is taken
// as it is (the top byte below 0x80 is ignored). A system colour (top bit set) is
// looked up by the index in its low byte in the given palette, using the palette's
// current colour group, so that the gauge, the graph and the player's window follow
// the desktop's colour scheme as the classic system colours did:
//
//   0 ScrollBar -> Mid            9 CaptionText -> HighlightedText  18 ButtonText -> ButtonText
//   1 Background -> Dark         10 ActiveBorder -> Button         19 InactiveCaptionText ->
//   Midlight 2 ActiveCaption -> Highlight 11 InactiveBorder -> Button       20 ButtonHighlight ->
//   Light 3 InactiveCaption -> Dark    12 AppWorkspace -> Dark           21 DarkShadow3D -> Shadow
//   4 Menu -> Window             13 Highlight -> Highlight         22 Light3D -> Midlight
//   5 Window -> Base             14 HighlightText -> HighlightedText 23 InfoText -> ToolTipText
//   6 WindowFrame -> Shadow      15 ButtonFace -> Window           24 InfoBackground -> ToolTipBase
//   7 MenuText -> WindowText     16 ButtonShadow -> Dark
//   8 WindowText -> Text         17 GrayText -> Text of the Disabled group
//
// ButtonFace, the background of dialogs and forms, maps to the Window role so that a
// control whose background is ButtonFace matches the widget it sits on. The later
// indexes 26 to 30 (hot-track, caption gradients, menu highlight and bar) map to Link,
// Highlight, Dark, Highlight and Window; any other index is black.
METER_EXPORT QColor ToQColor(Colour colour, const QPalette& palette);

// The RGB colour value of a colour (alpha is dropped).
METER_EXPORT Colour FromQColor(const QColor& colour);

}  // namespace meter
