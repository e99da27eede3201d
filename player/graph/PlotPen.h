#pragma once

#include <QRgb>

namespace orvane {

// A solid pen of the plot: its colour as drawn and its width in pixels. Width 0 is the
// one-pixel pen, whose lines leave out their end point; wider pens have round caps.
struct PlotPen {
    QRgb colour = qRgb(0, 0, 0);
    int width = 0;
};

}  // namespace orvane
