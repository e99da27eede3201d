#include "settings/ValueConversion.h"

#include <cmath>
#include <limits>
#include <optional>

#include "common/AsciiText.h"
#include "common/Rounding.h"
#include "common/RuntimeError.h"
#include "settings/NumberText.h"

namespace orvane {
namespace {

template <typename Int>
Int ToInteger(double value) {
    if (!std::isfinite(value)) throw RuntimeError(ErrorNumber::Overflow);
    const double rounded = RoundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        throw RuntimeError(ErrorNumber::Overflow);
    }
    return static_cast<Int>(rounded);
}

}  // namespace

float ToSingle(double value) {
    // From this magnitude on, rounding to single precision gives an infinity.
    constexpr double kLimit = 0x1.ffffffp127;
    if (!(std::fabs(value) < kLimit)) throw RuntimeError(ErrorNumber::Overflow);
    return static_cast<float>(value);
}

std::int32_t ToInt32(double value) {
    return ToInteger<std::int32_t>(value);
}

std::int16_t ToInt16(double value) {
    return ToInteger<std::int16_t>(value);
}

meter::Colour ToColour(double value) {
    return meter::Colour::FromInt32(ToInt32(value));
}

double ToFinite(double value) {
    if (!std::isfinite(value)) throw RuntimeError(ErrorNumber::Overflow);
    return value;
}

bool FlagValue(std::string_view text) noexcept {
    return text == "True";
}

bool BooleanTextValue(std::string_view text) {
    if (EqualsIgnoringAsciiCase(text, "True")) return true;
    if (EqualsIgnoringAsciiCase(text, "False")) return false;
    const std::optional<double> number = WholeNumber(text);
    if (!number) throw RuntimeError(ErrorNumber::TypeMismatch);
    return ToFinite(*number) != 0;
}

float StrictNumberValue(std::string_view text) {
    const std::optional<double> number = WholeNumber(text);
    if (!number) throw RuntimeError(ErrorNumber::TypeMismatch);
    return ToSingle(*number);
}

}  // namespace orvane
