#include "common/GeneralText.h"

#include <charconv>

namespace orvane {
namespace {

// Longer than any text of a double or float to 15 digits ("-1.23456789012345E-308").
constexpr std::size_t kMaxLength = 32;

template <typename Float>
std::size_t Write(char* out, Float value, int digits) noexcept {
    if (value == 0) {
        out[0] = '0';
        return 1;
    }
    const auto result =
        std::to_chars(out, out + kMaxLength, value, std::chars_format::general, digits);
    for (char* c = out; c != result.ptr; ++c) {
        if (*c == 'e') *c = 'E';
    }
    return static_cast<std::size_t>(result.ptr - out);
}

}  // namespace

std::string GeneralText(double value) {
    char buffer[kMaxLength];
    return std::string(buffer, Write(buffer, value, 15));
}

std::string GeneralText(float value) {
    char buffer[kMaxLength];
    return std::string(buffer, Write(buffer, value, 7));
}

std::string GeneralText(std::int64_t value) {
    return std::to_string(value);
}

std::string GeneralText(std::uint64_t value) {
    return std::to_string(value);
}

}  // namespace orvane
