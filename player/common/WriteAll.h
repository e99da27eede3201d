#pragma once

#include <string_view>

namespace orvane {

// Writes all of `bytes` to the file descriptor `fd`, retrying after interruptions and
// partial writes. Returns false when a write fails; errno then tells why.
bool WriteAll(int fd, std::string_view bytes) noexcept;

}  // namespace orvane
