#pragma once

#include "DialPainter.h"
#include "MeterState.h"

#include <meter/PropertyError.h>

#include <optional>

namespace meter::detail {

// Private data of Meter.
class MeterPrivate {
public:
    MeterState state;
    DialCache cache;
    DialText text;
    std::optional<PropertyError> lastError;
    bool modified = false;
    bool drawingMetafile = false;
};

// The fonts' default ("MS Sans Serif", 12 pt, bold) for a gauge without a parent.
QFont DefaultDescriptionFont();

}  // namespace meter::detail
