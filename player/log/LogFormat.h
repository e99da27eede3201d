#pragma once

// Sizes and offsets of a log file: a 44-byte header, then one 22-byte record per
// sample. Everything is little-endian; the file has no signature, trailer or checksum.

#include <cstdint>

namespace orvane {

inline constexpr int HeaderSize = 44;
inline constexpr int RecordSize = 22;
inline constexpr int SlotCount = 18;

// Number of records of a file of `length` bytes: (length - 44) / 22 rounded to the
// nearest whole number, exact halves to the even neighbour. A trailing partial record
// of 12 or more bytes therefore counts (it can never be read); an empty file gives -2.
// Clamped to the 32-bit range.
std::int32_t RecordCountForLength(std::int64_t length) noexcept;

// File offset of record n (1-based).
constexpr std::int64_t RecordOffset(std::int64_t n) noexcept {
    return HeaderSize + static_cast<std::int64_t>(RecordSize) * (n - 1);
}

// The millisecond part of a record's counter: Millis mod 1000 with the sign of Millis.
constexpr std::int32_t MillisPart(std::int32_t millis) noexcept {
    return millis % 1000;
}

// The whole seconds of a record's counter, rounded down (towards minus infinity).
constexpr std::int64_t WholeSeconds(std::int32_t millis) noexcept {
    const std::int64_t m = millis;
    return m >= 0 ? m / 1000 : -((-m + 999) / 1000);
}

}  // namespace orvane
