#include "VariantConversion.h"

#include <meter/PropertyError.h>

#include <cmath>
#include <limits>

namespace meter::detail {

namespace {

bool IsNumber(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

bool IsText(const QVariant& value) {
    return value.metaType().id() == QMetaType::QString ||
           value.metaType().id() == QMetaType::QByteArray;
}

// A whole number in [low, high], rounding fractional numbers to even.
long double ToWhole(const QVariant& value, long double low, long double high) {
    const double number = ToDouble(value);
    if (std::isnan(number)) throw PropertyError::Overflow();
    long double whole = 0;
    switch (value.metaType().id()) {
        case QMetaType::LongLong:
            whole = static_cast<long double>(value.toLongLong());
            break;
        case QMetaType::ULongLong:
            whole = static_cast<long double>(value.toULongLong());
            break;
        default:
            whole = std::nearbyint(static_cast<long double>(number));
            break;
    }
    if (whole < low || whole > high) throw PropertyError::Overflow();
    return whole;
}

}  // namespace

double ToDouble(const QVariant& value) {
    if (!IsNumber(value) && !IsText(value)) throw PropertyError::TypeMismatch();
    bool ok = false;
    const double number =
        IsText(value) ? value.toString().trimmed().toDouble(&ok) : value.toDouble(&ok);
    if (!ok) throw PropertyError::TypeMismatch();
    return number;
}

bool ToBool(const QVariant& value) {
    if (value.metaType().id() == QMetaType::Bool) return value.toBool();
    if (IsText(value)) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    }
    return ToDouble(value) != 0.0;
}

std::int16_t ToInt16(const QVariant& value) {
    return static_cast<std::int16_t>(ToWhole(value, std::numeric_limits<std::int16_t>::min(),
                                             std::numeric_limits<std::int16_t>::max()));
}

std::int32_t ToInt32(const QVariant& value) {
    return static_cast<std::int32_t>(ToWhole(value, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
}

Colour ToColour(const QVariant& value) {
    const long double whole = ToWhole(value, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::uint32_t>::max());
    const auto wide = static_cast<long long>(whole);
    return Colour(static_cast<std::uint32_t>(wide));
}

QFont ToFont(const QVariant& value) {
    if (value.metaType().id() != QMetaType::QFont) throw PropertyError::TypeMismatch();
    return value.value<QFont>();
}

QString ToText(const QVariant& value) {
    if (!IsText(value) && !IsNumber(value)) throw PropertyError::TypeMismatch();
    return value.toString();
}

}  // namespace meter::detail
