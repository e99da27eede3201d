#pragma once

#include <cstdint>

namespace meter {

// A colour as the gauge, the player's controls and the settings file store it: a
// 32-bit value. Below 0x80000000 it is an RGB colour with red in the lowest byte,
// green in the next and blue in the third (255 red, 65280 green, 16711680 blue).
// With the top bit set it names a system colour by the index in its low byte
// (0x8000000F button face, 0x80000012 button text); those are resolved against a
// widget's palette only when drawn.
//
// Plain C++ on purpose: the settings code reads colours without any toolkit.
class Colour {
public:
    constexpr Colour() noexcept = default;
    constexpr explicit Colour(std::uint32_t value) noexcept : value_(value) {}

    // The settings file writes colours as signed decimal (0x80000012 is -2147483630).
    static constexpr Colour FromInt32(std::int32_t value) noexcept {
        return Colour(static_cast<std::uint32_t>(value));
    }
    static constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept {
        return Colour(static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
                      (static_cast<std::uint32_t>(blue) << 16));
    }
    static constexpr Colour System(std::uint8_t index) noexcept {
        return Colour(0x80000000u | index);
    }

    constexpr std::uint32_t Value() const noexcept { return value_; }
    constexpr std::int32_t ToInt32() const noexcept { return static_cast<std::int32_t>(value_); }

    constexpr bool IsSystem() const noexcept { return (value_ & 0x80000000u) != 0; }
    constexpr std::uint8_t SystemIndex() const noexcept {
        return static_cast<std::uint8_t>(value_);
    }
    constexpr std::uint8_t Red() const noexcept { return static_cast<std::uint8_t>(value_); }
    constexpr std::uint8_t Green() const noexcept { return static_cast<std::uint8_t>(value_ >> 8); }
    constexpr std::uint8_t Blue() const noexcept { return static_cast<std::uint8_t>(value_ >> 16); }

    friend constexpr bool operator==(Colour, Colour) noexcept = default;

private:
    std::uint32_t value_ = 0;
};

// Indexes of the classic system colour table that the player's defaults use.
namespace SystemColour {
inline constexpr std::uint8_t ScrollBar = 0;
inline constexpr std::uint8_t Background = 1;
inline constexpr std::uint8_t ActiveCaption = 2;
inline constexpr std::uint8_t InactiveCaption = 3;
inline constexpr std::uint8_t Menu = 4;
inline constexpr std::uint8_t Window = 5;
inline constexpr std::uint8_t WindowFrame = 6;
inline constexpr std::uint8_t MenuText = 7;
inline constexpr std::uint8_t WindowText = 8;
inline constexpr std::uint8_t CaptionText = 9;
inline constexpr std::uint8_t ActiveBorder = 10;
inline constexpr std::uint8_t InactiveBorder = 11;
inline constexpr std::uint8_t AppWorkspace = 12;
inline constexpr std::uint8_t Highlight = 13;
inline constexpr std::uint8_t HighlightText = 14;
inline constexpr std::uint8_t ButtonFace = 15;
inline constexpr std::uint8_t ButtonShadow = 16;
inline constexpr std::uint8_t GrayText = 17;
inline constexpr std::uint8_t ButtonText = 18;
inline constexpr std::uint8_t InactiveCaptionText = 19;
inline constexpr std::uint8_t ButtonHighlight = 20;
inline constexpr std::uint8_t DarkShadow3D = 21;
inline constexpr std::uint8_t Light3D = 22;
inline constexpr std::uint8_t InfoText = 23;
inline constexpr std::uint8_t InfoBackground = 24;
}  // namespace SystemColour

}  // namespace meter
