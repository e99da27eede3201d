#pragma once

#include <meter/ErrorNumber.h>
#include <meter/meter_export.h>

#include <QString>

#include <cstdint>
#include <stdexcept>

namespace meter {

// The error a gauge raises to the caller of a property write it refuses: the error
// number, its 32-bit code (0x800A0000 plus the number) and the description text shown
// to the user. The gauge's state is unchanged when this is thrown.
class METER_EXPORT PropertyError : public std::runtime_error {
public:
    PropertyError(int number, std::uint32_t code, const QString& description);

    // Invalid property value (380, 0x800A017C) with the gauge's own description.
    static PropertyError InvalidValue(const QString& description);
    // Invalid property value with its standard text.
    static PropertyError InvalidValue();
    // Type mismatch (13): a value of the wrong kind was written by identifier or name.
    static PropertyError TypeMismatch();
    // Overflow (6): a number does not fit the property's 16-bit integer type.
    static PropertyError Overflow();
    // Object doesn't support this property or method (438): an unknown identifier, or a
    // write to the read-only ReadyState.
    static PropertyError NotSupported();

    int Number() const noexcept { return number_; }
    std::uint32_t Code() const noexcept { return code_; }
    const QString& Description() const noexcept { return description_; }

private:
    int number_;
    std::uint32_t code_;
    QString description_;
};

}  // namespace meter
