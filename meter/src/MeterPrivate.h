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

// The description of the fonts' default when the container has no font of its own.
QFont DefaultDescriptionFont();

}  // namespace meter::detail
