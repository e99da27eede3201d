#include "common/Rounding.h"

#include <cmath>

namespace orvane {

double RoundHalfEven(double value) noexcept {
    if (!std::isfinite(value)) return value;
    // remainder() rounds the quotient to even on ties, whatever the rounding mode.
    return value - std::remainder(value, 1.0);
}

}  // namespace orvane
