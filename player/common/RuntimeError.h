#pragma once

#include <meter/ErrorNumber.h>

#include <stdexcept>

namespace orvane {

// Error numbers of the run-time errors the player's controls and layout can raise. They
// are the gauge library's numbers, so an error the layout reports has one number and
// one text whether the gauge or the player raised it; meter::StandardErrorText gives
// the text.
namespace ErrorNumber = meter::ErrorNumber;

// A run-time error with its number and the standard text of that number.
// Raised by the graph's arithmetic and by the layout's value conversions; the
// layout's error message shows both the number and the text.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number);

    int Number() const noexcept { return number_; }

private:
    int number_;
};

}  // namespace orvane
