#include <meter/PropertyError.h>

namespace meter {

namespace {
// The 32-bit code of an error: 0x800A0000 plus its number, so 380 is 0x800A017C.
constexpr std::uint32_t CodeOf(int number) {
    return 0x800A0000u + static_cast<std::uint32_t>(number);
}

// An error with the standard text of its number.
PropertyError Standard(int number) {
    const std::string_view text = StandardErrorText(number);
    return {number, CodeOf(number),
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))};
}
}  // namespace

PropertyError::PropertyError(int number, std::uint32_t code, const QString& description)
    : std::runtime_error(description.toStdString()),
      number_(number),
      code_(code),
      description_(description) {}

PropertyError PropertyError::InvalidValue(const QString& description) {
    return {ErrorNumber::InvalidPropertyValue, CodeOf(ErrorNumber::InvalidPropertyValue),
            description};
}

PropertyError PropertyError::InvalidValue() {
    return Standard(ErrorNumber::InvalidPropertyValue);
}

PropertyError PropertyError::TypeMismatch() {
    return Standard(ErrorNumber::TypeMismatch);
}

PropertyError PropertyError::Overflow() {
    return Standard(ErrorNumber::Overflow);
}

PropertyError PropertyError::NotSupported() {
    return Standard(ErrorNumber::NotSupported);
}

}  // namespace meter
