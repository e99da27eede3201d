#include <meter/PropertyError.h>

namespace meter {

namespace {
// The 32-bit code of an error: 0x800A0000 plus its number, so 380 is 0x800A017C.
constexpr std::uint32_t CodeOf(int number) {
    return 0x800A0000u + static_cast<std::uint32_t>(number);
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
    return InvalidValue(QStringLiteral("プロパティの値が不正です。"));
}

PropertyError PropertyError::TypeMismatch() {
    return {ErrorNumber::TypeMismatch, CodeOf(ErrorNumber::TypeMismatch),
            QStringLiteral("型が一致しません。")};
}

PropertyError PropertyError::Overflow() {
    return {ErrorNumber::Overflow, CodeOf(ErrorNumber::Overflow),
            QStringLiteral("オーバーフローしました。")};
}

PropertyError PropertyError::NotSupported() {
    return {ErrorNumber::NotSupported, CodeOf(ErrorNumber::NotSupported),
            QStringLiteral("オブジェクトは、このプロパティまたはメソッドをサポートしていません。")};
}

}  // namespace meter
