#pragma once

// Numbers as the settings file writes them: the forgiving leading-number rule every
// numeric key is read by, the strict whole-text rule of a few layout keys, and the
// general text form numbers are written in (common/GeneralText.h). "." is the decimal
// separator whatever the locale.

#include <optional>
#include <string_view>

#include "common/GeneralText.h"

namespace orvane {

// The number at the start of `text`. Spaces, tabs and line feeds are skipped wherever
// they stand; then an optional sign, digits with an optional "." fraction and an
// optional exponent ("E" or "e", optional sign, digits), or "&H" / "&O" followed by
// hexadecimal / octal digits. Reading stops at the first character that cannot
// continue the number; text that does not start with one gives 0.
//
// Hexadecimal and octal values are 32-bit patterns: &HFFFF is 65535, &H80000012 is
// -2147483630 (the way colours are written) and &HFFFFFFFF is -1; a longer value
// keeps its plain unsigned size. A decimal value beyond the range of a double gives
// an infinity. Never fails.
double LeadingNumber(std::string_view text) noexcept;

// The number `text` is as a whole: blanks around it are allowed, anything else that
// does not belong to one number makes it no number (the empty text included). Same
// number syntax as LeadingNumber, without blanks inside.
std::optional<double> WholeNumber(std::string_view text) noexcept;

}  // namespace orvane
