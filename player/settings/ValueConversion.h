#pragma once

// Conversions of settings values to what the window's elements take. Each raises
// orvane::RuntimeError with the number the layout's error message shows: Overflow (6)
// for a number outside the target's range, TypeMismatch (13) for a text that is not
// of the kind required.

#include <cstdint>
#include <string_view>

#include "meter/Colour.h"

namespace orvane {

// A number as single precision (positions, sizes, label font sizes).
float ToSingle(double value);

// A number as a 32-bit integer (colours, opacity), rounded half to even (RoundHalfEven).
std::int32_t ToInt32(double value);

// A number as a 16-bit integer (item codes, window state), rounded half to even.
std::int16_t ToInt16(double value);

// A number as a colour: its 32-bit integer taken as the colour's bits, so the
// decimal -2147483630 is the system colour 0x80000012.
meter::Colour ToColour(double value);

// A finite double; an infinity (a number too large to read) is an overflow.
double ToFinite(double value);

// A flag: true only for exactly "True".
bool FlagValue(std::string_view text) noexcept;

// Boolean text: "True" or "False" in any letter case, or a whole number (non-zero is
// true). Anything else, the empty text included, is a type mismatch.
bool BooleanTextValue(std::string_view text);

// Strict number: the whole text as a number, then single precision. A text that is
// not wholly a number is a type mismatch; a number too large for single precision an
// overflow.
float StrictNumberValue(std::string_view text);

}  // namespace orvane
