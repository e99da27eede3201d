#include "common/RuntimeError.h"

#include <string>

namespace orvane {

RuntimeError::RuntimeError(int number)
    : std::runtime_error(std::string(meter::StandardErrorText(number))), number_(number) {}

}  // namespace orvane
