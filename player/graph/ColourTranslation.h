#pragma once

#include <QColor>
#include <QPalette>

#include "meter/Colour.h"

namespace orvane {

// Turns a 32-bit colour value into the colour to draw: an RGB value as it is, a system
// colour (top bit set) as the palette colour that plays the same part on this desktop.
// Indexes outside the classic table of 25 system colours give black.
//
// The gauge library offers the same translation; the graph keeps this one private copy
// so that it depends on nothing but the colour type. Only usrGraph.cpp calls it.
QColor ToQColor(meter::Colour colour, const QPalette& palette);

}  // namespace orvane
