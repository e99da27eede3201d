#pragma once

// Conversions of the values written by dispatch identifier or read from a saved
// property set into the properties' types. Each throws meter::PropertyError
// (TypeMismatch or Overflow) for a value it cannot take.

#include <meter/Colour.h>

#include <QFont>
#include <QString>
#include <QVariant>

#include <cstdint>

namespace meter::detail {

double ToDouble(const QVariant& value);
bool ToBool(const QVariant& value);
// Whole numbers; a fractional number is rounded to the nearest, exact halves to even.
std::int16_t ToInt16(const QVariant& value);
std::int32_t ToInt32(const QVariant& value);
// Any whole number from -2^31 to 2^32 - 1: the signed decimal form of the settings
// file and the unsigned 32-bit value both work.
Colour ToColour(const QVariant& value);
QFont ToFont(const QVariant& value);
QString ToText(const QVariant& value);

}  // namespace meter::detail
