#pragma once

// Run-time error numbers with their standard texts: the numbers of the gauge's property
// errors, and of the errors a program that uses the gauge raises beside them, so that
// one number always comes with one text. Plain C++ (target meter_errors): programs that
// do not link the widgets can use it.

#include <string_view>

namespace meter {

namespace ErrorNumber {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int NotSupported = 438;
}  // namespace ErrorNumber

// The standard text of an error number (UTF-8); a generic text for numbers outside the
// table.
constexpr std::string_view StandardErrorText(int number) noexcept {
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

}  // namespace meter
