#include "common/RuntimeError.h"

namespace orvane {

RuntimeError::RuntimeError(int number)
    : std::runtime_error(std::string(StandardText(number))), number_(number) {}

std::string_view RuntimeError::StandardText(int number) noexcept {
    switch (number) {
        case ErrorNumber::InvalidProcedureCall:
            return "プロシージャの呼び出し、または引数が不正です。";
        case ErrorNumber::Overflow:
            return "オーバーフローしました。";
        case ErrorNumber::OutOfMemory:
            return "メモリが不足しています。";
        case ErrorNumber::SubscriptOutOfRange:
            return "インデックスが有効範囲にありません。";
        case ErrorNumber::DivisionByZero:
            return "0 で除算しました。";
        case ErrorNumber::TypeMismatch:
            return "型が一致しません。";
        case ErrorNumber::InvalidPropertyValue:
            return "プロパティの値が不正です。";
        case ErrorNumber::NotSupported:
            return "オブジェクトは、このプロパティまたはメソッドをサポートしていません。";
        default:
            return "アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

}  // namespace orvane
