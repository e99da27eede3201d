#pragma once

// The general text form of a number, as the settings file and the graph's scale
// labels write numbers: the shortest text that gives the number back to 15
// significant digits for a double and 7 for a single-precision number, exponent form
// from that many integer digits on and for small magnitudes ("1E+15", "1E-05"), no
// trailing zeros, "0" for both zeros. "." is the decimal separator whatever the locale.
// 54.0 gives "54", 100.5f "100.5", 82.26667f "82.26667".

#include <cstdint>
#include <string>

namespace orvane {

std::string GeneralText(double value);
std::string GeneralText(float value);
std::string GeneralText(std::int64_t value);
std::string GeneralText(std::uint64_t value);

}  // namespace orvane
