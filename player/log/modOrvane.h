#pragma once

// The sensor catalogue: what the item codes of a log mean. Names, units, the
// formulas that turn a raw byte into a physical value, the engine switch bits and the
// text form of a value. Pure functions over constant tables; no state.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// Interpolation tables of the two temperature sensors: entry i is the table value at
// raw byte 16 * i. The last entry repeats the one before so that raw 255 interpolates
// between entries 15 and 16.
inline constexpr std::array<std::uint8_t, 17> CoolantTempTable = {
    238, 190, 160, 144, 132, 123, 115, 108, 101, 95, 88, 81, 73, 64, 51, 21, 21};
inline constexpr std::array<std::uint8_t, 17> AirTempTable = {
    244, 176, 145, 128, 116, 106, 98, 90, 83, 76, 69, 62, 53, 43, 29, 1, 1};

// The engine switch signals packed into the two switch-status bytes.
enum class SwitchKind { Idle, Power, Ac, Tdc, AcRelay };

// Item codes of the two switch-status bytes.
inline constexpr int SwitchStatusCode = 2;
inline constexpr int SwitchStatus2Code = 0;

// True for the two switch-status bytes, whose values are bits rather than numbers.
constexpr bool IsSwitchCode(int code) noexcept {
    return code == SwitchStatusCode || code == SwitchStatus2Code;
}

// Physical value of a raw byte of the item `code`. Codes without a formula give 0.
double ConvertValue(std::uint8_t code, std::uint8_t raw) noexcept;

// Display name and unit text of an item code; empty for codes without an entry
// (negative codes and codes above 255 included).
std::string_view SensorName(std::int16_t code) noexcept;
std::string_view SensorUnit(std::int16_t code) noexcept;

// True for the codes the catalogue can convert (0 to 255): a log header may carry
// any 16-bit code, but the formulas take the code as one byte.
constexpr bool IsByteCode(int code) noexcept {
    return code >= 0 && code <= 255;
}

// Longest text FormatValue can produce (sign, 20 integer digits or a fraction).
inline constexpr std::size_t FormatValueMaxLength = 32;

// Text form of a converted value: a whole number in plain digits, anything else with
// exactly two decimals ("0.00"), the value first taken to 15 significant digits and
// then rounded with halves away from zero. "." whatever the locale.
std::string FormatValue(double value);

// Same text written into `out` (room for FormatValueMaxLength characters); returns
// the number of characters written. Allocates nothing.
std::size_t FormatValueTo(char* out, double value) noexcept;

// True when the switch of `kind` is on in the status byte (the byte of item 2 for
// Idle, Power, Ac and Tdc; the byte of item 0 for AcRelay).
bool SwitchIsOn(SwitchKind kind, std::uint8_t statusByte) noexcept;

// The item code of the status byte that carries the switch of `kind`.
int SwitchItemCode(SwitchKind kind) noexcept;

// The switch's label in exported text: "Idle-SW", "Power-SW", "AC-SW", "TDC", "AC-Relay".
std::string_view SwitchLabel(SwitchKind kind) noexcept;

}  // namespace orvane
