#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "log/modOrvane.h"

namespace orvane {

// Short, lower-case names of the catalogue's items and switches: one word each, usable
// in file names and typed in expressions. Items the table does not name are "c<code>"
// ("c62"), which also names any code that has a name of its own ("c33" is "rpm").
//
//   rpm 33, tps 23, ipw 41, knock 38, timing 6, coolant 7, air_temp 58, maf 26,
//   air_volume 44, o2 19, o2_trim 15, trim_low 12, trim_mid 13, trim_high 14,
//   battery 20, baro 21, isc 22, egr 18, accel 29
//   idle, power, ac, tdc, ac_relay   the switches
//
// The names never change: saved files and settings refer to them.

// The short name of an item code: its own name, else "c<code>".
std::string ShortItemName(std::int16_t code);

// The item code a short name stands for ("rpm" 33, "c62" 62, "C62" no); nullopt for
// a name that names no item (a switch name included). "c<code>" takes 0 to 32767.
std::optional<std::int16_t> ItemCodeOfShortName(std::string_view name) noexcept;

// The short name of a switch ("idle", "power", "ac", "tdc", "ac_relay"), and back.
std::string_view SwitchShortName(SwitchKind kind) noexcept;
std::optional<SwitchKind> SwitchOfShortName(std::string_view name) noexcept;

// The items with a name of their own, in the order of the table above, for lists.
struct ShortNameEntry {
    std::string_view Name;
    std::int16_t Code;
};
std::span<const ShortNameEntry> NamedItems() noexcept;

}  // namespace orvane
