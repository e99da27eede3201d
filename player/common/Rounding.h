#pragma once

namespace orvane {

// Rounds to the nearest whole number, exact halves to the even neighbour (0.5 gives 0,
// 1.5 and 2.5 give 2, -2.5 gives -2), whatever the floating-point rounding mode is.
// Infinities and NaN come back unchanged.
double RoundHalfEven(double value) noexcept;

}  // namespace orvane
