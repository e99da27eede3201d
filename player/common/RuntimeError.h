#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

// Error numbers of the run-time errors the player's controls and layout can raise.
// The numbers are the ones users of the original Windows program know from its
// error messages, so they are kept.
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

// A run-time error with its number and the standard text of that number.
// Raised by the graph's arithmetic and by the layout's value conversions; the
// layout's error message shows both the number and the text.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number);

    int Number() const noexcept { return number_; }

    // The fixed standard text of an error number; a generic text for numbers
    // outside the table.
    static std::string_view StandardText(int number) noexcept;

private:
    int number_;
};

}  // namespace orvane
