#pragma once

#include <meter/meter_export.h>

#include <QPoint>

class QImage;
class QPainter;

namespace meter {

// Draws image with its top-left corner at topLeft, exactly as painter.drawImage(topLeft,
// image) would, but as a series of copies of at most 48 rows each.
//
// Qt's raster paint engine hands a taller image copy to its worker threads; for the small
// pictures a widget repaints many times a second (a gauge, a strip chart), waking those
// threads costs more than the copy itself. Each band is a view onto the image's own rows:
// nothing is copied beforehand, so the image may well be a view onto another buffer
// (any bytes per line). The colour table of an indexed image goes with every band. An
// image with a device pixel ratio other than 1 is drawn in one piece.
METER_EXPORT void DrawImageInBands(QPainter& painter, QPoint topLeft, const QImage& image);

}  // namespace meter
