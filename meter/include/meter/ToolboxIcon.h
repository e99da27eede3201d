#pragma once

#include <meter/meter_export.h>

#include <QPixmap>

namespace meter {

// The gauge's 16 x 15 toolbox picture (a small dial with a red needle), drawn by the
// library so that tools such as Qt Designer can show it.
METER_EXPORT QPixmap ToolboxIcon();

}  // namespace meter
