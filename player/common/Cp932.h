#pragma once

// Code page 932 (Shift-JIS) byte classes. A character is one byte (ASCII, or a
// half-width katakana from 0xA1 to 0xDF) or two bytes: a lead byte and a trail byte.
// The trail byte can be any of 0x40 to 0xFC, so it can look like ASCII ("]", "\",
// letters): text must be walked from a character boundary.

namespace orvane {

constexpr bool IsCp932LeadByte(unsigned char c) noexcept {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr bool IsCp932TrailByte(unsigned char c) noexcept {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

}  // namespace orvane
