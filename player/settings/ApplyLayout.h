#pragma once

#include "settings/LayoutWindow.h"

namespace orvane {

// Turns the settings file into the window: the window's opacity, the slot item codes,
// the name labels, value boxes (with their alarm thresholds and colours), gauges (with
// their ranges and coloured zones), graphs, the switch panel and its five lamps.
//
// Each value is applied right after it is read, in the order of the schema, so the
// first value that does not convert, or that an element refuses, stops the layout
// with its error: orvane::RuntimeError, or meter::PropertyError from a gauge. The
// caller reports it and ends the program; there is no partial layout to go on with.
void ApplyLayout(const LayoutWindow& window);

// The error number of an exception raised by ApplyLayout.
int LayoutErrorNumber(const std::exception& error) noexcept;

}  // namespace orvane
